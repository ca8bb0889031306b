// Cost of one B(T) and of the whole default table, against the floor set by
// the exponentials they need: 9903 per B(T), 1,000,203 for the 101-row table.
#include <benchmark/benchmark.h>
#include "lennard/physics/quantum.hpp"
#include "lennard/physics/reduced_units.hpp"
#include "lennard/physics/quantum_exact.hpp"
#include "lennard/physics/helium_potential.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "lennard/physics/fit.hpp"
#include "lennard/physics/gas_library.hpp"
#include "lennard/physics/mixture.hpp"
#include "lennard/physics/potential.hpp"
#include "lennard/physics/second_virial.hpp"
#include "lennard/physics/third_virial.hpp"
#include "lennard/physics/universal_third_virial.hpp"
#include "lennard/physics/sweep.hpp"
#include "lennard/io/output.hpp"
#include "lennard/physics/virial_table.hpp"
#include "lennard/physics/series.hpp"
#include "lennard/physics/virial.hpp"
#include "lennard/physics/gas_model.hpp"

namespace {

constexpr double epsilon_K = 120.0;
constexpr double sigma_A = 3.4;

// The exponent arguments of every integrand call of the 101-row table.
std::vector<double> table_exp_arguments() {
  std::vector<double> arguments;
  for (const double T : lennard::temperature_grid(lennard::default_sweep(epsilon_K))) {
    const double a = epsilon_K * 4.0 / T;
    auto record = [&](double x) {
      const double s = x * x;
      const double x6 = s * s * s;
      arguments.push_back(-a * ((x6 - 1.0) * x6));
      return 0.0;
    };
    lennard::detail::trapezoid_in_x(record);
  }
  return arguments;
}

void BM_ExpFloorOfTable(benchmark::State& state) {
  const std::vector<double> arguments = table_exp_arguments();
  for (auto _ : state) {
    double sum = 0.0;
    for (const double argument : arguments) sum += std::exp(argument);
    benchmark::DoNotOptimize(sum);
  }
  state.counters["exp_calls"] = static_cast<double>(arguments.size());
}
BENCHMARK(BM_ExpFloorOfTable)->Unit(benchmark::kMillisecond);

void BM_VirialB_Trapezoid(benchmark::State& state) {
  double T = 300.0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(T);
    benchmark::DoNotOptimize(lennard::virial_B_trapezoid(epsilon_K, sigma_A, T));
  }
}
BENCHMARK(BM_VirialB_Trapezoid)->Unit(benchmark::kMicrosecond);

// Sweeps T over the default range so the series sees the T* of a real table.
void BM_VirialB_Series(benchmark::State& state) {
  const std::vector<double> temperatures = lennard::temperature_grid(lennard::default_sweep(epsilon_K));
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(lennard::virial_B_series(epsilon_K, sigma_A, temperatures[i]));
    i = i + 1 == temperatures.size() ? 0 : i + 1;
  }
}
BENCHMARK(BM_VirialB_Series)->Unit(benchmark::kNanosecond);

// One reduced B by the exact series of each potential over the T* of a table
// (the Mie series should stay within twice the Lennard-Jones one), and by the
// adaptive quadrature.
void reduced_B_over_table(benchmark::State& state, const char* spelling, lennard::Method method) {
  const lennard::Potential potential = lennard::parse_potential(spelling);
  std::vector<double> T_star;
  for (int k = 0; k <= 100; ++k) T_star.push_back(1.0 + 0.04 * k);
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(lennard::second_virial_B(method, potential, 1.0, 1.0, T_star[i]));
    i = i + 1 == T_star.size() ? 0 : i + 1;
  }
}
BENCHMARK_CAPTURE(reduced_B_over_table, lj_series, "lj", lennard::Method::series)->Unit(benchmark::kNanosecond);
BENCHMARK_CAPTURE(reduced_B_over_table, mie_14_6_series, "mie:14,6", lennard::Method::series)
    ->Unit(benchmark::kNanosecond);
BENCHMARK_CAPTURE(reduced_B_over_table, lj_quadrature, "lj", lennard::Method::quadrature)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(reduced_B_over_table, mie_14_6_quadrature, "mie:14,6", lennard::Method::quadrature)
    ->Unit(benchmark::kMicrosecond);

