// Quantum scattering of two molecules of mass m (relative motion: reduced mass
// m/2), the ground for the exact quantum second virial coefficient. Reduced
// units: r* = r/sigma, u* = u/epsilon, k in 1/sigma, and de Boer's
// Lambda* = h/(sigma sqrt(m epsilon)). Since hbar^2/(2 mu) = hbar^2/m, the
// radial equation for psi(r) = r R_l(r) reads
//   psi'' = [l(l+1)/r^2 + g u*(r) - k^2] psi,   g = 4 pi^2/Lambda*^2,
// at the reduced energy E* = Lambda*^2 k^2/(4 pi^2).
#pragma once

#include <functional>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

#include "lennard/physics/potential.hpp"
#include "lennard/physics/series.hpp"

namespace lennard {

// u* = C (r*^-n - r*^-m) with whole n > m.
struct WholePowers {
  double C;
  int n, m;
};

// A smooth reduced potential: a repulsive core that rises monotonically as
// r* -> 0, one well no deeper than well_depth, and an attractive tail
// u* ~ -c r*^-tail_power (tail_power > 3) at large r*.
struct RadialPotential {
  std::function<double(double)> u;
  double well_depth;
  double tail_power;
  // u* ~ Sum c r*^-s at large r*, each {c, s} with s > 3: the whole potential
  // for lj and mie, the dispersion series otherwise. The partial waves of high
  // l see only this and take its Born phase shifts.
  std::vector<std::pair<double, double>> tail_terms;
  bool tail_is_whole = false;  // the terms are the whole potential (lj, mie)
  // The potential it was made from: where the phase shifts would cost too
  // much, its semiclassical B (classical, hbar^2 and hbar^4 terms) takes over.
  std::optional<Potential> source;
  // When u is such a sum (lj, mie with whole exponents), the phase shifts
  // evaluate it inline.
  std::optional<WholePowers> whole_powers;
};

// Lennard-Jones (4 (r^-12 - r^-6)), Mie (C (r^-n - r^-m)) or helium from
// first principles (u(r sigma_He)/epsilon_He, tail_power 6). Throws
// InvalidArgument (quantum, needs_smooth_potential) for the square well and
// hard spheres.
RadialPotential radial_potential(const Potential& potential);

struct PhaseShiftOptions {
  double step_factor = 0.01;      // bound states: Numerov step h = step_factor / sqrt(|psi''/psi|)
  // Phase shifts: Magnus steps of at most magnus_step r and of at most
  // magnus_phase_step radians of the wave (or e-folds where it is forbidden).
  double magnus_step = 0.007;
  double magnus_phase_step = 0.55;
  double tail_tolerance = 1e-12;  // bound on the phase the neglected tail would add
  double max_radius = 5000.0;     // the matching radius never exceeds this
};

// The absolute phase shift delta_l(k) (radians) at wavenumber k > 0, l >= 0,
// Lambda* > 0: sixth-order Magnus steps outward from deep in the core,
// matched to the Riccati-Bessel functions at one point from psi and psi', with
// the multiple of pi fixed by counting the nodes of the wavefunction against
// the phase of the free wave. So delta_l -> 0 as the
// potential is switched off, and delta_l(0+) = n_l pi (Levinson).
double phase_shift(const RadialPotential& potential, double de_boer, int l, double k,
                   const PhaseShiftOptions& options = {});

namespace detail {
// (psi, psi') of a wave.
struct WaveState {
  double psi, dpsi;
};
// One sixth-order Magnus step of length h for psi'' = Q psi, from Q at the
// step's three Gauss-Legendre points (h (1/2 - sqrt(15)/10), h/2, h (1/2 +
// sqrt(15)/10)). Returns how far it turns an oscillating wave (radians; 0
// where the wave does not oscillate).
double magnus_step(WaveState& y, double h, double Qa, double Qm, double Qb);
}  // namespace detail

// The radius where the outward integration starts: the wavefunction there is
// below e^-40 of its value at the classical turning point.
double core_start_radius(const RadialPotential& potential, double de_boer, int l, double k);

// The bound states of angular momentum l: their reduced energies E* < 0,
// deepest first. Bisection on the node count of the outward Numerov solution
// (Sturm: it has as many nodes as there are states below its energy). A state
// bound by less than about 1/(g max_radius^2) is not seen.
std::vector<double> bound_state_energies(const RadialPotential& potential, double de_boer, int l,
                                         const PhaseShiftOptions& options = {});

}  // namespace lennard

