// The command line: the input's bytes, cut at each NUL, are the arguments after the program's
// name; each one lives in a heap block of exactly its size, so reading or writing past its end
// is caught. The parse is compared with what the switches mean.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "checker/command_line.h"
#include "fuzz/property.h"

namespace {

std::string AsciiLowered(const std::string& text) {
  std::string lowered = text;
  for (char& c : lowered) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lowered;
}

bool IsFlagSwitch(const std::string& lowered) {
  return lowered == "-autoupdate" || lowered == "-autoupdateonlyifoverlap" ||
         lowered == "-silent" || lowered == "-check";
}

bool IsLogSwitch(const std::string& lowered) { return lowered.compare(0, 5, "-log:") == 0; }

std::vector<std::string> SplitAtNul(const uint8_t* data, size_t size) {
  std::vector<std::string> arguments;
  if (size == 0) return arguments;
  std::string current;
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      arguments.push_back(current);
      current.clear();
    } else {
      current += static_cast<char>(data[i]);
    }
  }
  arguments.push_back(current);
  return arguments;
}

char* HeapCopy(const std::string& text) {
  char* copy = static_cast<char*>(std::malloc(text.size() + 1));
  std::memcpy(copy, text.c_str(), text.size() + 1);
  return copy;
}

// What the parse must give: the options of the accepted switches, and how many arguments it
// looked at (all of them, or up to and including the first it did not know).
struct Expected {
  bool Recognised = true;
  RunOptions Options;
  size_t Examined = 0;
};

Expected Expect(const std::vector<std::string>& arguments) {
  Expected expected;
  for (const std::string& argument : arguments) {
    const std::string lowered = AsciiLowered(argument);
    ++expected.Examined;
    if (lowered == "-autoupdate") {
      expected.Options.AutoUpdate = true;
    } else if (lowered == "-autoupdateonlyifoverlap") {
      expected.Options.AutoUpdateOnlyIfOverlap = true;
    } else if (lowered == "-silent") {
      expected.Options.Silent = true;
    } else if (lowered == "-check") {
      expected.Options.CheckOnly = true;
    } else if (IsLogSwitch(lowered)) {
      expected.Options.LogToFile = true;
      expected.Options.LogFileName = lowered.substr(5);
    } else {
      expected.Recognised = false;
      break;
    }
  }
  return expected;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<std::string> arguments = SplitAtNul(data, size);
  // The program's name has capitals so that lower-casing it by mistake shows.
  const std::string programName = "C:\\Tools\\TessivMemoryChecker.EXE";

  std::vector<char*> argv;
  argv.push_back(HeapCopy(programName));
  for (const std::string& argument : arguments) argv.push_back(HeapCopy(argument));
  const std::vector<char*> pointers = argv;
  argv.push_back(nullptr);
  const int argc = static_cast<int>(arguments.size() + 1);

  const CommandLineParse parse = ParseCommandLine(argc, argv.data());
  const Expected expected = Expect(arguments);

  bool allSwitches = true;
  for (const std::string& argument : arguments) {
    const std::string lowered = AsciiLowered(argument);
    allSwitches = allSwitches && (IsFlagSwitch(lowered) || IsLogSwitch(lowered));
  }
  Require(parse.Recognised == allSwitches,
          "recognised exactly when every argument is a switch or starts with -log:");
  Require(parse.Recognised == expected.Recognised, "recognition matches the model");

  for (size_t i = 0; i < pointers.size(); ++i) {
    Require(argv[i] == pointers[i], "the argument pointers are left in place");
  }
  Require(argv[argc] == nullptr, "the terminating null pointer is left in place");
  Require(programName == argv[0], "the program's name is neither examined nor lower-cased");
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string now = argv[i + 1];
    if (i < expected.Examined) {
      Require(now == AsciiLowered(arguments[i]),
              "an examined argument has A-Z lowered and every other byte unchanged");
    } else {
      Require(now == arguments[i], "arguments after the first unknown one are untouched");
    }
  }

  if (parse.Recognised) {
    const RunOptions& got = parse.Options;
    const RunOptions& want = expected.Options;
    Require(got.AutoUpdate == want.AutoUpdate, "AutoUpdate as -autoupdate says");
    Require(got.AutoUpdateOnlyIfOverlap == want.AutoUpdateOnlyIfOverlap,
            "AutoUpdateOnlyIfOverlap as -autoupdateonlyifoverlap says");
    Require(got.Silent == want.Silent, "Silent as -silent says");
    Require(got.CheckOnly == want.CheckOnly, "CheckOnly as -check says");
    Require(got.LogToFile == want.LogToFile, "LogToFile as -log: says");
    Require(got.LogFileName == want.LogFileName,
            "LogFileName is the text after -log: of the last -log: argument");
  }

  for (char* pointer : pointers) std::free(pointer);
  return 0;
}
