#pragma once

// The kelvo program's commands: each opens the audio unit the command line names (the
// product unless --unit says otherwise), does its work and reports on `out`; errors go
// to `err` as one line each, prefixed "kelvo: ".
//
// Threads: the main thread (show runs the application's run loop).

#include "CommandLine.h"

#include <ostream>
#include <string>
#include <vector>

enum
{
  kExitSuccess = 0,
  kExitFailure = 1,  // a file, the unit or the render failed
  kExitUsage = 2     // the command line is wrong
};

// Runs the command line (the arguments after the program name); returns the exit code.
int RunKelvo(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// Runs a parsed command.
int RunKelvoCommand(const KelvoCommand& command, std::ostream& out, std::ostream& err);
