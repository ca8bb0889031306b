// The compiled core of the Python module, on the physics library alone. The
// loops run over contiguous float64 arrays in blocks on every core (blocks.hpp).
// The package's __init__.py checks the arguments with English messages,
// broadcasts and shapes the results; a NaN among an element's inputs gives
// NaN without asking the physics.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "blocks.hpp"
#include "lennard/physics/errors.hpp"
#include "lennard/physics/fit.hpp"
#include "lennard/physics/gas_library.hpp"
#include "lennard/physics/gas_model.hpp"
#include "lennard/physics/quantum.hpp"
#include "lennard/physics/validation.hpp"
#include "module_common.hpp"
#include "lennard/physics/quantum_exact.hpp"

namespace py = pybind11;
using namespace py::literals;
using lennard_python::Array;
using lennard_python::Column;
using lennard_python::run_blocks;

namespace {

using namespace lennard;
constexpr double no_value = std::numeric_limits<double>::quiet_NaN();

// Elements per block: a block of B takes well under a millisecond, one of C
// some milliseconds, so a stop is seen within a fraction of a second.
constexpr std::size_t B_block = 256;
constexpr std::size_t C_block = 4;

// Everything of a pure gas but epsilon and sigma, which vary by element.
struct PureGasRequest {
  Potential potential;
  Method method;
  int quantum;  // 0: none; 1: hbar^2; 2: adds hbar^4
  double molar_mass;
  std::string name;
  bool fitted_with_quantum;
  bool exact = false;  // the exact quantum B (with quantum > 0)
  SpinStatistics statistics{};

  GasModel at(double epsilon_K, double sigma_A) const {
    PureGas gas{potential, epsilon_K, sigma_A, method, std::nullopt, name, fitted_with_quantum};
    if (quantum > 0) gas.de_boer = de_boer_parameter(epsilon_K, sigma_A, molar_mass);
    gas.quantum_order = quantum > 1 ? quantum : 1;
    gas.quantum_exact = exact;
    gas.statistics = statistics;
    if (!name.empty()) gas.fit_range_K = find_gas(name).fit_range_K;
    return GasModel(gas);
  }
};

PureGasRequest pure_gas_request(const std::string& potential, const std::string& method, int quantum, double molar_mass,
                   const std::string& gas) {
  // "exact": the potential's exact B, whatever computes it (its series, or
  // the quadrature for helium from first principles, which has none).
  const Potential shape = parse_potential(potential);
  PureGasRequest request{shape, method == "exact" ? exact_method(shape) : lennard_python::method_named(method),
                         quantum, molar_mass, gas, !gas.empty() && find_gas(gas).fitted_with_quantum};
  check_pure_gas(request.potential, request.method, quantum > 0);
  return request;
}

// The model of each element's (epsilon, sigma), rebuilt only when they change.
class Models {
 public:
  // With prepared (the exact quantum B): its models where it has them.
  explicit Models(const PureGasRequest& request,
                  const std::map<std::pair<double, double>, GasModel>* prepared = nullptr)
      : request_(request), prepared_(prepared) {}
  const GasModel& at(double epsilon_K, double sigma_A) {
    if (prepared_ != nullptr) {
      if (const auto found = prepared_->find({epsilon_K, sigma_A}); found != prepared_->end()) return found->second;
    }
    if (!model_ || epsilon_K != epsilon_ || sigma_A != sigma_) {
      model_.emplace(request_.at(epsilon_K, sigma_A));
      epsilon_ = epsilon_K;
      sigma_ = sigma_A;
    }
    return *model_;
  }

