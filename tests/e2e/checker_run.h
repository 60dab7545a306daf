// Running the built checker as a separate process in a folder of its own.
#pragma once

#include <string>
#include <vector>

struct RunRequest {
  std::string Program;
  std::vector<std::string> Arguments;  // without the program's name
  std::string WorkingDirectory;
  std::string StdinPath;  // empty: /dev/null
  std::string StdoutPath;
  std::string StderrPath;
  std::vector<std::string> Environment;  // "NAME=value", the whole environment
  int TimeLimitSeconds = 20;
};

struct RunResult {
  bool Started = false;
  bool TimedOut = false;
  bool Exited = false;  // ended by itself, not by a signal
  int ExitCode = 0;     // 0..255 when Exited
  int Signal = 0;       // when ended by a signal
  std::string Problem;  // why it could not be started
};

// Starts the program in its own process group, waits for it at most the time limit and kills the
// group when it is exceeded.
RunResult RunProgram(const RunRequest& request);

// Reads a whole file; false when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string* content);

// Writes a whole file, creating the folders on its way; false on failure.
bool WriteWholeFile(const std::string& path, const std::string& content, bool executable);