// One B_I* (first quantum correction, with its derivative) over the same T*:
// by its series and by quadrature.
void quantum_correction_over_table(benchmark::State& state, const char* spelling, bool series) {
  const lennard::Potential potential = lennard::parse_potential(spelling);
  std::size_t k = 0;
  for (auto _ : state) {
    const double T_star = 1.0 + 0.04 * static_cast<double>(k);
    benchmark::DoNotOptimize(series ? lennard::reduced_quantum_correction(potential, T_star).B
                                    : lennard::reduced_quantum_correction_quadrature(potential, T_star).B);
    k = k == 100 ? 0 : k + 1;
  }
}
BENCHMARK_CAPTURE(quantum_correction_over_table, lj_series, "lj", true)->Unit(benchmark::kNanosecond);
BENCHMARK_CAPTURE(quantum_correction_over_table, mie_14_6_series, "mie:14,6", true)->Unit(benchmark::kNanosecond);
BENCHMARK_CAPTURE(quantum_correction_over_table, lj_quadrature, "lj", false)->Unit(benchmark::kMicrosecond);

// One C at T* = 2 by the grid rule, and the default 101-row table with C on all cores.
void third_virial(benchmark::State& state, const char* spelling) {
  const lennard::Potential potential = lennard::parse_potential(spelling);
  for (auto _ : state) benchmark::DoNotOptimize(lennard::reduced_third_virial(potential, 2.0, false).C);
}
BENCHMARK_CAPTURE(third_virial, lj, "lj")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(third_virial, mie_14_6, "mie:14,6")->Unit(benchmark::kMicrosecond);

// One C (and one with dC/dT) of a shape's representation after its set-up,
// over the T* of a table; against BM_VirialB_Series (one Lennard-Jones B by
// the series) the target is at most 30 times.
void universal_C_over_table(benchmark::State& state, const char* spelling, bool with_derivative) {
  const lennard::Potential potential = lennard::parse_potential(spelling);
  lennard::reduced_third_virial_universal(potential, 1.0);  // set-up
  std::vector<double> T_star;
  for (int k = 0; k <= 100; ++k) T_star.push_back(1.0 + 0.04 * k);
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(lennard::reduced_third_virial_universal(potential, T_star[i], with_derivative));
    i = i + 1 == T_star.size() ? 0 : i + 1;
  }
}
BENCHMARK_CAPTURE(universal_C_over_table, lj, "lj", false)->Unit(benchmark::kNanosecond);
BENCHMARK_CAPTURE(universal_C_over_table, lj_with_derivative, "lj", true)->Unit(benchmark::kNanosecond);
BENCHMARK_CAPTURE(universal_C_over_table, mie_14_6, "mie:14,6", false)->Unit(benchmark::kNanosecond);

// The build of a shape's representation, as on its first use (target:
// 50 ms), on one thread and on two.
void universal_C_build(benchmark::State& state, const char* spelling) {
  const lennard::Potential potential = lennard::parse_potential(spelling);
  const auto threads = static_cast<unsigned>(state.range(0));
  std::size_t evaluations = 0;
  for (auto _ : state) evaluations = lennard::UniversalThirdVirial(potential, threads).evaluations();
  state.counters["evaluations"] = static_cast<double>(evaluations);
  state.counters["threads"] = threads;
}
BENCHMARK_CAPTURE(universal_C_build, lj, "lj")->Arg(1)->Arg(2)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(universal_C_build, mie_14_6, "mie:14,6")->Arg(1)->Arg(2)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(universal_C_build, mie_20_10, "mie:20,10")->Arg(1)->Arg(2)->UseRealTime()->Unit(benchmark::kMillisecond);

// --third on 10^6 rows by the series, written as csv (target: under 3 s).
void BM_ThirdTable1M(benchmark::State& state) {
  const lennard::Sweep sweep{epsilon_K, 5.0 * epsilon_K, 4.0 * epsilon_K / 999999.0};
  const std::vector<double> temperatures = lennard::temperature_grid(sweep);
  lennard::reduced_third_virial_universal(lennard::LennardJones{}, 1.0);  // set-up
  std::FILE* sink = std::fopen("/dev/null", "w");
  for (auto _ : state) {
    const lennard::Table table = lennard::compute_table(lennard::LennardJones{}, epsilon_K, sigma_A, temperatures,
                                                        lennard::Method::series,
                                                        lennard::Quantities{false, true, std::nullopt, std::nullopt});
    lennard::write_table(sink, table, lennard::Format::csv);
  }
  std::fclose(sink);
  state.counters["rows"] = static_cast<double>(temperatures.size());
}
BENCHMARK(BM_ThirdTable1M)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(2);

