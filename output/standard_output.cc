#include "output/standard_output.h"

#include <cstdio>

#include "platform/process_setup.h"

std::string WithCrLf(const std::string& text) {
  std::string converted;
  converted.reserve(text.size() + text.size() / 16 + 2);
  for (char c : text) {
    if (c == '\n') converted += '\r';
    converted += c;
  }
  return converted;
}

void WriteStandardOutput(const std::string& text) {
  const std::string bytes = WithCrLf(text);
  // A failed write is not reported: no output channel's failure changes the run.
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  // Whether standard output is a console does not change during a run.
  static const bool console = StandardOutputIsConsole();
  if (console) std::fflush(stdout);
}

void FlushStandardOutput() { std::fflush(stdout); }
