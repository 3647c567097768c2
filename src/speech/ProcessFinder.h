#pragma once
// Finds a running process by a fragment of its executable path or command
// line. The screen-reader drivers use it as their is-running test.
#include <string>
#include <sys/types.h>

namespace tav {

// The first process (in /proc order, this process excluded) whose executable
// path or command line contains name, ignoring ASCII letter case. Returns its
// pid, or 0 when none matches. pathOut, when given, receives the executable
// path (or the first command-line word when the executable cannot be read).
pid_t getProcessHandle(const std::string& name, std::string* pathOut = nullptr);

// Whether getProcessHandle finds a process.
bool FindProcess(const std::string& name, std::string* pathOut = nullptr);

}  // namespace tav
