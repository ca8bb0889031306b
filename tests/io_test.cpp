// Names that are one file, text made safe for messages, and plot scripts.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "lennard/io/files.hpp"
#include "lennard/io/plot.hpp"
#include "lennard/physics/series.hpp"
#include "test_support.hpp"

namespace {

using lennard::Endpoint;
using lennard::printable;
using lennard::same_destination;
using lennard::testing::ScratchDir;
using lennard::testing::write_file;

TEST(Printable, EscapesWhatATerminalWouldObeyAndKeepsUtf8) {
  EXPECT_EQ(printable("100 -184"), "100 -184");
  EXPECT_EQ(printable("T=300 K, σ=3.4 Å"), "T=300 K, σ=3.4 Å");
  EXPECT_EQ(printable("\x1b[2Jx\x7f\t"), "\\x1b[2Jx\\x7f\\x09");
  EXPECT_EQ(printable("\xc2\x9b" "1m"), "\\xc2\\x9b1m");          // C1 control in UTF-8
  EXPECT_EQ(printable("\xff\xfe" "a\xe2\x82"), "\\xff\\xfea\\xe2\\x82");  // not UTF-8, truncated sequence
  EXPECT_EQ(printable("\xed\xa0\x80"), "\\xed\\xa0\\x80");       // a surrogate
  EXPECT_EQ(printable(std::string(100, 'x'), 60), std::string(60, 'x') + "...");
  EXPECT_EQ(printable(std::string(30, 'x') + std::string(50, '\x01'), 40).size(), 30u + 10 * 4 + 3);
}

TEST(SameDestination, FollowsLinksAndSpellingsButNotDevices) {
  ScratchDir dir;
  write_file(dir / "a.dat", "x");
  std::filesystem::create_hard_link(dir / "a.dat", dir / "hard.dat");
  std::filesystem::create_symlink(dir / "a.dat", dir / "soft.dat");
  std::filesystem::create_symlink(dir / "new.dat", dir / "dangling.dat");
  const auto at = [&](const std::string& name) { return Endpoint{(dir / name).string(), -1, true}; };
  EXPECT_TRUE(same_destination(at("a.dat"), at("hard.dat")));
  EXPECT_TRUE(same_destination(at("a.dat"), at("soft.dat")));
  EXPECT_TRUE(same_destination(at("new.dat"), at("dangling.dat")));  // writing either creates new.dat
  EXPECT_TRUE(same_destination(at("new.dat"), Endpoint{(dir / "." / "x" / ".." / "new.dat").string(), -1, true}));
  EXPECT_FALSE(same_destination(at("a.dat"), at("b.dat")));
  EXPECT_FALSE(same_destination({"/dev/null", -1, true}, {"/dev/null", -1, true}));  // nothing to lose

  // "-" is an open stream: the same file when it was opened on one.
  const int fd = open((dir / "a.dat").c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  EXPECT_TRUE(same_destination({"-", fd, true}, at("soft.dat")));
  EXPECT_FALSE(same_destination({"-", fd, true}, {"-", fd, false}));  // the screen shared by default
  EXPECT_TRUE(same_destination({"-", fd, true}, {"-", fd, true}));
  close(fd);
}

lennard::Table table_at(std::vector<double> temperatures) {
  return lennard::compute_table(120.0, 3.4, temperatures, lennard::Method::series, false);
}

TEST(PlotScript, DrawsASingleRowAsAPointAndWideRangesOnALogAxis) {
  const std::string one = lennard::table_plot_script(table_at({300.0}), "b.png");
  EXPECT_NE(one.find("with points"), std::string::npos) << one;
  const std::string narrow = lennard::table_plot_script(table_at({120.0, 600.0}), "b.png");
  EXPECT_NE(narrow.find("with lines"), std::string::npos);
  EXPECT_EQ(narrow.find("logscale"), std::string::npos);
  const std::string wide = lennard::table_plot_script(table_at({50.0, 5000.0}), "b.png");
  EXPECT_NE(wide.find("set logscale x"), std::string::npos) << wide;
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
  const lennard::FitResult flat{lennard::SquareWell{1.5}, 1e-17, 0.0, 3.0, 0.0, {}, {}, {}, 0.0, 0.0, 1, 0.0, {}, {}, {}};
  lennard::DataSet data;
  for (const double T : {100.0, 200.0, 300.0}) data.points.push_back({T, lennard::fitted_B(flat, T), 0.0, 1});
  EXPECT_EQ(gnuplot_says(lennard::fit_plot_script(data, flat, "-")), "");
}

}  // namespace
