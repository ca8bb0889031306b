// The compiled core of the Python module: loops over contiguous float64
// arrays with the GIL released, on the physics library alone. The package's
// __init__.py checks the arguments (with English messages), broadcasts and
// shapes the results; these functions trust what it hands them.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "lennard/physics/characteristic.hpp"
#include "lennard/physics/compressibility.hpp"
#include "lennard/physics/errors.hpp"
#include "lennard/physics/fit.hpp"
#include "lennard/physics/gas_library.hpp"
#include "lennard/physics/gas_model.hpp"
#include "lennard/physics/mixture.hpp"
#include "lennard/physics/potential.hpp"
#include "lennard/physics/quantum.hpp"
#include "lennard/physics/second_virial.hpp"
#include "lennard/physics/series.hpp"
#include "lennard/physics/third_virial.hpp"
#include "lennard/physics/validation.hpp"

namespace py = pybind11;
using Array = py::array_t<double, py::array::c_style | py::array::forcecast>;

namespace {

using namespace lennard;

Method method_named(const std::string& name) {
  if (name == "trapezoid") return Method::trapezoid;
  if (name == "quadrature") return Method::quadrature;
  return Method::series;
}

// Applies value(T) to every element of T, with the GIL released.
template <class Value>
Array map_temperatures(const Array& T, Value value) {
  Array result(T.size());
  const double* in = T.data();
  double* out = result.mutable_data();
  const py::ssize_t n = T.size();
  {
    py::gil_scoped_release unlocked;
    for (py::ssize_t i = 0; i < n; ++i) out[i] = value(in[i]);
  }
  return result;
}

// A pure gas with its first quantum correction when asked for (mass in g/mol);
// a library gas (name not empty) carries its flags.
GasModel pure(const std::string& potential, double epsilon_K, double sigma_A, const std::string& method, bool quantum,
              double molar_mass, const std::string& name = {}) {
  PureGas gas{parse_potential(potential), epsilon_K, sigma_A, method_named(method), std::nullopt, name,
              !name.empty() && find_gas(name).fitted_with_quantum};
  if (quantum) gas.de_boer = de_boer_parameter(epsilon_K, sigma_A, molar_mass);
  return GasModel(gas);
}

const char* kind_name(DiagnosticKind kind) {
  switch (kind) {
    case DiagnosticKind::quantum_expansion_unreliable: return "quantum_expansion_unreliable";
    case DiagnosticKind::quantum_fit_used_classically: return "quantum_fit_used_classically";
    case DiagnosticKind::no_gas_root: return "no_gas_root";
  }
  return "";
}

py::list diagnostic_list(const std::vector<Diagnostic>& found) {
  py::list list;
  for (const Diagnostic& d : found) {
    py::dict item;
    item["kind"] = kind_name(d.kind);
    item["T_lo_K"] = d.T_lo_K;
    item["T_hi_K"] = d.T_hi_K;
    item["count"] = d.count;
    item["gas"] = d.gas;
    list.append(item);
  }
  return list;
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
  d["source"] = gas.source;
  return d;
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

// The argument of the Python functions that carries each parameter.
std::string python_argument(Parameter parameter) {
  switch (parameter) {
    case Parameter::epsilon: return "epsilon_K";
    case Parameter::sigma: return "sigma_A";
    case Parameter::mixture: return "gases";
    case Parameter::mole_fraction: return "mole_fractions";
    case Parameter::temperature_step: return "T_K";
    default: return std::string(parameter_id(parameter));
  }
}

py::object maybe(const std::optional<double>& value) {
  return value ? py::object(py::float_(*value)) : py::object(py::none());
}

}  // namespace

PYBIND11_MODULE(_lennard, m) {
  m.doc() = "Compiled core of the lennard package; use the functions of lennard itself.";
  py::register_exception_translator([](std::exception_ptr p) {
    try {
      if (p) std::rethrow_exception(p);
    } catch (const InvalidArgument& e) {
      PyErr_SetString(PyExc_ValueError, (python_argument(e.parameter()) + ": " + e.description()).c_str());
    } catch (const PhysicsError& e) {
      PyErr_SetString(PyExc_ValueError, e.what());
    } catch (const lennard::Error& e) {
      PyErr_SetString(PyExc_ValueError, e.what());
    }
  });

  m.def("check_potential", [](const std::string& spelling) { return potential_name(parse_potential(spelling)); });

  m.def("check_pure_gas", [](const std::string& potential, const std::string& method, bool quantum) {
    check_pure_gas(parse_potential(potential), method_named(method), quantum);
  });

  // The canonical names and the fractions (normalised when they only missed 1
  // by rounding, with the sum they had) of a mixture the rules accept.
  m.def("check_mixture", [](const std::vector<std::string>& names, const std::vector<double>& fractions, double kij) {
    Mixture mixture;
    for (std::size_t i = 0; i < names.size() && i < fractions.size(); ++i) {
      const Gas& gas = gas_named(names[i]);
      mixture.components.push_back(
          {gas.name, gas.potential, gas.epsilon_K, gas.sigma_A, gas.molar_mass_g_per_mol, fractions[i]});
    }
    mixture.kij = kij;
    double sum = 0.0;
    for (const Component& c : mixture.components) sum += c.mole_fraction;
    const bool normalised = normalise_mole_fractions(mixture);
    check_mixture(mixture);
    std::vector<std::string> canonical;
    std::vector<double> used;
    for (const Component& c : mixture.components) {
      canonical.push_back(c.name);
      used.push_back(c.mole_fraction);
    }
    return py::make_tuple(canonical, used, normalised ? py::object(py::float_(sum)) : py::object(py::none()));
  });

  m.def("second_virial", [](const Array& T, const std::string& potential, double epsilon_K, double sigma_A,
                            const std::string& method, bool quantum, double molar_mass, int derivative) {
    const GasModel gas = pure(potential, epsilon_K, sigma_A, method, quantum, molar_mass);
    if (derivative == 1) return map_temperatures(T, [&](double t) { return gas.dB_dT(t); });
    return map_temperatures(T, [&](double t) { return gas.B(t); });
  });

  m.def("third_virial", [](const Array& T, const std::string& potential, double epsilon_K, double sigma_A,
                           int derivative) {
    const GasModel gas = pure(potential, epsilon_K, sigma_A, "series", false, 0.0);
    return map_temperatures(T, [&](double t) {
      const ThirdVirial c = gas.third_virial(t, derivative == 1);
      return derivative == 1 ? c.dC_dT : c.C;
    });
  });

  m.def("compressibility", [](const Array& T, const Array& P, const std::string& potential, double epsilon_K,
                              double sigma_A, const std::string& method, bool quantum, double molar_mass) {
    const GasModel gas = pure(potential, epsilon_K, sigma_A, method, quantum, molar_mass);
    Array Z(T.size()), V(T.size());
    const double* t = T.data();
    const double* p = P.data();
    double* z = Z.mutable_data();
    double* v = V.mutable_data();
    {
      py::gil_scoped_release unlocked;
      for (py::ssize_t i = 0; i < T.size(); ++i) {
        const GasState state = gas.state(t[i], p[i]);
        z[i] = state.Z;
        v[i] = state.V_cm3_per_mol;
      }
    }
    return py::make_tuple(Z, V);
  });

  m.def("mixture_second_virial", [](const Array& T, const std::vector<std::string>& names,
                                    const std::vector<double>& fractions, double kij, bool quantum, int derivative) {
    Mixture mixture;
    for (std::size_t i = 0; i < names.size(); ++i) {
      const Gas& gas = gas_named(names[i]);
      mixture.components.push_back(
          {gas.name, gas.potential, gas.epsilon_K, gas.sigma_A, gas.molar_mass_g_per_mol, fractions[i]});
    }
    mixture.kij = kij;
    check_mixture(mixture);
    const GasModel gas(mixture, quantum);
    return map_temperatures(T, [&](double t) {
      const SecondVirial b = gas.second_virial(t, derivative == 1);
      return derivative == 1 ? b.dB_dT : b.B;
    });
  });

  m.def("characteristic_temperatures", [](const std::string& potential, double epsilon_K, double sigma_A,
                                          bool quantum, double molar_mass) {
    const GasModel gas = pure(potential, epsilon_K, sigma_A, "series", quantum, molar_mass);
    Characteristics c;
    {
      py::gil_scoped_release unlocked;
      c = gas.characteristics();
    }
    py::dict d;
    d["boyle_temperature_K"] = maybe(c.boyle_temperature_K);
    d["inversion_temperature_K"] = maybe(c.inversion_temperature_K);
    d["max_B_temperature_K"] = maybe(c.max_B_temperature_K);
    d["max_B_cm3_per_mol"] = maybe(c.max_B_cm3_per_mol);
    d["boyle_temperatures_K"] = c.boyle_temperatures_K;
    return d;
  });

  // The model's diagnostics over these temperatures (with a pressure, also
  // where there is no gas root); the package turns them into warnings.
  m.def("diagnostics", [](const std::vector<double>& T, const std::string& potential, double epsilon_K,
                          double sigma_A, const std::string& method, bool quantum, double molar_mass,
                          const std::string& gas, std::optional<double> pressure_bar) {
    return diagnostic_list(pure(potential, epsilon_K, sigma_A, method, quantum, molar_mass, gas)
                               .diagnostics(T, pressure_bar));
  });

  m.def("mixture_diagnostics", [](const std::vector<double>& T, const std::vector<std::string>& names,
                                  const std::vector<double>& fractions, double kij, bool quantum) {
    Mixture mixture;
    for (std::size_t i = 0; i < names.size(); ++i) {
      const Gas& gas = gas_named(names[i]);
      mixture.components.push_back(
          {gas.name, gas.potential, gas.epsilon_K, gas.sigma_A, gas.molar_mass_g_per_mol, fractions[i]});
    }
    mixture.kij = kij;
    return diagnostic_list(GasModel(mixture, quantum).diagnostics(T));
  });

  m.def("fit", [](const Array& T, const Array& B, const std::optional<Array>& u, const std::string& potential,
                  bool free_repulsion, bool quantum, double molar_mass) {
    DataSet data;
    data.has_uncertainties = u.has_value();
    for (py::ssize_t i = 0; i < T.size(); ++i) {
      data.points.push_back({T.data()[i], B.data()[i], u ? u->data()[i] : 0.0, static_cast<std::size_t>(i + 1)});
    }
    const Potential shape = parse_potential(potential);
    FitResult fit;
    {
      py::gil_scoped_release unlocked;
      fit = quantum ? fit_virial_quantum(data, shape, molar_mass) : fit_virial(data, shape, free_repulsion);
    }
    // The keys of 'lennard fit -f json', in its order.
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
    return d;
  });

  m.def("gases", [] {
    py::list list;
    for (const Gas& gas : gas_library()) list.append(gas_dict(gas));
    return list;
  });
  m.def("gas", [](const std::string& name) { return gas_dict(gas_named(name)); });
}
