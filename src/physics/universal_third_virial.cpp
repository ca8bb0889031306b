#include "lennard/physics/universal_third_virial.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <mutex>
#include <numbers>
#include <tuple>
#include <utility>

#include "lennard/physics/constants.hpp"
#include "lennard/physics/parallel.hpp"

namespace lennard {

namespace {

using Piece = UniversalThirdVirial::Piece;
constexpr std::size_t points = 25;  // degree 24

// Below this T* the direct rule: C* ~ -e^(3/T*) is a factor e^3 from
// overflowing, and the grid no longer resolves the well (its step is 0.02
// sigma, the well's width sqrt(T*/28)), so the rule is no longer C anyway.
constexpr double lowest_T = 0.005;

// A piece is kept when its last two coefficients are below this fraction of
// the scale of the values: its interpolation error, about the size of the
// first coefficient left out, is then well below 1e-10.
constexpr double tolerance = 1e-12;
constexpr int deepest = 6;  // halvings of a starting piece

constexpr double b0_squared = two_pi_over_3 * two_pi_over_3;
constexpr double not_asked = std::numeric_limits<double>::quiet_NaN();

double clenshaw(const std::array<double, points>& c, double t) {
  double b1 = 0.0, b2 = 0.0;
  for (std::size_t k = points - 1; k >= 1; --k) {
    const double b = 2.0 * t * b1 - b2 + c[k];
    b2 = b1;
    b1 = b;
  }
  return t * b1 - b2 + c[0];
}

double unit_variable(const Piece& p, double v) { return (2.0 * v - p.lo - p.hi) / (p.hi - p.lo); }

// The piece holding v (pieces in order, covering [front.lo, back.hi]).
const Piece& piece_at(const std::vector<Piece>& pieces, double v) {
  const auto it = std::upper_bound(pieces.begin(), pieces.end(), v, [](double x, const Piece& p) { return x < p.hi; });
  return it == pieces.end() ? pieces.back() : *it;
}

// One sample: the value and derivative represented, and the size each is
// judged against.
struct Sample {
  double value, derivative, value_scale, derivative_scale;
};

// Chebyshev interpolants of degree 24 on [lo, hi], halved where their tails
// are not small enough, appended in order.
// The samples of a piece are independent: they are spread over the threads.
template <class Sampler>
void fit(double lo, double hi, const Sampler& sample, int depth, const Parallelism& parallelism,
         std::vector<Piece>& out, std::size_t& evaluations) {
  std::array<Sample, points> samples{};
  const double n = static_cast<double>(points);
  for_each_block(points, 1, parallelism, [&](std::size_t begin, std::size_t end) {
    for (std::size_t j = begin; j < end; ++j) {
      const double theta = std::numbers::pi * (static_cast<double>(j) + 0.5) / n;
      samples[j] = sample(0.5 * (lo + hi) + 0.5 * (hi - lo) * std::cos(theta));
    }
  });
  std::array<double, points> v{}, d{};
  double v_scale = std::numeric_limits<double>::infinity(), d_scale = v_scale;
  for (std::size_t j = 0; j < points; ++j) {
    v[j] = samples[j].value;
    d[j] = samples[j].derivative;
    v_scale = std::min(v_scale, samples[j].value_scale);
    d_scale = std::min(d_scale, samples[j].derivative_scale);
  }
  evaluations += points;
  Piece piece{lo, hi, {}, {}};
  for (std::size_t k = 0; k < points; ++k) {
    double sv = 0.0, sd = 0.0;
    for (std::size_t j = 0; j < points; ++j) {
      const double c =
          std::cos(std::numbers::pi * static_cast<double>(k) * (static_cast<double>(j) + 0.5) / n);
      sv += v[j] * c;
      sd += d[j] * c;
    }
    const double w = (k == 0 ? 1.0 : 2.0) / n;
    piece.value[k] = w * sv;
    piece.derivative[k] = w * sd;
  }
  const auto tail = [](const std::array<double, points>& c) {
    return std::fabs(c[points - 2]) + std::fabs(c[points - 1]);
  };
  if (depth < deepest && (tail(piece.value) > tolerance * v_scale || tail(piece.derivative) > tolerance * d_scale)) {
    const double mid = 0.5 * (lo + hi);
    fit(lo, mid, sample, depth + 1, parallelism, out, evaluations);
    fit(mid, hi, sample, depth + 1, parallelism, out, evaluations);
    return;
  }
  out.push_back(piece);
}

// The soft potential's shape: (C, n, m).
std::tuple<double, double, double> soft_shape(const Potential& potential) {
  if (const Mie* mie = std::get_if<Mie>(&potential)) return {mie->prefactor(), mie->n(), mie->m()};
  return {4.0, 12.0, 6.0};
}

bool has_representation(const Potential& potential) {
  if (const SquareWell* sw = std::get_if<SquareWell>(&potential)) return sw->lambda > 2.0;
  return std::holds_alternative<LennardJones>(potential) || std::holds_alternative<Mie>(potential);
}

}  // namespace

UniversalThirdVirial::UniversalThirdVirial(const Potential& potential, unsigned threads) : potential_(potential) {
  const Parallelism parallelism{threads, nullptr};
  check_third_virial(potential);
  if (const SquareWell* sw = std::get_if<SquareWell>(&potential); sw != nullptr && sw->lambda > 2.0) {
    kind_ = Kind::cubic;
    cubic_ = detail::square_well_cubic(sw->lambda);
    evaluations_ = 4;
    return;
  }
  if (!has_representation(potential)) return;
  kind_ = Kind::soft;
  std::tie(C_, n_, m_) = soft_shape(potential);
  const detail::SoftThirdVirialGrid grid(C_, n_, m_);
  // Up to T* = C in s = ln T*: C* e^(-3/T*) and dC*/dT* T*^2 e^(-3/T*), from
  // pieces 1.4 wide (Lennard-Jones needs no halving: 6 pieces, 150 samples).
  const auto low = [&](double s) {
    const double T = std::exp(s);
    const ReducedThirdVirial c = grid(T);
    const double w = std::exp(-3.0 / T);
    const double value = c.C * w, derivative = c.dC_dT * T * T * w;
    return Sample{value, derivative, std::max(std::fabs(value), b0_squared * w),
                  std::max(std::fabs(derivative), b0_squared * T * w)};
  };
  const double s_lo = std::log(lowest_T), s_hi = std::log(C_);
  const int starts = static_cast<int>(std::ceil((s_hi - s_lo) / 1.4));
  for (int k = 0; k < starts; ++k) {
    fit(s_lo + (s_hi - s_lo) * k / starts, k + 1 == starts ? s_hi : s_lo + (s_hi - s_lo) * (k + 1) / starts, low, 0,
        parallelism, low_, evaluations_);
  }
  // Above, in lambda = (C/T*)^((n-m)/n): C*/x_T^6 and T* dC*/dT*/x_T^6.
  const auto high = [&](double lambda) {
    const double T = C_ * std::pow(lambda, -n_ / (n_ - m_));
    const ReducedThirdVirial c = grid(T);
    const double x6 = std::pow(C_ / T, 6.0 / n_);
    const double value = c.C / x6, derivative = c.dC_dT * T / x6;
    return Sample{value, derivative, std::max(std::fabs(value), b0_squared),
                  std::max(std::fabs(derivative), b0_squared)};
  };
  fit(0.0, 1.0, high, 0, parallelism, high_, evaluations_);
}

ReducedThirdVirial UniversalThirdVirial::operator()(double T, bool with_derivative) const {
  if (kind_ == Kind::cubic) {
    const auto [c0, c1, c2, c3] = cubic_;
    const double x = std::expm1(1.0 / T);
    const double C = c0 + x * (c1 + x * (c2 + x * c3));
    if (!with_derivative) return {C, not_asked};
    return {C, (c1 + x * (2.0 * c2 + x * 3.0 * c3)) * (-std::exp(1.0 / T) / (T * T))};
  }
  if (kind_ == Kind::direct || !(T >= lowest_T)) return reduced_third_virial(potential_, T, with_derivative);
  if (T <= C_) {
    const double s = std::log(T);
    const Piece& p = piece_at(low_, s);
    const double t = unit_variable(p, s);
    const double w = std::exp(3.0 / T);
    const double C = clenshaw(p.value, t) * w;
    return {C, with_derivative ? clenshaw(p.derivative, t) * w / (T * T) : not_asked};
  }
  // x_T^6 and lambda = x_T^(n-m); for Lennard-Jones both are sqrt(4/T*).
  double lambda, x6;
  if (n_ == 12.0 && m_ == 6.0) {
    lambda = x6 = std::sqrt(C_ / T);
  } else {
    const double q = std::log(C_ / T);
    lambda = std::exp(q * (n_ - m_) / n_);
    x6 = std::exp(q * 6.0 / n_);
  }
  const Piece& p = piece_at(high_, lambda);
  const double t = unit_variable(p, lambda);
  return {clenshaw(p.value, t) * x6, with_derivative ? clenshaw(p.derivative, t) * x6 / T : not_asked};
}

namespace {

// A shape: the potential's kind and its parameters.
using Key = std::tuple<std::size_t, double, double>;

Key key_of(const Potential& potential) {
  if (const Mie* mie = std::get_if<Mie>(&potential)) return {potential.index(), mie->n(), mie->m()};
  if (const SquareWell* sw = std::get_if<SquareWell>(&potential)) return {potential.index(), sw->lambda, 0.0};
  if (const HeliumAbInitio* he = std::get_if<HeliumAbInitio>(&potential)) {
    return {potential.index(), he->adiabatic_scale, 0.0};
  }
  return {potential.index(), 0.0, 0.0};
}

}  // namespace

std::shared_ptr<const UniversalThirdVirial> universal_third_virial(const Potential& potential) {
  struct Entry {
    std::once_flag built;
    std::shared_ptr<const UniversalThirdVirial> value;
  };
  static std::mutex mutex;
  static std::map<Key, std::shared_ptr<Entry>> cache;
  const Key key = key_of(potential);
  std::shared_ptr<Entry> entry;
  {
    const std::lock_guard<std::mutex> lock(mutex);
    std::shared_ptr<Entry>& slot = cache[key];
    if (!slot) slot = std::make_shared<Entry>();
    entry = slot;
  }
  // Built outside the map's lock; a build that throws leaves the entry unbuilt.
  std::call_once(entry->built, [&] { entry->value = std::make_shared<const UniversalThirdVirial>(potential); });
  return entry->value;
}

ReducedThirdVirial reduced_third_virial_universal(const Potential& potential, double T_star, bool with_derivative) {
  if (!has_representation(potential)) return reduced_third_virial(potential, T_star, with_derivative);
  check_third_virial(potential);
  // Each thread remembers the shape it last read, so that a table's rows
  // take no lock: read-only state of the thread's own, like the cache's.
  thread_local Key last_key{};
  thread_local std::shared_ptr<const UniversalThirdVirial> last;
  const Key key = key_of(potential);
  if (!last || key != last_key) {
    last = universal_third_virial(potential);
    last_key = key;
  }
  return (*last)(T_star, with_derivative);
}

}  // namespace lennard
