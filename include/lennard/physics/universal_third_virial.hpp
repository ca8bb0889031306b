// C* and dC*/dT* of a potential shape are functions of T* alone: built once
// per shape from the grid rule of reduced_third_virial (the direct rule, the
// reference) and then read at the cost of a few operations.
//
// - Lennard-Jones and Mie, C [(sigma/r)^n - (sigma/r)^m]: below T* = C
//   Chebyshev pieces in ln T* of C* e^(-3/T*) (C* grows as e^(3/T*), three
//   pairs in the well) and of dC*/dT* T*^2 e^(-3/T*); above, the grid follows
//   the soft core x_T = (C/T*)^(1/n), C* = x_T^6 c(lambda) with
//   lambda = x_T^(n-m) in (0, 1], and pieces in lambda of c and of
//   T* dC*/dT* / x_T^6 reach T* = infinity. Pieces (degree 24) are halved until their
//   last two Chebyshev coefficients fall below 1e-12 of max(|C*|, b0^2)
//   (of max(|dC*/dT*|, b0^2/T*) for the derivative); below T* = 0.005, where
//   C* is within a factor e^3 of overflowing, the direct rule itself.
// - The square well beyond its closed form (lambda > 2): its exact cubic in
//   x = e^(1/T*) - 1.
// - Hard spheres, the square well up to lambda = 2 and helium from first
//   principles: the direct rule (closed forms, or no representation).
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <vector>

#include "lennard/physics/potential.hpp"
#include "lennard/physics/third_virial.hpp"

namespace lennard {

class UniversalThirdVirial {
 public:
  // Builds the representation: some 150 evaluations of the grid rule, some
  // 30 ms of CPU for Lennard-Jones, spread over up to threads threads (0: one
  // per core); the result does not depend on their number.
  // Throws as check_third_virial for a potential whose C is refused.
  explicit UniversalThirdVirial(const Potential& potential, unsigned threads = 0);

  ReducedThirdVirial operator()(double T_star, bool with_derivative = true) const;

  // The grid rule's evaluations the build took (0 without pieces).
  std::size_t evaluations() const { return evaluations_; }
  // The Chebyshev pieces, below and above T* = C (0 without pieces).
  std::size_t pieces() const { return low_.size() + high_.size(); }

  // Chebyshev interpolant of degree 24 in its variable on [lo, hi], of a
  // value and of its temperature derivative (each suitably scaled).
  struct Piece {
    double lo, hi;
    std::array<double, 25> value, derivative;
  };

 private:
  enum class Kind { direct, soft, cubic };
  Potential potential_;
  Kind kind_ = Kind::direct;
  double C_ = 0.0, n_ = 0.0, m_ = 0.0;  // soft
  std::vector<Piece> low_, high_;       // in ln T* up to T* = C, in lambda above
  std::array<double, 4> cubic_{};       // the square well's C*(x)
  std::size_t evaluations_ = 0;
};

// The representation of this shape: built on first use and kept for the
// life of the process. The cache is the physics' one piece of global
// mutable state: guarded by a mutex, each shape built once (std::call_once)
// while other shapes may be read or built meanwhile, so it is thread-safe.
std::shared_ptr<const UniversalThirdVirial> universal_third_virial(const Potential& potential);

// C* and dC*/dT* (NaN unless asked for) by the shape's representation: within
// 1e-10 of the direct rule relative to max(|C*|, b0^2) (for dC*/dT*, to
// max(|dC*/dT*|, b0^2/T*)) at every T*.
ReducedThirdVirial reduced_third_virial_universal(const Potential& potential, double T_star,
                                                  bool with_derivative = true);

}  // namespace lennard
