// The switches of a run.
#pragma once

#include <string>

struct RunOptions {
  bool AutoUpdate = false;
  bool AutoUpdateOnlyIfOverlap = false;
  bool Silent = false;
  bool CheckOnly = false;
  bool LogToFile = false;
  std::string LogFileName;
};

struct CommandLineParse {
  bool Recognised = true;  // false: an argument was not a switch; the run shows the usage
  RunOptions Options;
};

// Lower-cases each argument in place (ASCII capitals only) and matches it. The parse stops at
// the first argument that is not a switch; the arguments after it are left as they are.
CommandLineParse ParseCommandLine(int argc, char** argv);

// The six usage lines, straight to standard output whatever the report's destination.
void PrintUsage();