namespace lennard {

// How the two molecules' nuclear spins and their statistics weight the partial
// waves. Bosons of spin I: even l 2(I+1)/(2I+1), odd l 2I/(2I+1); fermions the
// other way round; Boltzmann (distinguishable molecules): 1 for every l.
enum class Statistics { boltzmann, bose, fermi };

struct SpinStatistics {
  Statistics statistics = Statistics::boltzmann;
  double spin = 0.0;  // I, a multiple of 1/2; ignored for Boltzmann
  bool operator==(const SpinStatistics&) const = default;
};

// Throws InvalidArgument (spin) unless the spin is a non-negative multiple of
// 1/2 that suits the statistics (integer for bosons, half-odd for fermions).
void check_spin_statistics(const SpinStatistics& statistics);

// The weight of partial wave l.
double partial_wave_weight(const SpinStatistics& statistics, int l);

struct BoundState {
  int l;
  double energy;  // E* = E/epsilon < 0
};

// The quantum second virial coefficient in the Beth-Uhlenbeck form, per unit
// N_A sigma^3 (B* = B/(N_A sigma^3)), lambda* = Lambda*/sqrt(pi T*) the thermal
// wavelength of the relative motion (reduced mass m/2) over sigma:
//   B* = B*_exchange - (1/2) lambda*^3 Sum_l w_l (2l+1)
//        [Sum_n (exp(-E_nl/T*) - 1) + (2a/pi) Int_0^inf k delta_l(k) exp(-a k^2) dk],
//   a = Lambda*^2/(4 pi^2 T*),
//   B*_exchange = -/+ (Lambda*^2/(2 pi T*))^(3/2) / (2^(5/2) (2I+1))  (bose/fermi; 0 for Boltzmann).
// The phase-shift integral is Int delta'(k) exp(-a k^2) dk integrated by parts,
// with Levinson's delta_l(0) = n_l pi. Phase shifts and bound states depend on
// the potential and Lambda* only: they are computed once, on a k grid that
// serves every T* in [T_star_min, T_star_max], and summed for each T*.
class ExactSecondVirial {
 public:
  // Throws InvalidArgument (temperature) unless 0 < T_star_min <= T_star_max are
  // finite. The hottest T* needs wavenumbers up to k_max = 6.6 sqrt(4 pi^2 T*)/Lambda*
  // and the work grows as its square, some 10 s at 100/sigma: the phase
  // shifts stop at max_wavenumber (in 1/sigma), and above the T* they reach
  // (series_above()) B* is the semiclassical series of potential.source,
  // Boltzmann's B to order hbar^4. Without a source, that throws
  // InvalidArgument (quantum, too_costly) instead.
  ExactSecondVirial(RadialPotential potential, double de_boer, SpinStatistics statistics, double T_star_min,
                    double T_star_max, unsigned threads = 0, double max_wavenumber = 100.0);

  // B* and dB*/dT* at T* in [T_star_min, T_star_max] (a little beyond is
  // answered as accurately; far beyond throws InvalidArgument (temperature)).
  ReducedVirial reduced(double T_star) const;
  // The exchange part alone, B*_exchange and its derivative.
  ReducedVirial reduced_exchange(double T_star) const;
  // The T* above which reduced() is the semiclassical series (+inf where the
  // phase shifts serve the whole range), and the exact B* less the series
  // there (0 without a series; NaN, not measured, where every T* asked for
  // lies above). Above it the difference, of order hbar^6, falls further with
  // T* (as T*^-3 for Lennard-Jones at Lambda* = 2.6).
  double series_above() const { return series_above_; }
  double series_junction_difference() const { return junction_difference_; }

  // The bound states with their l, deepest first; all of them, whatever their weight.
  const std::vector<BoundState>& bound_states() const { return bound_states_; }
  double de_boer() const { return de_boer_; }

 private:
  ReducedVirial phase_shift_sum(double T_star) const;
  ReducedVirial semiclassical(double T_star) const;
  struct Wave {
    int l;
    double weight;                  // w_l (2l+1)
    std::vector<double> energies;   // its bound states
    std::vector<double> k, w_delta; // quadrature nodes and weight * delta_l(k)
  };
  double de_boer_;
  SpinStatistics statistics_;
  double T_star_min_, T_star_max_;
  double series_above_ = std::numeric_limits<double>::infinity();
  double junction_difference_ = 0.0;
  std::vector<Wave> waves_;
  RadialPotential potential_;
  // Sum over the waves beyond the last computed of w_l (2l+1) I_s(l), per tail term.
  std::vector<double> born_tail_;
  std::vector<BoundState> bound_states_;
};

}  // namespace lennard
