// The progress line on a terminal, and the threads a run uses by default.
#include <pty.h>
#include <sched.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "lennard/app/cli.hpp"
#include "lennard/app/progress.hpp"

namespace {

TEST(Progress, ShowsOnATerminalAtOnceWithoutDelay) {
  int master = -1;
  int slave = -1;
  ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
  std::FILE* terminal = fdopen(slave, "w");
  {
    lennard::ProgressLine progress(terminal, 8, "filas", std::chrono::milliseconds(0));
    progress.counter()->store(8);
  }
  {
    lennard::ProgressLine unknown(terminal, 0, "evaluaciones de B", std::chrono::milliseconds(0));
    unknown.counter()->store(1234);
  }
  std::fclose(terminal);
  std::string screen;
  char buffer[4096];
  for (ssize_t n = 0; (n = read(master, buffer, sizeof buffer)) > 0;) screen.append(buffer, static_cast<std::size_t>(n));
  close(master);
  EXPECT_NE(screen.find("\rCalculando: 8 de 8 filas (100 %)\r\n"), std::string::npos) << screen;
  EXPECT_NE(screen.find("\rCalculando: 1234 evaluaciones de B\r\n"), std::string::npos) << screen;
}

TEST(Threads, DefaultToTheCpusTheProcessMayRunOn) {
  cpu_set_t all;
  ASSERT_EQ(sched_getaffinity(0, sizeof all, &all), 0);
  if (CPU_COUNT(&all) < 2) GTEST_SKIP() << "one CPU: nothing to restrict";
  cpu_set_t first;
  CPU_ZERO(&first);
  for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
    if (CPU_ISSET(cpu, &all)) {
      CPU_SET(cpu, &first);
      break;
    }
  }
  ASSERT_EQ(sched_setaffinity(0, sizeof first, &first), 0);
  const unsigned restricted = lennard::available_cpus();
  ASSERT_EQ(sched_setaffinity(0, sizeof all, &all), 0);
  EXPECT_EQ(restricted, 1u);  // as under 'taskset -c 0', whatever the machine has
  EXPECT_EQ(lennard::available_cpus(), static_cast<unsigned>(CPU_COUNT(&all)));
}

}  // namespace
