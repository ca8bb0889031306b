#include "lennard/physics/validation.hpp"

#include <string>

#include "lennard/physics/errors.hpp"

namespace lennard {

bool quantum_applies(const Potential& potential) {
  return std::holds_alternative<LennardJones>(potential) || std::holds_alternative<Mie>(potential) ||
         std::holds_alternative<HeliumAbInitio>(potential);
}

void check_fittable(const Potential& potential) {
  if (!has_well_depth(potential)) {
    throw InvalidArgument(Parameter::potential, potential_name(potential), Reason::needs_well_depth);
  }
  if (own_scale(potential)) {
    throw InvalidArgument(Parameter::potential, potential_name(potential), Reason::no_free_parameters);
  }
}

void check_quantum(const Potential& potential, Method method) {
  if (!quantum_applies(potential)) {
    throw InvalidArgument(Parameter::quantum, potential_name(potential), Reason::needs_smooth_potential);
  }
  if (method == Method::trapezoid) {
    throw InvalidArgument(Parameter::quantum, std::string(method_name(method)), Reason::needs_exact_method);
  }
}

void check_pure_gas(const Potential& potential, Method method, bool quantum) {
  if (quantum) check_quantum(potential, method);
  check_method(method, potential);
}

}  // namespace lennard
