// Processes, as the sweep needs them: the program's own path and number,
// starting a program from a Windows-style command line, and waiting for
// another process to end.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace piko {

// The full path of the running program (GetModuleFileNameA).
std::string ProgramFilePath();
long CurrentProcessId();

// Splits a command line as Windows splits it into arguments: blanks
// separate them, double quotes group blanks into one; the quotes go.
std::vector<std::string> SplitCommandLine(std::string_view command_line);

// CreateProcessA: starts the program that the command line's first
// argument names, with no inherited handles (standard input and output go
// to /dev/null) and without waiting for it. Returns false when it fails.
bool StartDetachedProcess(std::string_view command_line);

// Gives the calling thread the highest priority the system allows it
// (real-time scheduling when permitted, else the best nice value).
void RaiseThreadPriority();

// Waits without time limit until the process has ended; returns at once
// when there is no such process.
void WaitForProcessEnd(long process_number);

}  // namespace piko
