// Plot scripts leave gnuplot nothing to warn about, from the built program
// and from the script generator.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "lennard/io/plot.hpp"
#include "lennard/physics/fit.hpp"
#include "lennard/physics/virial_table.hpp"
#include "test_support.hpp"

namespace {

using lennard::testing::ScratchDir;
using lennard::testing::write_file;

lennard::Table table_at(std::vector<double> temperatures) {
  return lennard::compute_table(120.0, 3.4, temperatures, lennard::Method::series, false);
}

// gnuplot must not be left to widen an empty or ulp-wide range: it would say
// so on standard error. One row, hard spheres' constant B, a B flat to the last
// digits (the square well far above epsilon), and a table whose two B are one
// ulp apart (a range gnuplot cannot put ticks on).
TEST(PlotScript, NoRangeLeavesGnuplotAWarning) {
  ScratchDir dir;
  for (const char* args : {"-e 120 -s 3.4 --tmin 300 --tmax 300", "-p hs -s 3 --tmin 100 --tmax 300",
                           "-p hs -s 3 --tmin 100 --tmax 100", "-p sw:1.5 -e 1 -s 3 --tmin 1e16 --tmax 2e16"}) {
    const auto run = lennard::testing::run_program(dir, std::string(args) + " -f csv -o t.csv --plot -", "");
    EXPECT_EQ(run.status, 0) << args;
    EXPECT_EQ(run.err, "") << args;
  }
  const auto gnuplot_says = [&](const std::string& script) {
    write_file(dir / "p.gp", script);
    const std::string command = "gnuplot " + lennard::testing::shell_quote((dir / "p.gp").string()) + " >/dev/null 2>" +
                                lennard::testing::shell_quote((dir / "p.err").string());
    EXPECT_EQ(std::system(command.c_str()), 0);
    return lennard::testing::read_file(dir / "p.err");
  };
  lennard::Table table = table_at({100.0, 200.0});
  table.columns.front().values = {34.0544, std::nextafter(34.0544, 40.0)};
  EXPECT_EQ(gnuplot_says(lennard::table_plot_script(table, "-")), "");
  // A fit whose curve is flat: a square well far shallower than k_B T, through constant points.
  const lennard::FitResult flat{lennard::SquareWell{1.5}, 1e-17, 0.0, 3.0, 0.0, {}, {}, {}, 0.0, 0.0, 1, 0.0, {}, {}, {}, {}, {}};
  lennard::DataSet data;
  for (const double T : {100.0, 200.0, 300.0}) data.points.push_back({T, lennard::fitted_B(flat, T), 0.0, 1});
  EXPECT_EQ(gnuplot_says(lennard::fit_plot_script(data, flat, "-")), "");
}

}  // namespace
