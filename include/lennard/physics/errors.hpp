// The failures the library reports, as data: what was wrong (the parameter,
// its value as text and a reason) and an English sentence for what(). The
// front ends turn them into their own messages; the library never names a
// command-line option and never chooses an exit status.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace lennard {

// Every failure of the library derives from this.
class PhysicsError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class Parameter {
  epsilon,           // epsilon/k_B, K
  sigma,             // sigma, A
  potential,         // a potential's spelling, or the potentials of a mixture
  gas,               // a name of the gas library
  mixture,           // the components of a mixture
  mole_fraction,     // a mole fraction, or their sum
  kij,               // k_ij of a binary mixture
  method,            // the method of B
  quantum,           // the first quantum correction
  temperature_step,  // the step (and so the rows) of a temperature sweep
  spin,              // a nuclear spin with its statistics
  temperature,       // a temperature
};

// A stable identifier: "epsilon", "sigma", "potential", "mole_fraction", ...
std::string_view parameter_id(Parameter parameter);
// The keyword argument of the Python and JavaScript functions that carries it.
std::string_view parameter_keyword(Parameter parameter);

// Why a value is refused. The comments say what value() and details() hold.
enum class Reason {
  not_finite,               // epsilon or sigma
  zero,                     // epsilon: a sweep from 0 would not advance
  too_large,                // epsilon: 5 epsilon overflows
  not_positive,             // sigma
  unknown,                  // potential or gas (value: the spelling; details: the closest gas names)
  not_a_number,             // potential (value: the spelling; details: the field)
  wrong_parameter_count,    // potential (value: the spelling; details: the count expected)
  takes_no_parameters,      // potential (value: the spelling; details: the name, lj, hs or he-abinitio)
  missing_exponents,        // potential mie
  missing_well_width,       // potential sw
  well_width_out_of_range,  // potential (value: the spelling): LAMBDA must be finite and above 1
  exponents_out_of_range,   // potential (value: "mie:N,M"): finite with N > M > 3
  exponents_too_close,      // potential (value: "mie:N,M"): N - M below N/20
  no_components,            // mixture
  repeated_component,       // mixture (value: the gas)
  out_of_range,             // mole_fraction (value; details: the gas), outside (0, 1]; kij, not finite or not below 1
  sum_not_one,              // mole_fraction (value: the sum)
  binary_only,              // kij (details: the number of components)
  not_combinable,           // potential (details: gas, potential, other gas, its potential)
  needs_smooth_potential,   // quantum (value: the potential)
  needs_lennard_jones,      // method (value: the method; details: the potential)
  needs_exact_method,       // quantum (value: the method)
  too_many_rows,            // temperature_step (value: the row limit)
  does_not_advance,         // temperature_step (value: the step, K; details: the temperature it fails at, K)
  needs_well_depth,         // potential (value: hs): B does not depend on T, there is nothing to fit
  needs_mie,                // potential (value: the potential): only mie:N,M has a repulsive exponent to fit
  grid_too_large,           // potential (value: the potential; details: the steps C would need, their limit)
  spin_mismatch,            // spin (value: the spin; details: the statistics): bosons have integer spins, fermions half-odd
  outside_prepared_range,   // temperature (value: T*; details: the lowest and highest T* prepared)
  too_costly,               // quantum (value: the highest T*; details: the highest T* the exact B prepares for)
  no_series,                // method (value: series; details: the potential): it has no series
  no_free_parameters,       // potential (value: the potential): its epsilon and sigma are its own, nothing to fit
  not_in_mixture,           // potential (value: the potential; details: the gas): no combining rule for it
  not_fitted,               // potential (value: the potential; details: the gas, then the potentials it was fitted with)
};

// An argument the library cannot compute with.
class InvalidArgument : public PhysicsError {
 public:
  InvalidArgument(Parameter parameter, std::string value, Reason reason, std::vector<std::string> details = {});
  Parameter parameter() const { return parameter_; }
  const std::string& value() const { return value_; }
  Reason reason() const { return reason_; }
  const std::vector<std::string>& details() const { return details_; }
  // what() without the leading "parameter: ".
  std::string description() const;

 private:
  Parameter parameter_;
  std::string value_;
  Reason reason_;
  std::vector<std::string> details_;
};

// Data that cannot determine the fitted parameters. The comments say what
// numbers() holds; potential() names the potential fitted.
enum class FitFailure {
  too_few_temperatures,  // the distinct temperatures needed, and those given
  range_too_wide,        // the lowest and highest temperatures: T/epsilon cannot span them
  no_minimum,            // the bounds of the epsilon/k_B searched, K: chi^2 has no minimum between them
  non_positive_volume,   // the fit gives sigma^3 <= 0
  undetermined,          // the number of parameters: their covariance or standard errors are not finite
  quantum_undetermined,  // (none): epsilon and sigma with the quantum correction are not determined
  quantum_far,           // (none): with the quantum correction the minimum of chi^2 lies far from the classical fit
  exponent_at_edge,      // the repulsive exponents searched: chi^2 has no minimum between them
};

class FitNotDetermined : public PhysicsError {
 public:
  FitNotDetermined(FitFailure failure, std::vector<double> numbers, std::string potential);
  FitFailure failure() const { return failure_; }
  const std::vector<double>& numbers() const { return numbers_; }
  const std::string& potential() const { return potential_; }

 private:
  FitFailure failure_;
  std::vector<double> numbers_;
  std::string potential_;
};

// An iteration that did not converge within its limit.
class NotConverged : public PhysicsError {
 public:
  explicit NotConverged(int iterations);
  int iterations() const { return iterations_; }

 private:
  int iterations_;
};

}  // namespace lennard