// The 101-row table of a five-component mixture with --third (argument 0;
// 3.4 s before the pairs were shared) and with --derivative --pressure 10
// (argument 1; 12.9 s), on all cores.
void BM_MixtureThirdTable(benchmark::State& state) {
  lennard::Mixture mixture;
  for (const char* name : {"argon", "krypton", "xenon", "nitrogen", "methane"}) {
    mixture.components.push_back(lennard::mixture_component(lennard::find_gas(name), 0.2));
  }
  const lennard::GasModel model(mixture, false);
  // The program's default sweep for a mixture: the smallest epsilon to five times the largest.
  double lowest = mixture.components.front().epsilon_K, highest = lowest;
  for (const lennard::Component& c : mixture.components) {
    lowest = std::min(lowest, c.epsilon_K);
    highest = std::max(highest, c.epsilon_K);
  }
  const std::vector<double> temperatures = lennard::temperature_grid(
      lennard::Sweep{lowest, 5.0 * highest, lennard::temperature_step(lowest, 5.0 * highest)});
  const bool full = state.range(0) == 1;
  const lennard::Quantities quantities{full, true, full ? std::optional<double>(10.0) : std::nullopt, std::nullopt};
  for (auto _ : state) {
    const lennard::Table table = lennard::compute_table(model, temperatures, quantities);
    benchmark::DoNotOptimize(table.columns.back().values.data());
  }
  state.counters["rows"] = static_cast<double>(temperatures.size());
}
BENCHMARK(BM_MixtureThirdTable)->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);

// The slowest accepted --third --derivative row: the grid's step count is
// largest (just under the bound) for M near its limit and any T* <= C.
void BM_ThirdVirialWorstAccepted(benchmark::State& state) {
  const lennard::Potential potential = lennard::parse_potential("mie:12,3.73");
  for (auto _ : state) benchmark::DoNotOptimize(lennard::reduced_third_virial(potential, 2.0, true).dC_dT);
}
BENCHMARK(BM_ThirdVirialWorstAccepted)->Unit(benchmark::kMillisecond);

void BM_ThirdVirialTable(benchmark::State& state) {
  const std::vector<double> temperatures = lennard::temperature_grid(lennard::default_sweep(epsilon_K));
  for (auto _ : state) {
    const lennard::Table table = lennard::compute_table(lennard::LennardJones{}, epsilon_K, sigma_A, temperatures,
                                                        lennard::Method::trapezoid, lennard::Quantities{false, true, std::nullopt, std::nullopt});
    benchmark::DoNotOptimize(table.columns.back().values.data());
  }
  state.counters["rows"] = static_cast<double>(temperatures.size());
}
BENCHMARK(BM_ThirdVirialTable)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_DatTable(benchmark::State& state) {
  const auto method = static_cast<lennard::Method>(state.range(0));
  const std::vector<double> temperatures = lennard::temperature_grid(lennard::default_sweep(epsilon_K));
  std::FILE* sink = std::fopen("/dev/null", "w");
  for (auto _ : state) {
    const lennard::Table table = lennard::compute_table(epsilon_K, sigma_A, temperatures, method, false);
    lennard::write_table(sink, table, lennard::Format::dat);
  }
  std::fclose(sink);
  state.counters["rows"] = static_cast<double>(temperatures.size());
  state.SetLabel(std::string(lennard::method_name(method)));
}
BENCHMARK(BM_DatTable)
    ->Arg(static_cast<int>(lennard::Method::trapezoid))
    ->Arg(static_cast<int>(lennard::Method::series))
    ->Unit(benchmark::kMicrosecond);

// A 20,000-row trapezoid table on 1 and 2 threads: the rows are independent,
// so two cores should take close to half the wall time.
void BM_TrapezoidTableThreads(benchmark::State& state) {
  const auto threads = static_cast<unsigned>(state.range(0));
  const lennard::Sweep sweep{epsilon_K, 5.0 * epsilon_K, 4.0 * epsilon_K / 20000.0};
  const std::vector<double> temperatures = lennard::temperature_grid(sweep);
  for (auto _ : state) {
    const lennard::Table table =
        lennard::compute_table(epsilon_K, sigma_A, temperatures, lennard::Method::trapezoid, false, {threads, nullptr});
    benchmark::DoNotOptimize(table.columns.front().values.data());
  }
  state.counters["rows"] = static_cast<double>(temperatures.size());
  state.counters["threads"] = threads;
}
BENCHMARK(BM_TrapezoidTableThreads)->Arg(1)->Arg(2)->UseRealTime()->Unit(benchmark::kMillisecond);

