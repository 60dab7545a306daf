#include "checker/command_line.h"

#include <cstring>

#include "output/standard_output.h"

namespace {

void LowerCaseInPlace(char* argument) {
  for (char* c = argument; *c != '\0'; ++c) {
    if (*c >= 'A' && *c <= 'Z') *c = static_cast<char>(*c - 'A' + 'a');
  }
}

const char LogSwitch[] = "-log:";

}  // namespace

CommandLineParse ParseCommandLine(int argc, char** argv) {
  CommandLineParse parse;
  RunOptions& options = parse.Options;
  for (int i = 1; i < argc; ++i) {
    char* argument = argv[i];
    LowerCaseInPlace(argument);
    if (std::strcmp(argument, "-autoupdate") == 0) {
      options.AutoUpdate = true;
    } else if (std::strcmp(argument, "-autoupdateonlyifoverlap") == 0) {
      options.AutoUpdateOnlyIfOverlap = true;
    } else if (std::strcmp(argument, "-silent") == 0) {
      options.Silent = true;
    } else if (std::strcmp(argument, "-check") == 0) {
      options.CheckOnly = true;
    } else if (std::strncmp(argument, LogSwitch, sizeof LogSwitch - 1) == 0) {
      options.LogToFile = true;
      options.LogFileName = argument + (sizeof LogSwitch - 1);
    } else {
      parse.Recognised = false;
      return parse;
    }
  }
  return parse;
}

void PrintUsage() {
  WriteStandardOutput(
      "Usage: TessivMemoryChecker \n"
      "       -AutoUpdate                 \tAutomaticaly updates the Tessiv settings to the "
      "recommended value.\n"
      "       -AutoUpdateOnlyIfOverlap    \tAutomaticaly updates the Tessiv settings to the "
      "recommended value only if Tessiv memory overlaps the PCI address space.\n"
      "       -Silent                     \tDoes not print anything in the console.\n"
      "       -Check                      \tChecks the memory without doing any updates.\n"
      "       -Log:[file]                 \tAppends the details in the attached log file.\n");
}
