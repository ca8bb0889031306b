#include "lennard/physics/errors.hpp"

#include <utility>

#include "lennard/physics/shortest.hpp"

namespace lennard {

std::string_view parameter_keyword(Parameter parameter) {
  switch (parameter) {
    case Parameter::epsilon: return "epsilon_K";
    case Parameter::sigma: return "sigma_A";
    case Parameter::mixture: return "gases";
    case Parameter::mole_fraction: return "mole_fractions";
    case Parameter::temperature_step: return "T_K";
    default: return parameter_id(parameter);
  }
}

std::string_view parameter_id(Parameter parameter) {
  switch (parameter) {
    case Parameter::epsilon: return "epsilon";
    case Parameter::sigma: return "sigma";
    case Parameter::potential: return "potential";
    case Parameter::gas: return "gas";
    case Parameter::mixture: return "mixture";
    case Parameter::mole_fraction: return "mole_fraction";
    case Parameter::kij: return "kij";
    case Parameter::method: return "method";
    case Parameter::quantum: return "quantum";
    case Parameter::temperature_step: return "temperature_step";
    case Parameter::spin: return "spin";
    case Parameter::temperature: return "temperature";
  }
  return "argument";
}

namespace {

std::string detail(const std::vector<std::string>& details, std::size_t i) {
  return i < details.size() ? details[i] : std::string();
}

std::string joined(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) text += (text.empty() ? "" : ", ") + item;
  return text;
}

std::string english(Reason reason, const std::string& value, const std::vector<std::string>& details) {
  const std::string quoted = "'" + value + "'";
  switch (reason) {
    case Reason::not_finite: return value + " is not finite";
    case Reason::zero: return "must not be zero: the temperature sweep would not advance";
    case Reason::too_large: return value + " K is too large: 5 epsilon/k_B overflows";
    case Reason::not_positive: return "must be positive, got " + value;
    case Reason::unknown:
      return details.empty() ? quoted + " is not lj, mie:N,M, sw:LAMBDA, hs or he-abinitio"
                             : quoted + " is not in the library; the closest are " + joined(details);
    case Reason::not_a_number: return quoted + ": '" + detail(details, 0) + "' is not a number";
    case Reason::wrong_parameter_count: return quoted + ": expected " + detail(details, 0) + " number(s) after ':'";
    case Reason::takes_no_parameters: return quoted + ": " + detail(details, 0) + " takes no parameters";
    case Reason::missing_exponents: return "mie needs its exponents, e.g. mie:14,6";
    case Reason::missing_well_width: return "sw needs the well width LAMBDA, e.g. sw:1.5";
    case Reason::well_width_out_of_range: return quoted + ": LAMBDA must be finite and above 1";
    case Reason::exponents_out_of_range: return value + ": the exponents must be finite with N > M > 3";
    case Reason::exponents_too_close: return value + ": the exponents are too close; N - M >= N/20 is needed";
    case Reason::no_components: return "the mixture has no components";
    case Reason::repeated_component: return value + " is named twice";
    case Reason::out_of_range:
      return details.empty() ? value + " is not a finite number below 1"
                             : "the fraction of " + detail(details, 0) + " (" + value + ") must lie in (0, 1]";
    case Reason::sum_not_one: return "they sum to " + value + ", not 1 (within 1e-9, or 1e-3 when normalised)";
    case Reason::binary_only: return "only for a binary mixture, not one of " + detail(details, 0) + " components";
    case Reason::not_combinable:
      return detail(details, 0) + " (" + detail(details, 1) + ") and " + detail(details, 2) + " (" +
             detail(details, 3) + ") do not combine: Lorentz-Berthelot joins lj with lj, or mie with mie of equal "
             "exponents";
    case Reason::needs_smooth_potential:
      return "the expansion needs a smooth potential (lj, mie:N,M or he-abinitio), not " + value;
    case Reason::needs_lennard_jones:
      return value + " is the Lennard-Jones 12-6 rule; use series or quadrature with " + detail(details, 0);
    case Reason::needs_exact_method:
      return "the correction is added to an exact B; use series or quadrature, not " + value;
    case Reason::too_many_rows: return "the temperature sweep would have more than " + value + " rows";
    case Reason::does_not_advance:
      return "a step of " + value + " K does not advance T = " + detail(details, 0) + " K: the sweep would not end";
    case Reason::needs_well_depth: return "with " + value + ", B does not depend on T: there is no epsilon or sigma to fit";
    case Reason::needs_mie: return "only mie:N,M has a repulsive exponent to fit, not " + value;
    case Reason::grid_too_large:
      return "C of " + value + " would need a grid of " + detail(details, 0) + " steps, beyond the limit of " +
             detail(details, 1) + " (M too close to 3)";
    case Reason::spin_mismatch:
      return value + " is not a spin of " + detail(details, 0) +
             " (bosons have integer spins, fermions half-odd ones; 0, 1/2, 1, ...)";
    case Reason::too_costly:
      return "the exact quantum B up to T* = " + value + " would take too long; it is prepared up to T* = " +
             detail(details, 0) + " (use the hbar^4 expansion above)";
    case Reason::outside_prepared_range:
      return "T* = " + value + " lies outside the range the phase shifts were prepared for, " + detail(details, 0) +
             " to " + detail(details, 1);
    case Reason::no_series:
      return detail(details, 0) + " has no series for B; use quadrature";
    case Reason::no_free_parameters:
      return value + " carries its own epsilon and sigma: it has no parameters to fit";
    case Reason::not_in_mixture:
      return detail(details, 0) + " (" + value + ") has no combining rule with other potentials: it cannot be mixed";
    case Reason::not_fitted: {
      std::string models;
      for (std::size_t i = 1; i < details.size(); ++i) models += (i > 1 ? ", " : "") + details[i];
      return "the library has no " + value + " fit for " + detail(details, 0) + "; it has: " + models;
    }
  }
  return quoted + " is not valid";
}

std::string fit_english(FitFailure failure, const std::vector<double>& numbers, const std::string& potential) {
  const auto number = [&](std::size_t i) { return i < numbers.size() ? shortest(numbers[i]) : std::string("?"); };
  switch (failure) {
    case FitFailure::too_few_temperatures:
      return "the fit needs points at " + number(0) + " distinct temperatures; the data have " + number(1);
    case FitFailure::range_too_wide:
      return "the temperatures from " + number(0) + " K to " + number(1) +
             " K do not fit between T/epsilon = 0.05 and 1e4, where the fit is sought";
    case FitFailure::no_minimum:
      return "chi^2 has no minimum for epsilon/k_B between " + number(0) + " K and " + number(1) +
             " K: the data do not look like a gas with the potential " + potential;
    case FitFailure::non_positive_volume:
      return "the fit gives sigma^3 <= 0: the data do not look like a gas with the potential " + potential;
    case FitFailure::undetermined:
      return "the data do not determine the " + number(0) + " parameters: their standard errors are not finite";
    case FitFailure::quantum_undetermined:
      return "the data do not determine epsilon/k_B and sigma with the quantum correction";
    case FitFailure::quantum_far:
      return "with the quantum correction the minimum of chi^2 lies far from the classical fit: the first-order "
             "correction does not describe the data";
    case FitFailure::exponent_at_edge:
      return "chi^2 has no minimum for the repulsive exponent between " + number(0) + " and " + number(1);
  }
  return "the data do not determine a fit";
}

}  // namespace

InvalidArgument::InvalidArgument(Parameter parameter, std::string value, Reason reason,
                                 std::vector<std::string> details)
    : PhysicsError(std::string(parameter_id(parameter)) + ": " + english(reason, value, details)),
      parameter_(parameter),
      value_(std::move(value)),
      reason_(reason),
      details_(std::move(details)) {}

std::string InvalidArgument::description() const { return english(reason_, value_, details_); }

FitNotDetermined::FitNotDetermined(FitFailure failure, std::vector<double> numbers, std::string potential)
    : PhysicsError("fit not determined: " + fit_english(failure, numbers, potential)),
      failure_(failure),
      numbers_(std::move(numbers)),
      potential_(std::move(potential)) {}

NotConverged::NotConverged(int iterations)
    : PhysicsError("not converged in " + std::to_string(iterations) + " iterations"), iterations_(iterations) {}

}  // namespace lennard