// 200,000 noisy points of B(T) over 80 ... 1000 K with uncertainties.
lennard::DataSet fit_points() {
  lennard::DataSet data;
  data.has_uncertainties = true;
  std::mt19937_64 noise(2026);
  std::normal_distribution<double> normal(0.0, 1.0);
  for (int i = 0; i < 200000; ++i) {
    const double T = 80.0 + 920.0 * i / 200000.0;
    const double u = 0.5 + 0.01 * T;
    data.points.push_back({T, lennard::model_B(epsilon_K, sigma_A, T) + u * normal(noise), u, 0});
  }
  return data;
}

// The fit of 200,000 points, against tabulating the same temperatures by the
// series and writing them as csv: the fit should cost at most ten tables.
// Both are timed in process cpu time, all threads included.
void BM_Fit200k(benchmark::State& state) {
  const lennard::DataSet data = fit_points();
  for (auto _ : state) benchmark::DoNotOptimize(lennard::fit_lennard_jones(data).epsilon_K);
  state.counters["points"] = static_cast<double>(data.points.size());
}
BENCHMARK(BM_Fit200k)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

// 10,000 noisy points of a neon-like gas (epsilon/k_B = 35.6 K, sigma =
// 2.75 A, M = 20.18 g/mol) with its first quantum correction, 40 ... 600 K:
// the quantum fit should cost at most five classical fits of the same points.
constexpr double neon_mass = 20.18;
lennard::DataSet neon_points() {
  lennard::FitResult model{};
  model.potential = lennard::LennardJones{};
  model.epsilon_K = 35.6;
  model.sigma_A = 2.75;
  model.de_boer = lennard::de_boer_parameter(model.epsilon_K, model.sigma_A, neon_mass);
  lennard::DataSet data;
  data.has_uncertainties = true;
  std::mt19937_64 noise(2026);
  std::normal_distribution<double> normal(0.0, 1.0);
  for (int i = 0; i < 10000; ++i) {
    const double T = 40.0 + 560.0 * i / 10000.0;
    const double u = 0.2 + 0.002 * T;
    data.points.push_back({T, lennard::fitted_B(model, T) + u * normal(noise), u, 0});
  }
  return data;
}

void BM_Fit10kClassical(benchmark::State& state) {
  const lennard::DataSet data = neon_points();
  for (auto _ : state) benchmark::DoNotOptimize(lennard::fit_lennard_jones(data).epsilon_K);
}
BENCHMARK(BM_Fit10kClassical)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

void BM_Fit10kQuantum(benchmark::State& state) {
  const lennard::DataSet data = neon_points();
  for (auto _ : state) {
    benchmark::DoNotOptimize(lennard::fit_virial_quantum(data, lennard::LennardJones{}, neon_mass).epsilon_K);
  }
}
BENCHMARK(BM_Fit10kQuantum)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

void BM_SeriesCsv200k(benchmark::State& state) {
  std::vector<double> temperatures;
  for (const lennard::DataPoint& p : fit_points().points) temperatures.push_back(p.T_K);
  std::FILE* sink = std::fopen("/dev/null", "w");
  for (auto _ : state) {
    const lennard::Table table =
        lennard::compute_table(epsilon_K, sigma_A, temperatures, lennard::Method::series, false);
    lennard::write_table(sink, table, lennard::Format::csv);
  }
  std::fclose(sink);
  state.counters["rows"] = static_cast<double>(temperatures.size());
}
BENCHMARK(BM_SeriesCsv200k)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

