#include "lennard/physics/second_virial.hpp"

#include "lennard/physics/constants.hpp"
#include "lennard/physics/errors.hpp"
#include "lennard/physics/quadrature.hpp"
#include "lennard/physics/virial.hpp"

namespace lennard {

std::string_view method_name(Method method) {
  switch (method) {
    case Method::trapezoid: return "trapezoid";
    case Method::series: return "series";
    case Method::quadrature: return "quadrature";
  }
  return "";
}

double avogadro_of(Method method) {
  return method == Method::trapezoid ? dialogue_avogadro_per_mol : avogadro_per_mol;
}

Method default_method(const Potential& potential) {
  return std::holds_alternative<LennardJones>(potential) ? Method::trapezoid : exact_method(potential);
}

Method exact_method(const Potential& potential) {
  return std::holds_alternative<HeliumAbInitio>(potential) ? Method::quadrature : Method::series;
}

bool method_applies(Method method, const Potential& potential) {
  if (method == Method::series) return !std::holds_alternative<HeliumAbInitio>(potential);
  return method != Method::trapezoid || std::holds_alternative<LennardJones>(potential);
}

void check_method(Method method, const Potential& potential) {
  if (method_applies(method, potential)) return;
  throw InvalidArgument(Parameter::method, std::string(method_name(method)),
                        method == Method::series ? Reason::no_series : Reason::needs_lennard_jones,
                        {potential_name(potential)});
}

ReducedVirial reduced_virial(Method method, const Potential& potential, double T_star) {
  return method == Method::quadrature ? reduced_virial_quadrature(potential, T_star)
                                      : reduced_virial_exact(potential, T_star);
}

double second_virial_B(Method method, const Potential& potential, double epsilon_K, double sigma_A, double T_K) {
  check_method(method, potential);
  if (method == Method::trapezoid) return virial_B_trapezoid(epsilon_K, sigma_A, T_K);
  // The Lennard-Jones series without its derivative costs half as much.
  if (method == Method::series && std::holds_alternative<LennardJones>(potential)) {
    return virial_B_series(epsilon_K, sigma_A, T_K);
  }
  const double T_star = T_K / epsilon_K;
  const double B = method == Method::quadrature ? reduced_virial_quadrature(potential, T_star, false).B
                                                : reduced_virial_exact(potential, T_star).B;
  return laboratory_B(B, sigma_A);
}

double second_virial_dB_dT(Method method, const Potential& potential, double epsilon_K, double sigma_A,
                           double T_K) {
  check_method(method, potential);
  if (method == Method::trapezoid) return virial_dB_dT_trapezoid(epsilon_K, sigma_A, T_K);
  return laboratory_dB_dT(reduced_virial(method, potential, T_K / epsilon_K).dB_dT, sigma_A, epsilon_K);
}

}  // namespace lennard
