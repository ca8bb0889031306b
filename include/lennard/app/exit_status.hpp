// The program's exit statuses, shared by the writers and the commands.
#pragma once

namespace lennard {

inline constexpr int exit_success = 0;
inline constexpr int exit_bad_input = 1;      // input refused, or an output that cannot be created
inline constexpr int exit_usage = 2;          // bad command line
inline constexpr int exit_write_failed = -1;  // a write or the close of an output failed (255 to the shell)

}  // namespace lennard