// One B of a five-component mixture of library gases: 15 pair coefficients
// by the exact series (against about 15 times one LJ B by the series).
void BM_MixtureB_FiveComponents(benchmark::State& state) {
  lennard::Mixture mixture;
  for (const char* name : {"argon", "krypton", "xenon", "nitrogen", "methane"}) {
    const lennard::Gas& gas = lennard::find_gas(name);
    mixture.components.push_back(
        {gas.name, gas.potential, gas.epsilon_K, gas.sigma_A, gas.molar_mass_g_per_mol, 0.2});
  }
  double T = 300.0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(lennard::mixture_second_virial(mixture, T, false).B);
    T = T == 300.0 ? 300.5 : 300.0;
  }
}
BENCHMARK(BM_MixtureB_FiveComponents)->Unit(benchmark::kMicrosecond);

// The loop the Python module runs for lennard.second_virial(T) on 10^6
// temperatures, for bench/python_bench.py to compare against.
void BM_SeriesLoop1M(benchmark::State& state) {
  std::vector<double> T(1000000);
  for (std::size_t i = 0; i < T.size(); ++i) T[i] = 100.0 + 900.0 * static_cast<double>(i) / 999999.0;
  std::vector<double> B(T.size());
  for (auto _ : state) {
    for (std::size_t i = 0; i < T.size(); ++i) {
      B[i] = lennard::second_virial_B(lennard::Method::series, lennard::LennardJones{}, epsilon_K, sigma_A, T[i]);
    }
    benchmark::DoNotOptimize(B.data());
  }
}
BENCHMARK(BM_SeriesLoop1M)->Unit(benchmark::kMillisecond);

// The exact quantum B of helium's library fit (Lennard-Jones, bosons of spin
// 0) as a 101-row table over its default sweep, epsilon to 5 epsilon, and
// over its first tenth; the target for the whole is 1 s. Each iteration
// prepares the phase shifts anew, as the program does per table.
void BM_HeliumExactTable101(benchmark::State& state) {
  const lennard::Gas& gas = lennard::find_gas("helium");
  const double T_lo = gas.epsilon_K, T_hi = gas.epsilon_K * (1.0 + 4.0 * static_cast<double>(state.range(0)) / 100.0);
  for (auto _ : state) {
    lennard::PureGas pure = lennard::library_gas(gas, true);
    pure.quantum_exact = true;
    pure.statistics = {gas.statistics, gas.spin};
    lennard::GasModel model(pure);
    model.prepare_quantum(T_lo, T_hi, 0);
    double sum = 0.0;
    for (int i = 0; i <= 100; ++i) sum += model.second_virial(T_lo + (T_hi - T_lo) * i / 100.0, true).B;
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_HeliumExactTable101)->Arg(10)->Arg(100)->Unit(benchmark::kSecond)->Iterations(1);

// --summary --quantum exact of the library's helium (T* 0.3 to 20). Target: 1 s.
void BM_HeliumExactSummary(benchmark::State& state) {
  const lennard::Gas& gas = lennard::find_gas("helium");
  for (auto _ : state) {
    lennard::PureGas pure = lennard::library_gas(gas, true);
    pure.quantum_exact = true;
    pure.statistics = {gas.statistics, gas.spin};
    benchmark::DoNotOptimize(lennard::GasModel(pure).characteristics());
  }
}
BENCHMARK(BM_HeliumExactSummary)->Unit(benchmark::kSecond)->Iterations(1);

// fit --quantum exact of a 30-point helium-4 data set (10-100 K, from the
// first-principles potential's own exact B) with Lennard-Jones bosons.
// Target: under 30 s.
void BM_HeliumExactFit30(benchmark::State& state) {
  const double epsilon = lennard::helium::epsilon_K, sigma = lennard::helium::sigma_A, mass = 4.00260325413;
  const lennard::SpinStatistics bosons{lennard::Statistics::bose, 0.0};
  const lennard::ExactSecondVirial helium(lennard::radial_potential(lennard::HeliumAbInitio{}),
                                          lennard::de_boer_parameter(epsilon, sigma, mass), bosons, 10.0 / epsilon,
                                          100.0 / epsilon);
  lennard::DataSet data;
  for (std::size_t i = 0; i < 30; ++i) {
    const double T = 10.0 * std::pow(10.0, static_cast<double>(i) / 29.0);
    data.points.push_back({T, lennard::laboratory_B(helium.reduced(T / epsilon).B, sigma), 0.0, i + 1});
  }
  for (auto _ : state) {
    benchmark::DoNotOptimize(lennard::fit_virial_quantum_exact(data, lennard::LennardJones{}, mass, bosons));
  }
}
BENCHMARK(BM_HeliumExactFit30)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace
