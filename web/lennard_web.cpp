// The page's entry into the physics: one function that takes a request as JSON
// and answers in JSON, so that the page and window.lennard ask the same gas
// model the program asks, and get their csv and json from the program's own
// writers. Refusals come back with the argument named as the Python module
// names it, in English, and with the program's Spanish sentence.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "lennard/app/messages.hpp"
#include "lennard/app/warnings.hpp"
#include "lennard/io/data_file.hpp"
#include "lennard/io/output.hpp"
#include "lennard/physics/errors.hpp"
#include "lennard/physics/fit.hpp"
#include "lennard/physics/gas_library.hpp"
#include "lennard/physics/gas_model.hpp"
#include "lennard/physics/quantum.hpp"
#include "lennard/physics/shortest.hpp"
#include "lennard/physics/sweep.hpp"
#include "lennard/physics/third_virial.hpp"
#include "lennard/physics/validation.hpp"
#include "lennard/physics/virial_table.hpp"

namespace {

using namespace lennard;
using nlohmann::json;

// One thread: the page has no others (see web/WebDependencies.cmake).
const Parallelism one_thread{1, nullptr};

// A refusal of the page's own, outside the physics: the argument as the
// Python module names it, and the sentence in each language.
struct Refused {
  std::string argument, en, es;
};

// What a writer puts into a FILE*, as text.
template <class Write>
std::string captured(const Write& write) {
  char* buffer = nullptr;
  std::size_t size = 0;
  std::FILE* file = open_memstream(&buffer, &size);
  if (file == nullptr) throw std::runtime_error("no memory for the output");
  write(file);
  std::fclose(file);
  std::string text(buffer, size);
  std::free(buffer);
  return text;
}

// The diagnostics as data (for the English warnings) and as the program's Spanish lines.
void add_diagnostics(json& answer, const std::vector<Diagnostic>& found, std::optional<double> pressure_bar) {
  json list = json::array();
  for (const Diagnostic& d : found) {
    // A gas from first principles (helium-4) or fitted with the exact B wants that B.
    const bool library = d.kind == DiagnosticKind::quantum_fit_used_classically;
    const bool first_principles = library && find_gas(d.gas).fitted_data.empty();
    list.push_back({{"kind", diagnostic_kind_name(d.kind)}, {"T_lo_K", d.T_lo_K}, {"T_hi_K", d.T_hi_K},
                    {"count", d.count}, {"gas", d.gas}, {"range_lo_K", d.range_K.first},
                    {"range_hi_K", d.range_K.second},
                    {"junction_difference_cm3_per_mol", std::isnan(d.junction_difference_cm3_per_mol)
                                                            ? json(nullptr)
                                                            : json(d.junction_difference_cm3_per_mol)},
                    {"first_principles", first_principles},
                    {"exact_quantum", first_principles || (library && find_gas(d.gas).fitted_with_exact_quantum)},
                    {"pressure_bar", pressure_bar ? json(*pressure_bar) : json(nullptr)}});
  }
  answer["diagnostics"] = list;
  answer["warnings_es"] = captured([&](std::FILE* file) { warn_of(found, pressure_bar, file); });
}

const Gas& gas_named(const std::string& name) {
  try {
    return find_gas(name);
  } catch (const InvalidArgument& refusal) {
    std::string close;
    for (const std::string& n : closest_gas_names(name, 3)) close += (close.empty() ? "" : ", ") + n;
    throw Refused{"gas", "gas: unknown gas '" + name + "'; the closest are " + close + " (lennard.gases() lists them all)",
                  spanish_sentence(refusal)};
  }
}

double number(const json& request, const char* key, double otherwise = std::nan("")) {
  const auto found = request.find(key);
  return found == request.end() || found->is_null() ? otherwise : found->get<double>();
}

std::string text(const json& request, const char* key) {
  const auto found = request.find(key);
  return found == request.end() || found->is_null() ? std::string() : found->get<std::string>();
}

bool flag(const json& request, const char* key) {
  const auto found = request.find(key);
  return found != request.end() && found->is_boolean() && found->get<bool>();
}

// 0 (none), 1, 2 or -1 for "exact".
int quantum_order(const json& request) {
  const auto found = request.find("quantum");
  if (found == request.end() || found->is_null()) return 0;
  if (found->is_string()) return -1;
  if (found->is_boolean()) return found->get<bool>() ? 1 : 0;
  return found->get<int>();
}

Method method_named(const std::string& name) {
  if (name == "quadrature") return Method::quadrature;
  if (name == "trapezoid") return Method::trapezoid;
  return Method::series;
}

SpinStatistics spin_statistics(const json& request, const Gas* gas) {
  SpinStatistics statistics;
  if (gas) statistics = {gas->statistics, gas->spin};
  const std::string named = text(request, "statistics");
  if (!named.empty()) {
    statistics.statistics = named == "bose" ? Statistics::bose : named == "fermi" ? Statistics::fermi : Statistics::boltzmann;
  }
  const double spin = number(request, "spin");
  if (!std::isnan(spin)) statistics.spin = spin;
  check_spin_statistics(statistics);
  return statistics;
}

// A pure gas as the request names it, the way the command line builds it from
// --gas (with -p), or -p, -e, -s and --mass; quantum and method as given.
struct PureRequest {
  PureGas gas;
  double molar_mass = std::nan("");
  bool quantum = false;
};

PureRequest pure_request(const json& request) {
  PureRequest r;
  const int order = quantum_order(request);
  r.quantum = order != 0;
  const std::string gas_name = text(request, "gas");
  const std::string spelling = text(request, "potential");
  const Gas* gas = nullptr;
  if (!gas_name.empty()) {
    gas = &gas_named(gas_name);
    const Gas chosen = spelling.empty() ? *gas : gas_with_model(*gas, parse_potential(spelling));
    r.gas.name = chosen.name;
    r.gas.potential = chosen.potential;
    r.gas.epsilon_K = chosen.epsilon_K;
    r.gas.sigma_A = chosen.sigma_A;
    r.gas.fitted_with_quantum = chosen.fitted_with_quantum;
    r.gas.fit_range_K = chosen.fit_range_K;
    r.molar_mass = chosen.molar_mass_g_per_mol;
  } else {
    r.gas.potential = parse_potential(spelling.empty() ? "lj" : spelling);
    if (const std::optional<OwnScale> own = own_scale(r.gas.potential)) {
      r.gas.epsilon_K = own->epsilon_K;
      r.gas.sigma_A = own->sigma_A;
    } else {
      r.gas.epsilon_K = has_well_depth(r.gas.potential) ? number(request, "epsilon_K") : 1.0;
      r.gas.sigma_A = number(request, "sigma_A");
    }
    r.molar_mass = number(request, "molar_mass_g_per_mol");
    if (r.quantum && std::isnan(r.molar_mass)) {
      throw Refused{"molar_mass_g_per_mol", "molar_mass_g_per_mol: required with quantum (or give gas)",
                    "--quantum necesita la masa molar: --mass G_POR_MOL."};
    }
  }
  const std::string method = text(request, "method");
  r.gas.method = method.empty() ? exact_method(r.gas.potential) : method_named(method);
  r.gas.quantum_order = order == 2 ? 2 : 1;
  r.gas.quantum_exact = order < 0;
  if (r.gas.quantum_exact) r.gas.statistics = spin_statistics(request, gas);
  check_pure_gas(r.gas.potential, r.gas.method, r.quantum);
  check_parameters(r.gas.epsilon_K, r.gas.sigma_A);
  if (r.quantum) r.gas.de_boer = de_boer_parameter(r.gas.epsilon_K, r.gas.sigma_A, r.molar_mass);
  return r;
}

Mixture mixture_of(const json& request) {
  Mixture mixture;
  for (const json& part : request.at("mixture")) {
    mixture.components.push_back(mixture_component(gas_named(part.at(0).get<std::string>()), part.at(1).get<double>()));
  }
  mixture.kij = number(request, "kij", 0.0);
  normalise_mole_fractions(mixture);
  check_mixture(mixture);
  return mixture;
}

// The rows: the temperatures given, or the sweep --tmin, --tmax and --step make.
std::vector<double> temperatures(const json& request) {
  if (request.contains("T_K")) return request.at("T_K").get<std::vector<double>>();
  Sweep sweep{number(request, "tmin_K"), number(request, "tmax_K"), 0.0};
  if (sweep.T2 < sweep.T1) {
    throw Refused{"tmax_K",
                  "tmax_K: the upper bound of the sweep (" + shortest(sweep.T2) + " K) is below the first temperature (" +
                      shortest(sweep.T1) + " K)",
                  "la cota superior del barrido (" + shortest(sweep.T2) + " K) es menor que la primera temperatura (" +
                      shortest(sweep.T1) + " K)."};
  }
  sweep.dT = number(request, "step_K", temperature_step(sweep.T1, sweep.T2));
  return evenly_spaced_grid(sweep);
}

// A table refused for values that are not finite, as the program refuses it.
void check_finite(const Table& table) {
  const Column* V = table.column(V_key);
  const Column* Z = table.column(Z_key);
  for (std::size_t i = 0; V && Z && i < table.T_K.size(); ++i) {
    if (!std::isinf(V->values[i]) && !std::isinf(Z->values[i])) continue;
    const std::string P = shortest(*table.pressure_bar), T = shortest(table.T_K[i]), v = shortest(V->values[i]);
    throw Refused{"pressure_bar",
                  "pressure_bar: at P = " + P + " bar and T = " + T + " K the molar volume V = Z RT/P is not finite (" + v +
                      " cm^3/mol): the pressure is too low for that temperature",
                  "con --pressure " + P + " bar, a T = " + T + " K el volumen molar V = Z RT/P no es finito (" + v +
                      " cm3/mol): la presión es demasiado baja para esa temperatura."};
  }
  const std::size_t bad = first_non_finite_row(table);
  if (bad == table.T_K.size()) return;
  const double T = table.T_K[bad];
  std::string values = "1/T = " + shortest(1.0 / T);
  for (const Column& c : table.columns) values += ", " + column_symbol(c) + " = " + shortest(c.values[bad]);
  const std::string reduced = table.mixture.empty() ? " (T/epsilon = " + shortest(T / table.epsilon_K) + ")" : "";
  throw Refused{"T_K",
                "T_K: at T = " + shortest(T) + " K" + reduced + " the result is not a finite number (" + values +
                    "): outside the reach of the method",
                "a T = " + shortest(T) + " K" + reduced + " el resultado no es un número finito (" + values +
                    "): queda fuera del alcance del método."};
}

json table(const json& request) {
  const bool third = flag(request, "third");
  const std::optional<double> pressure =
      request.contains("pressure_bar") && !request.at("pressure_bar").is_null()
          ? std::optional<double>(request.at("pressure_bar").get<double>())
          : std::nullopt;
  const Quantities quantities{flag(request, "derivative"), third, pressure, std::nullopt};
  Table result;
  if (request.contains("mixture")) {
    const Mixture mixture = mixture_of(request);
    result = compute_mixture_table(mixture, temperatures(request), quantities, quantum_order(request) != 0, one_thread);
  } else {
    PureRequest r = pure_request(request);
    if (third || pressure) check_third_virial(r.gas.potential);
    if (!request.contains("T_K") && !(r.gas.epsilon_K > 0.0)) {
      throw Refused{"epsilon_K", "epsilon_K: must be positive", "epsilon/k_B debe ser positivo con --tmin, --tmax o --step."};
    }
    const std::vector<double> T = temperatures(request);
    GasModel model(r.gas);
    if (!T.empty()) {
      const auto [lowest, highest] = std::minmax_element(T.begin(), T.end());
      model.prepare_quantum(*lowest, *highest, 1);
    }
    result = compute_table(model, T, quantities, one_thread);
  }
  check_finite(result);
  json answer{{"csv", captured([&](std::FILE* f) { write_table(f, result, Format::csv); })},
              {"json", captured([&](std::FILE* f) { write_table(f, result, Format::json); })}};
  add_diagnostics(answer, result.diagnostics, result.pressure_bar);
  return answer;
}

json characteristics(const json& request) {
  PureRequest r = pure_request(request);
  GasModel model(r.gas);
  model.prepare_quantum(exact_search_T_star.first * r.gas.epsilon_K, exact_search_T_star.second * r.gas.epsilon_K, 1);
  const Characteristics values = model.characteristics();
  for (const std::optional<double>& value : {values.boyle_temperature_K, values.inversion_temperature_K,
                                             values.max_B_temperature_K, values.max_B_cm3_per_mol}) {
    if (value && !std::isfinite(*value)) {
      throw Refused{"epsilon_K", "epsilon_K, sigma_A: a characteristic temperature is not a finite number",
                    "con epsilon/k_B = " + shortest(r.gas.epsilon_K) + " K y sigma = " + shortest(r.gas.sigma_A) +
                        " A, una temperatura característica no es un número finito."};
    }
  }
  std::vector<double> reported = values.boyle_temperatures_K;
  for (const std::optional<double>& T : {values.inversion_temperature_K, values.max_B_temperature_K}) {
    if (T) reported.push_back(*T);
  }
  json answer{{"json", captured([&](std::FILE* f) { write_characteristics(f, values, Format::json); })}};
  add_diagnostics(answer, model.diagnostics(reported), std::nullopt);
  return answer;
}

DataSet data_of(const json& request) {
  DataSet data;
  if (request.contains("text")) {
    std::istringstream in(request.at("text").get<std::string>());
    data = read_data(in, text(request, "source"));
  } else {
    const std::vector<double> T = request.at("T_K").get<std::vector<double>>();
    const std::vector<double> B = request.at("B_cm3_per_mol").get<std::vector<double>>();
    const bool with_u = request.contains("u_cm3_per_mol") && !request.at("u_cm3_per_mol").is_null();
    const std::vector<double> u = with_u ? request.at("u_cm3_per_mol").get<std::vector<double>>() : std::vector<double>();
    data.has_uncertainties = with_u;
    for (std::size_t i = 0; i < T.size(); ++i) data.points.push_back({T[i], B[i], with_u ? u[i] : 0.0, i + 1});
  }
  return data;
}

json data_json(const DataSet& data) {
  json T = json::array(), B = json::array(), u = json::array();
  for (const DataPoint& p : data.points) {
    T.push_back(p.T_K);
    B.push_back(p.B_cm3_per_mol);
    u.push_back(p.u_cm3_per_mol);
  }
  return {{"T_K", T}, {"B_cm3_per_mol", B}, {"u_cm3_per_mol", data.has_uncertainties ? u : json(nullptr)}};
}

json fit(const json& request) {
  const DataSet data = data_of(request);
  const Potential shape = parse_potential(text(request, "potential").empty() ? "lj" : text(request, "potential"));
  const int order = quantum_order(request);
  const double mass = number(request, "molar_mass_g_per_mol");
  if (order != 0 && std::isnan(mass)) {
    throw Refused{"molar_mass_g_per_mol", "molar_mass_g_per_mol: required with quantum=True",
                  "--quantum necesita la masa molar: --mass G_POR_MOL."};
  }
  FitResult result;
  if (order < 0) {
    result = fit_virial_quantum_exact(data, shape, mass, spin_statistics(request, nullptr), one_thread);
  } else if (order > 0) {
    result = fit_virial_quantum(data, shape, mass, one_thread);
  } else {
    result = fit_virial(data, shape, flag(request, "free_repulsion"), one_thread);
  }
  json answer{{"json", captured([&](std::FILE* f) { write_fit_json(f, data, result); })},
              {"covariance", result.covariance},
              {"p_value", result.chi2_probability ? json(*result.chi2_probability) : json(nullptr)},
              {"epsilon_text", with_uncertainty(result.epsilon_K, result.epsilon_K_stderr)},
              {"sigma_text", with_uncertainty(result.sigma_A, result.sigma_A_stderr)},
              {"data", data_json(data)}};
  // The fitted curve over the data's range and a little beyond, for the plot.
  double lo = data.points.front().T_K, hi = lo;
  for (const DataPoint& p : data.points) {
    lo = std::min(lo, p.T_K);
    hi = std::max(hi, p.T_K);
  }
  json curve_T = json::array(), curve_B = json::array();
  for (int i = 0; i <= 200; ++i) {
    const double T = lo * std::pow(hi / lo, i / 200.0);
    curve_T.push_back(T);
    curve_B.push_back(fitted_B(result, T));
  }
  answer["curve"] = {{"T_K", curve_T}, {"B_cm3_per_mol", curve_B}};
  if (order > 0) {
    std::vector<double> T;
    for (const DataPoint& p : data.points) T.push_back(p.T_K);
    PureGas fitted;
    fitted.potential = result.potential;
    fitted.epsilon_K = result.epsilon_K;
    fitted.sigma_A = result.sigma_A;
    fitted.de_boer = result.de_boer;
    add_diagnostics(answer, GasModel(fitted).diagnostics(T), std::nullopt);
  }
  return answer;
}

// A library gas with the keys of the Python module's lennard.gas().
json gas_json(const Gas& gas) { return json::parse(gas_entry_json(gas)); }

json gases() {
  json list = json::array();
  for (const Gas& gas : gas_library()) list.push_back(gas_json(gas));
  return list;
}

// The data a library gas was fitted to, embedded in the module under /data.
json reference(const json& request) {
  const Gas& gas = gas_named(text(request, "gas"));
  if (gas.fitted_data.empty()) return {{"T_K", json::array()}, {"B_cm3_per_mol", json::array()}, {"u_cm3_per_mol", nullptr}};
  return data_json(read_data_file("/data/" + gas.fitted_data));
}

json answer_to(const json& request) {
  const std::string op = request.at("op").get<std::string>();
  if (op == "table") return table(request);
  if (op == "characteristics") return characteristics(request);
  if (op == "fit") return fit(request);
  if (op == "data") return data_json(data_of(request));
  if (op == "gases") return gases();
  if (op == "gas") return gas_json(gas_named(text(request, "gas")));
  if (op == "reference") return reference(request);
  throw Refused{"op", "op: unknown request '" + op + "'", "petición desconocida '" + op + "'."};
}

json refusal(const std::string& argument, const std::string& en, const std::string& es) {
  return {{"error", {{"argument", argument}, {"en", en}, {"es", es}}}};
}

}  // namespace

// The answer stays valid until the next call.
extern "C" const char* lennard_call(const char* request_text) {
  static std::string answer;
  json result;
  try {
    result = answer_to(json::parse(request_text));
  } catch (const Refused& r) {
    result = refusal(r.argument, r.en, r.es);
  } catch (const InvalidArgument& e) {
    const std::string argument(parameter_keyword(e.parameter()));
    result = refusal(argument, argument + ": " + e.description(), spanish_sentence(e));
  } catch (const FitNotDetermined& e) {
    result = refusal("T_K, B_cm3_per_mol", "T_K, B_cm3_per_mol: the data cannot determine a fit (" + std::string(e.what()) + ")",
                     spanish_sentence(e));
  } catch (const DataFileError& e) {
    result = refusal("data", std::string("data: ") + e.what(), spanish_sentence(e));
  } catch (const std::exception& e) {
    result = refusal("", e.what(), spanish_sentence(e));
  }
  answer = result.dump(-1, ' ', false, json::error_handler_t::replace);
  return answer.c_str();
}
