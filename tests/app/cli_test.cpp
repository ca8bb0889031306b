// The command line read in-process: every option, its defaults, and the
// refusals that stop before any work.
#include "lennard/app/cli.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <initializer_list>
#include <string>
#include <vector>

#include "lennard/io/output.hpp"
#include "lennard/physics/sweep.hpp"

namespace {

using lennard::Format;
using lennard::Method;

lennard::ParseResult parse(std::initializer_list<const char*> args) {
  std::vector<const char*> argv{"lennard"};
  argv.insert(argv.end(), args);
  return lennard::parse_command_line(static_cast<int>(argv.size()), argv.data());
}

TEST(ParseCommandLine, ReadsEveryOption) {
  const auto result = parse({"-e", "120", "-s", "3.4", "-o", "out.csv", "--tmin", "100", "--tmax", "300", "--step",
                             "2.5", "-m", "series", "--derivative", "-f", "csv"});
  ASSERT_TRUE(result.table) << result.text;
  const lennard::TableOptions& c = *result.table;
  EXPECT_EQ(c.epsilon_K, 120.0);
  EXPECT_EQ(c.sigma_A, 3.4);
  EXPECT_EQ(c.output, "out.csv");
  EXPECT_EQ(c.tmin_K, 100.0);
  EXPECT_EQ(c.tmax_K, 300.0);
  EXPECT_EQ(c.step_K, 2.5);
  EXPECT_EQ(c.method, Method::series);
  EXPECT_TRUE(c.derivative);
  EXPECT_EQ(c.format, Format::csv);
  EXPECT_FALSE(c.summary);
}

TEST(ParseCommandLine, DefaultsAndLongNames) {
  const auto result = parse({"--epsilon=35.6", "--sigma", "2.75", "--method", "trapezoid", "--format", "json"});
  ASSERT_TRUE(result.table) << result.text;
  EXPECT_EQ(result.table->epsilon_K, 35.6);
  EXPECT_FALSE(result.table->output);
  EXPECT_FALSE(result.table->tmin_K);
  EXPECT_EQ(result.table->method, Method::trapezoid);
  EXPECT_EQ(result.table->format, Format::json);
  EXPECT_TRUE(parse({"--summary"}).table);
  EXPECT_TRUE(parse({"-m", "series"}).table);  // the dialogue asks for epsilon and sigma
}

TEST(ParseCommandLine, ReadsNumbersExactlyAsTheDialogueDoes) {
  // strtod, like "%lf": long double parsing would round this one differently.
  const char* text = "228.3963921798119";
  const auto result = parse({"-e", text, "-s", "3.4", "--tmin", "1e-3"});
  ASSERT_TRUE(result.table);
  EXPECT_EQ(*result.table->epsilon_K, std::strtod(text, nullptr));
  EXPECT_EQ(*result.table->tmin_K, 1e-3);
  // Non-finite numbers parse; the parameter checks refuse them later.
  EXPECT_TRUE(parse({"-e", "nan", "-s", "3.4"}).table);
}

TEST(ParseCommandLine, HelpAndVersionStopWithSuccess) {
  const auto help = parse({"--help"});
  EXPECT_FALSE(help.table);
  EXPECT_EQ(help.exit_status, 0);
  EXPECT_NE(help.text.find("Uso: lennard"), std::string::npos) << help.text;
  EXPECT_NE(help.text.find("--epsilon"), std::string::npos);
  EXPECT_NE(help.text.find("Profundidad del pozo"), std::string::npos);
  const auto version = parse({"--version"});
  EXPECT_EQ(version.exit_status, 0);
  EXPECT_EQ(version.text, std::string(lennard::version_text) + "\n");
}

TEST(ParseCommandLine, RefusesBadOptionsWithStatusTwo) {
  const std::vector<std::vector<const char*>> bad = {
      {"-e", "120"},                                     // epsilon without sigma
      {"-s", "3.4"},                                     // sigma without epsilon
      {"-e", "abc", "-s", "3.4"},                        // not a number
      {"-e", "120", "-s", "3.4x"},                       // trailing letters
      {"-e", "120", "-s", "3.4", "--tmin", "0"},         // tmin <= 0
      {"-e", "120", "-s", "3.4", "--tmin", "-5"},
      {"-e", "120", "-s", "3.4", "--tmax", "inf"},       // not finite
      {"-e", "120", "-s", "3.4", "--step", "nan"},
      {"-e", "120", "-s", "3.4", "--step", "0"},
      {"-e", "120", "-s", "3.4", "-m", "simpson"},       // unknown method
      {"-e", "120", "-s", "3.4", "-m", "1"},             // not a name
      {"-e", "120", "-s", "3.4", "-f", "xml"},           // unknown format
      {"-e", "120", "-s", "3.4", "-o", ""},              // empty file name
      {"-e", "120", "-s", "3.4", "--summary", "--derivative"},
      {"-e", "120", "-s", "3.4", "--summary", "--tmin", "100"},
      {"-e", "120", "-s", "3.4", "--summary", "-f", "csv"},
      {"-e", "120", "-s", "3.4", "--frobnicate"},
      {"-e", "120", "-s", "3.4", "extra"},
  };
  for (const auto& args : bad) {
    std::vector<const char*> argv{"lennard"};
    argv.insert(argv.end(), args.begin(), args.end());
    const auto result = lennard::parse_command_line(static_cast<int>(argv.size()), argv.data());
    std::string joined;
    for (const char* a : args) joined += std::string(a) + " ";
    EXPECT_FALSE(result.table || result.fit) << joined;
    EXPECT_EQ(result.exit_status, 2) << joined;
    EXPECT_EQ(result.text.rfind("Error: ", 0), 0u) << joined << "-> " << result.text;
  }
}
}  // namespace
