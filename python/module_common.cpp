#include "module_common.hpp"

#include <pybind11/stl.h>

#include <algorithm>
#include <cmath>
#include <exception>
#include <optional>

#include "lennard/physics/errors.hpp"
#include "lennard/physics/fit.hpp"
#include "lennard/physics/potential.hpp"

namespace lennard_python {

using namespace py::literals;
using namespace lennard;

void register_errors() {
  py::register_exception_translator([](std::exception_ptr p) {
    try {
      if (p) std::rethrow_exception(p);
    } catch (const InvalidArgument& e) {
      PyErr_SetString(PyExc_ValueError, (std::string(parameter_keyword(e.parameter())) + ": " + e.description()).c_str());
    } catch (const PhysicsError& e) {
      PyErr_SetString(PyExc_ValueError, e.what());
    }
  });
}

Method method_named(const std::string& name) {
  if (name == "series") return Method::series;
  if (name == "quadrature") return Method::quadrature;
  if (name == "trapezoid") return Method::trapezoid;
  throw py::value_error("method: expected series, quadrature or trapezoid, got '" + name + "'");
}

std::size_t same_size(std::initializer_list<const Array*> arrays) {
  py::ssize_t n = 1;
  for (const Array* a : arrays) n = a->size() == 0 || n == 0 ? 0 : std::max(n, a->size());
  for (const Array* a : arrays) {
    if (a->size() != n && a->size() != 1) throw py::value_error("the arrays must have one size (broadcast them first)");
  }
  return static_cast<std::size_t>(n);
}

const Gas& gas_named(const std::string& name) {
  try {
    return find_gas(name);
  } catch (const InvalidArgument&) {
    std::string close;
    for (const std::string& n : closest_gas_names(name, 3)) close += (close.empty() ? "" : ", ") + n;
    throw py::value_error("gas: unknown gas '" + name + "'; the closest are " + close +
                          " (lennard.gases() lists them all)");
  }
}

py::dict gas_dict(const Gas& gas) {
  py::dict d;
  d["name"] = gas.name;
  d["formula"] = gas.formula;
  d["aliases"] = gas.aliases;
  d["molar_mass_g_per_mol"] = gas.molar_mass_g_per_mol;
  d["potential"] = potential_name(gas.potential);
  d["epsilon_K"] = gas.epsilon_K;
  d["sigma_A"] = gas.sigma_A;
  d["fitted_with_quantum_correction"] = gas.fitted_with_quantum;
  d["fitted_with_exact_quantum"] = gas.fitted_with_exact_quantum;
  d["statistics"] = statistics_name(gas.statistics);
  d["spin"] = gas.spin;
  d["source"] = gas.source;
  const auto number = [](double x) { return std::isfinite(x) ? py::object(py::float_(x)) : py::object(py::none()); };
  d["fit_data"] = gas.fitted_data.empty() ? py::object(py::none()) : py::object(py::str(gas.fitted_data));
  d["fit_range_K"] = gas.fit_range_K ? py::object(py::cast(std::vector<double>{gas.fit_range_K->first, gas.fit_range_K->second}))
                                     : py::object(py::none());
  d["rms_residual_cm3_per_mol"] = number(rms_residual(gas));
  py::list models;
  for (const FittedModel& m : gas.models) {
    py::dict model;
    model["potential"] = potential_name(m.potential);
    model["epsilon_K"] = m.epsilon_K;
    model["sigma_A"] = m.sigma_A;
    model["rms_residual_cm3_per_mol"] = m.rms_residual_cm3_per_mol;
    model["max_residual_cm3_per_mol"] = m.max_residual_cm3_per_mol;
    models.append(model);
  }
  d["models"] = models;
  d["triple_point_K"] = number(gas.triple_point_K);
  d["critical_temperature_K"] = number(gas.critical_temperature_K);
  d["critical_pressure_MPa"] = number(gas.critical_pressure_MPa);
  d["critical_density_mol_per_m3"] = number(gas.critical_density_mol_per_m3);
  return d;
}

py::list diagnostic_list(const std::vector<Diagnostic>& found) {
  py::list list;
  for (const Diagnostic& d : found) {
    py::dict item;
    item["kind"] = diagnostic_kind_name(d.kind);
    item["T_lo_K"] = d.T_lo_K;
    item["T_hi_K"] = d.T_hi_K;
    item["count"] = d.count;
    item["gas"] = d.gas;
    item["range_lo_K"] = d.range_K.first;
    item["range_hi_K"] = d.range_K.second;
    item["junction_difference_cm3_per_mol"] = d.junction_difference_cm3_per_mol;
    item["first_principles"] = d.kind == DiagnosticKind::quantum_fit_used_classically && find_gas(d.gas).fitted_data.empty();
    item["quantum_option"] = d.kind == DiagnosticKind::quantum_fit_used_classically &&
                                     (find_gas(d.gas).fitted_with_exact_quantum || find_gas(d.gas).fitted_data.empty())
                                 ? "quantum=\"exact\""
                                 : "quantum=True";
    list.append(item);
  }
  return list;
}

SpinStatistics spin_statistics_named(const std::string& statistics, double spin) {
  const SpinStatistics named{statistics == "bose"    ? Statistics::bose
                             : statistics == "fermi" ? Statistics::fermi
                                                     : Statistics::boltzmann,
                             spin};
  check_spin_statistics(named);
  return named;
}

void define_fit(py::module_& m) {
  // The keys of 'lennard fit -f json' in its order, then the covariance of
  // (epsilon_K, sigma_A[, repulsive_exponent]) and the chi^2 probability.
  m.def("fit", [](const Array& T_K, const Array& B_cm3_per_mol, const std::optional<Array>& u_cm3_per_mol,
                  const std::string& potential, bool free_repulsion, bool quantum, double molar_mass_g_per_mol,
                  unsigned threads, bool exact, const std::string& statistics, double spin) {
    DataSet data;
    data.has_uncertainties = u_cm3_per_mol.has_value();
    for (py::ssize_t i = 0; i < T_K.size(); ++i) {
      data.points.push_back({T_K.data()[i], B_cm3_per_mol.data()[i], u_cm3_per_mol ? u_cm3_per_mol->data()[i] : 0.0,
                             static_cast<std::size_t>(i + 1)});
    }
    const Potential shape = parse_potential(potential);
    const Parallelism parallelism{threads, nullptr};
    FitResult fit;
    {
      py::gil_scoped_release unlocked;
      if (exact) {
        fit = fit_virial_quantum_exact(data, shape, molar_mass_g_per_mol, spin_statistics_named(statistics, spin),
                                       parallelism);
      } else {
        fit = quantum ? fit_virial_quantum(data, shape, molar_mass_g_per_mol, parallelism)
                      : fit_virial(data, shape, free_repulsion, parallelism);
      }
    }
    py::dict d;
    d["potential"] = potential_name(fit.potential);
    d["epsilon_K"] = fit.epsilon_K;
    d["epsilon_K_stderr"] = fit.epsilon_K_stderr;
    d["sigma_A"] = fit.sigma_A;
    d["sigma_A_stderr"] = fit.sigma_A_stderr;
    if (fit.repulsive_exponent) {
      d["repulsive_exponent"] = *fit.repulsive_exponent;
      d["repulsive_exponent_stderr"] = *fit.repulsive_exponent_stderr;
    }
    if (fit.de_boer) d["de_boer_parameter"] = *fit.de_boer;
    if (fit.exact) {
      py::dict q;
      q["order"] = "exact";
      q["statistics"] = statistics_name(fit.statistics->statistics);
      q["spin"] = fit.statistics->spin;
      py::list states;
      for (const BoundState& state : fit.exact->bound_states()) {
        py::dict bound;
        bound["l"] = state.l;
        bound["energy_K"] = state.energy * fit.epsilon_K;
        states.append(bound);
      }
      q["bound_states"] = states;
      d["quantum"] = q;
    }
    d["rms_cm3_per_mol"] = fit.rms_cm3_per_mol;
    d["chi2"] = fit.chi2;
    d["dof"] = fit.dof;
    d["reduced_chi2"] = fit.reduced_chi2;
    py::list points;
    for (std::size_t i = 0; i < data.points.size(); ++i) {
      py::dict point;
      point["T_K"] = data.points[i].T_K;
      point["B_cm3_per_mol"] = data.points[i].B_cm3_per_mol;
      point["B_fit_cm3_per_mol"] = fit.B_fit_cm3_per_mol[i];
      point["residual_cm3_per_mol"] = data.points[i].B_cm3_per_mol - fit.B_fit_cm3_per_mol[i];
      points.append(point);
    }
    d["points"] = points;
    return py::make_tuple(d, fit.covariance,
                          fit.chi2_probability ? py::object(py::float_(*fit.chi2_probability)) : py::none());
  }, "T_K"_a, "B_cm3_per_mol"_a, "u_cm3_per_mol"_a, "potential"_a, "free_repulsion"_a, "quantum"_a,
     "molar_mass_g_per_mol"_a, "threads"_a, "exact"_a, "statistics"_a, "spin"_a);
}

}  // namespace lennard_python
