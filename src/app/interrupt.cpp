#include "lennard/app/interrupt.hpp"

#include <unistd.h>

#include <csignal>
#include <cstring>

#include "lennard/io/staged_files.hpp"

namespace lennard {

namespace {

// A terminal's cursor may stand on the prompt or on the progress line.
constexpr char on_terminal[] = "\nInterrumpido: no se ha cambiado ningún archivo.\n";
const char* message = on_terminal + 1;

extern "C" void on_interrupt(int signal_number) {
  discard_staged_files_on_signal();
  const std::size_t length = std::strlen(message);
  if (write(STDERR_FILENO, message, length) < 0) {
    // Nothing more can be said.
  }
  _exit(128 + signal_number);
}

}  // namespace

void install_interrupt_handlers() {
  if (isatty(STDERR_FILENO) == 1) message = on_terminal;
  struct sigaction action {};
  action.sa_handler = on_interrupt;
  sigemptyset(&action.sa_mask);
  // One handler at a time: a second signal waits for the first to finish.
  for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&action.sa_mask, signal_number);
  for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal_number, &action, nullptr);
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGXFSZ, &ignore, nullptr);
}

}  // namespace lennard