 private:
  const PureGasRequest& request_;
  const std::map<std::pair<double, double>, GasModel>* prepared_;
  std::optional<GasModel> model_;
  double epsilon_ = 0.0, sigma_ = 0.0;
};

bool any_nan(double a, double b, double c, double d = 0.0) {
  return std::isnan(a) || std::isnan(b) || std::isnan(c) || std::isnan(d);
}

// One finding per kind and gas over every group: the union of their ranges.
void merge(std::vector<Diagnostic>& all, const std::vector<Diagnostic>& found) {
  for (const Diagnostic& d : found) {
    bool merged = false;
    for (Diagnostic& a : all) {
      if (a.kind != d.kind || a.gas != d.gas) continue;
      a.T_lo_K = std::fmin(a.T_lo_K, d.T_lo_K);
      a.T_hi_K = std::fmax(a.T_hi_K, d.T_hi_K);
      a.count += d.count;
      merged = true;
    }
    if (!merged) all.push_back(d);
  }
}

// The diagnostics of one block's elements [begin, end) by (epsilon, sigma),
// from the values computed there (B, B_classical and Z indexed from begin; Z
// may be empty and P null); elements with a NaN input are left out. Found in
// blocks on every core, merged in block order after: the same as examining
// every element at once.
using Findings = std::map<std::pair<double, double>, std::vector<Diagnostic>>;

Findings block_diagnostics(Models& models, std::size_t begin, std::size_t end, const Column& T, const Column& epsilon,
                           const Column& sigma, const std::vector<double>& B, const std::vector<double>& B_classical,
                           const std::vector<double>& Z, const Column* P = nullptr) {
  // Mostly one epsilon and sigma throughout, and no NaN: the block as it is.
  bool uniform = true;
  for (std::size_t i = begin; i < end && uniform; ++i) {
    uniform = !any_nan(T[i], epsilon[i], sigma[i], P ? (*P)[i] : 0.0) && epsilon[i] == epsilon[begin] &&
              sigma[i] == sigma[begin];
  }
  if (uniform) {
    std::vector<double> t, pressures;
    for (std::size_t i = begin; i < end; ++i) {
      t.push_back(T[i]);
      if (P) pressures.push_back((*P)[i]);
    }
    return {{{epsilon[begin], sigma[begin]},
             models.at(epsilon[begin], sigma[begin]).diagnostics(t, B, B_classical, Z, pressures)}};
  }
  std::map<std::pair<double, double>, std::vector<std::size_t>> groups;
  for (std::size_t i = begin; i < end; ++i) {
    if (!any_nan(T[i], epsilon[i], sigma[i], P ? (*P)[i] : 0.0)) groups[{epsilon[i], sigma[i]}].push_back(i);
  }
  Findings found;
  for (const auto& [parameters, elements] : groups) {
    std::vector<double> t, b, bc, z, pressures;
    for (const std::size_t i : elements) {
      t.push_back(T[i]);
      b.push_back(B[i - begin]);
      bc.push_back(B_classical[i - begin]);
      if (!Z.empty()) z.push_back(Z[i - begin]);
      if (P) pressures.push_back((*P)[i]);
    }
    found[parameters] = models.at(parameters.first, parameters.second).diagnostics(t, b, bc, z, pressures);
  }
  return found;
}

// Every block's findings as one list: per (epsilon, sigma) in block order,
// then one finding per kind and gas over every (epsilon, sigma).
py::list merged_diagnostics(const std::vector<Findings>& blocks) {
  Findings together;
  for (const Findings& block : blocks) {
    for (const auto& [parameters, found] : block) GasModel::merge_diagnostics(together[parameters], found);
  }
  std::vector<Diagnostic> all;
  for (const auto& [parameters, found] : together) merge(all, found);
  return lennard_python::diagnostic_list(all);
}

Mixture mixture_of(const std::vector<std::string>& names, const std::vector<double>& fractions, double kij) {
  Mixture mixture;
  for (std::size_t i = 0; i < names.size() && i < fractions.size(); ++i) {
    const Gas& gas = lennard_python::gas_named(names[i]);
    mixture.components.push_back(
        mixture_component(gas, fractions[i]));
  }
  mixture.kij = kij;
  return mixture;
}

// The exact quantum B: one model per (epsilon, sigma), prepared once over the
// lowest to the highest T it is asked at.
std::map<std::pair<double, double>, GasModel> prepared_exact_models(const PureGasRequest& request, std::size_t n,
                                                                     const Column& t, const Column& e, const Column& s,
                                                                     unsigned threads) {
  std::map<std::pair<double, double>, std::pair<double, double>> ranges;
  for (std::size_t i = 0; i < n; ++i) {
    if (any_nan(t[i], e[i], s[i])) continue;
    const auto [where, added] = ranges.try_emplace({e[i], s[i]}, t[i], t[i]);
    where->second.first = std::min(where->second.first, t[i]);
    where->second.second = std::max(where->second.second, t[i]);
  }
  std::map<std::pair<double, double>, GasModel> prepared;
  py::gil_scoped_release unlocked;
  for (const auto& [parameters, range] : ranges) {
    GasModel model = request.at(parameters.first, parameters.second);
    model.prepare_quantum(range.first, range.second, threads);
    prepared.emplace(parameters, std::move(model));
  }
  return prepared;
}

}  // namespace

PYBIND11_MODULE(_lennard, m) {
  m.doc() = "Compiled core of the lennard package; use the functions of lennard itself.";
  m.attr("__version__") = LENNARD_VERSION;
  lennard_python::register_errors();

  m.def("check_potential", [](const std::string& spelling) { return potential_name(parse_potential(spelling)); },
        "potential"_a);
  // The exact quantum B needs a smooth potential (ValueError for sw and hs).
  m.def("check_exact_potential", [](const std::string& potential) { radial_potential(parse_potential(potential)); },
        "potential"_a);
  m.def("check_pure_gas", [](const std::string& potential, const std::string& method, bool quantum) {
    // "exact": the potential's exact B, as pure_gas_request reads it.
    const Potential shape = parse_potential(potential);
    check_pure_gas(shape, method == "exact" ? exact_method(shape) : lennard_python::method_named(method), quantum);
  }, "potential"_a, "method"_a, "quantum"_a);

  // The canonical names and the fractions (normalised when they only missed 1
  // by rounding, with the sum they had) of a mixture the rules accept.
  m.def("check_mixture", [](const std::vector<std::string>& names, const std::vector<double>& fractions, double kij) {
    Mixture mixture = mixture_of(names, fractions, kij);
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
  }, "names"_a, "mole_fractions"_a, "kij"_a);

  // B or dB/dT element by element, with the diagnostics of the values.
  m.def("second_virial", [](const Array& T_K, const Array& epsilon_K, const Array& sigma_A, const std::string& potential,
                            const std::string& method, int quantum, double molar_mass_g_per_mol, bool derivative,
                            const std::string& gas, unsigned threads, bool exact, const std::string& statistics,
                            double spin) {
    PureGasRequest request = pure_gas_request(potential, method, quantum, molar_mass_g_per_mol, gas);
    request.exact = exact;
    if (exact) request.statistics = lennard_python::spin_statistics_named(statistics, spin);
    const std::size_t n = lennard_python::same_size({&T_K, &epsilon_K, &sigma_A});
    const Column t(T_K), e(epsilon_K), s(sigma_A);
    Array out(static_cast<py::ssize_t>(n));
    double* o = out.mutable_data();
    std::vector<Findings> found((n + B_block - 1) / B_block);
    const std::map<std::pair<double, double>, GasModel> prepared =
        exact ? prepared_exact_models(request, n, t, e, s, threads) : std::map<std::pair<double, double>, GasModel>{};
    run_blocks(n, B_block, threads, [&](std::size_t begin, std::size_t end) {
      Models models(request, exact ? &prepared : nullptr);
      std::vector<double> B(end - begin), B_classical(end - begin);
      for (std::size_t i = begin; i < end; ++i) {
        if (any_nan(t[i], e[i], s[i])) {
          o[i] = B[i - begin] = B_classical[i - begin] = no_value;
          continue;
        }
        const SecondVirial b = models.at(e[i], s[i]).second_virial(t[i], derivative);
        o[i] = derivative ? b.dB_dT : b.B;
        B[i - begin] = b.B;
        B_classical[i - begin] = b.B_classical;
      }
      found[begin / B_block] = block_diagnostics(models, begin, end, t, e, s, B, B_classical, {});
    });
    return py::make_tuple(out, merged_diagnostics(found));
  }, "T_K"_a, "epsilon_K"_a, "sigma_A"_a, "potential"_a, "method"_a, "quantum"_a, "molar_mass_g_per_mol"_a,
     "derivative"_a, "gas"_a, "threads"_a, "exact"_a, "statistics"_a, "spin"_a);

  // C has one rule of its own and no quantum correction.
  m.def("third_virial", [](const Array& T_K, const Array& epsilon_K, const Array& sigma_A, const std::string& potential,
                           bool derivative, const std::string& gas, unsigned threads) {
    const PureGasRequest request = pure_gas_request(potential, "exact", false, no_value, gas);
    const std::size_t n = lennard_python::same_size({&T_K, &epsilon_K, &sigma_A});
    const Column t(T_K), e(epsilon_K), s(sigma_A);
    Array out(static_cast<py::ssize_t>(n));
    double* o = out.mutable_data();
    std::vector<Findings> found((n + C_block - 1) / C_block);
    run_blocks(n, C_block, threads, [&](std::size_t begin, std::size_t end) {
      Models models(request);
      for (std::size_t i = begin; i < end; ++i) {
        if (any_nan(t[i], e[i], s[i])) {
          o[i] = no_value;
          continue;
        }
        const ThirdVirial c = models.at(e[i], s[i]).third_virial(t[i], derivative);
        o[i] = derivative ? c.dC_dT : c.C;
      }
      // Classical: the diagnostics look at the temperatures only, never at B.
      const std::vector<double> none(end - begin, no_value);
      found[begin / C_block] = block_diagnostics(models, begin, end, t, e, s, none, none, {});
    });
    return py::make_tuple(out, merged_diagnostics(found));
  }, "T_K"_a, "epsilon_K"_a, "sigma_A"_a, "potential"_a, "derivative"_a, "gas"_a, "threads"_a);

  // Z and V with the B and C they come from (for the package's refusals).
  m.def("compressibility", [](const Array& T_K, const Array& pressure_bar, const Array& epsilon_K,
                              const Array& sigma_A, const std::string& potential, const std::string& method,
                              int quantum, double molar_mass_g_per_mol, const std::string& gas, unsigned threads,
                              bool exact, const std::string& statistics, double spin) {
    PureGasRequest request = pure_gas_request(potential, method, quantum, molar_mass_g_per_mol, gas);
    request.exact = exact;
    if (exact) request.statistics = lennard_python::spin_statistics_named(statistics, spin);
    const std::size_t n = lennard_python::same_size({&T_K, &pressure_bar, &epsilon_K, &sigma_A});
    const Column t(T_K), p(pressure_bar), e(epsilon_K), s(sigma_A);
    const std::map<std::pair<double, double>, GasModel> prepared =
        exact ? prepared_exact_models(request, n, t, e, s, threads) : std::map<std::pair<double, double>, GasModel>{};
    const auto size = static_cast<py::ssize_t>(n);
    Array Z(size), V(size), B_out(size), C_out(size);
    double *z = Z.mutable_data(), *v = V.mutable_data(), *b_out = B_out.mutable_data(), *c_out = C_out.mutable_data();
    std::vector<Findings> found((n + C_block - 1) / C_block);
    run_blocks(n, C_block, threads, [&](std::size_t begin, std::size_t end) {
      Models models(request, exact ? &prepared : nullptr);
      std::vector<double> B(end - begin), B_classical(end - begin), Zs(end - begin);
      for (std::size_t i = begin; i < end; ++i) {
        const std::size_t k = i - begin;
        if (any_nan(t[i], e[i], s[i], p[i])) {
          z[i] = v[i] = b_out[i] = c_out[i] = B[k] = B_classical[k] = Zs[k] = no_value;
          continue;
        }
        const GasModel& model = models.at(e[i], s[i]);
        const SecondVirial b = model.second_virial(t[i], false);
        const double C = model.third_virial(t[i], false).C;
        const GasState state = model.gas_state(t[i], p[i], b.B, C);
        z[i] = Zs[k] = state.Z;
        v[i] = state.V_cm3_per_mol;
        b_out[i] = B[k] = b.B;
        c_out[i] = C;
        B_classical[k] = b.B_classical;
      }
      found[begin / C_block] = block_diagnostics(models, begin, end, t, e, s, B, B_classical, Zs, &p);
    });
    return py::make_tuple(Z, V, B_out, C_out, merged_diagnostics(found));
  }, "T_K"_a, "pressure_bar"_a, "epsilon_K"_a, "sigma_A"_a, "potential"_a, "method"_a, "quantum"_a,
     "molar_mass_g_per_mol"_a, "gas"_a, "threads"_a, "exact"_a, "statistics"_a, "spin"_a);

  m.def("mixture_second_virial", [](const Array& T_K, const std::vector<std::string>& names,
                                    const std::vector<double>& mole_fractions, double kij, bool quantum,
                                    bool derivative, unsigned threads) {
    Mixture mixture = mixture_of(names, mole_fractions, kij);
    check_mixture(mixture);
    const GasModel gas(mixture, quantum);
    const std::size_t n = static_cast<std::size_t>(T_K.size());
    const double* t = T_K.data();
    Array out(T_K.size());
    double* o = out.mutable_data();
    std::vector<double> B(n), B_classical(n);
    run_blocks(n, B_block, threads, [&](std::size_t begin, std::size_t end) {
      for (std::size_t i = begin; i < end; ++i) {
        const SecondVirial b = std::isnan(t[i]) ? SecondVirial{no_value, no_value, no_value, no_value} : gas.second_virial(t[i], derivative);
        o[i] = derivative ? b.dB_dT : b.B;
        B[i] = b.B;
        B_classical[i] = b.B_classical;
      }
    });
    std::vector<double> finite_T, finite_B, finite_B_classical;
    for (std::size_t i = 0; i < n; ++i) {
      if (std::isnan(t[i])) continue;
      finite_T.push_back(t[i]);
      finite_B.push_back(B[i]);
      finite_B_classical.push_back(B_classical[i]);
    }
    py::list found;
    if (!finite_T.empty()) found = lennard_python::diagnostic_list(gas.diagnostics(finite_T, finite_B, finite_B_classical, {}));
    return py::make_tuple(out, found);
  }, "T_K"_a, "names"_a, "mole_fractions"_a, "kij"_a, "quantum"_a, "derivative"_a, "threads"_a);

  // With "_diagnostics": the model's, where the temperatures it reports lie,
  // from the states prepared for the search (as the program's --summary).
  m.def("characteristic_temperatures", [](const std::string& potential, double epsilon_K, double sigma_A,
                                          bool quantum, double molar_mass_g_per_mol, bool exact,
                                          const std::string& statistics, double spin, const std::string& name) {
    PureGasRequest request = pure_gas_request(potential, "exact", quantum, molar_mass_g_per_mol, name);
    request.exact = exact;
    if (exact) request.statistics = lennard_python::spin_statistics_named(statistics, spin);
    GasModel gas = request.at(epsilon_K, sigma_A);
    Characteristics c;
    std::vector<Diagnostic> found;
    {
      py::gil_scoped_release unlocked;
      if (exact) {
        gas.prepare_quantum(exact_search_T_star.first * epsilon_K, exact_search_T_star.second * epsilon_K);
      }
      c = gas.characteristics();
      std::vector<double> reported = c.boyle_temperatures_K;
      for (const std::optional<double>& T : {c.inversion_temperature_K, c.max_B_temperature_K}) {
        if (T) reported.push_back(*T);
      }
      found = gas.diagnostics(reported);
    }
    const auto maybe = [](const std::optional<double>& value) {
      return value ? py::object(py::float_(*value)) : py::object(py::none());
    };
    py::dict d;
    d["boyle_temperature_K"] = maybe(c.boyle_temperature_K);
    d["inversion_temperature_K"] = maybe(c.inversion_temperature_K);
    d["max_B_temperature_K"] = maybe(c.max_B_temperature_K);
    d["max_B_cm3_per_mol"] = maybe(c.max_B_cm3_per_mol);
    d["boyle_temperatures_K"] = c.boyle_temperatures_K;
    d["_diagnostics"] = lennard_python::diagnostic_list(found);
    return d;
  }, "potential"_a, "epsilon_K"_a, "sigma_A"_a, "quantum"_a, "molar_mass_g_per_mol"_a, "exact"_a, "statistics"_a,
     "spin"_a, "name"_a);

  // The model's diagnostics at a few temperatures (the characteristic ones, a fit's data).
  m.def("diagnostics", [](const std::vector<double>& T_K, const std::string& potential, double epsilon_K,
                          double sigma_A, bool quantum, double molar_mass_g_per_mol, const std::string& gas,
                          bool exact) {
    PureGasRequest request = pure_gas_request(potential, "exact", quantum, molar_mass_g_per_mol, gas);
    request.exact = exact;
    return lennard_python::diagnostic_list(request.at(epsilon_K, sigma_A).diagnostics(T_K));
  }, "T_K"_a, "potential"_a, "epsilon_K"_a, "sigma_A"_a, "quantum"_a, "molar_mass_g_per_mol"_a, "gas"_a,
     "exact"_a = false);

  lennard_python::define_fit(m);

  m.def("gases", [] {
    py::list list;
    for (const Gas& gas : gas_library()) list.append(lennard_python::gas_dict(gas));
    return list;
  });
  m.def("gas", [](const std::string& name) { return lennard_python::gas_dict(lennard_python::gas_named(name)); },
        "name"_a);
}
