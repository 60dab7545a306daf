#include "checker/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/unit/capture.h"
#include "tests/unit/usage_text.h"

namespace {

struct Arguments {
  explicit Arguments(std::vector<std::string> given) : Texts(std::move(given)) {
    Texts.insert(Texts.begin(), "TessivMemoryChecker.exe");
    for (std::string& text : Texts) Pointers.push_back(&text[0]);
  }
  int Count() const { return static_cast<int>(Pointers.size()); }
  std::vector<std::string> Texts;
  std::vector<char*> Pointers;
};

struct CommandLineCase {
  std::vector<std::string> Given;
  bool Recognised;
  const char* Flags;  // a u s c l: AutoUpdate, ...OnlyIfOverlap, Silent, CheckOnly, LogToFile
  std::string LogFileName;
  std::vector<std::string> AfterParse;  // the arguments as the parse left them
};

const CommandLineCase Cases[] = {
    {{}, true, "", "", {}},
    {{"-autoupdate"}, true, "a", "", {"-autoupdate"}},
    {{"-AutoUpdateOnlyIfOverlap"}, true, "u", "", {"-autoupdateonlyifoverlap"}},
    {{"-SILENT", "-Check"}, true, "sc", "", {"-silent", "-check"}},
    {{"-check", "-check"}, true, "c", "", {"-check", "-check"}},
    {{"-Log:C:\\Reports\\Run.TXT"},
     true,
     "l",
     "c:\\reports\\run.txt",
     {"-log:c:\\reports\\run.txt"}},
    {{"-log:"}, true, "l", "", {"-log:"}},
    {{"-log:a.txt", "-log:B.txt"}, true, "l", "b.txt", {"-log:a.txt", "-log:b.txt"}},
    {{"-silent", "-log:a.txt"}, true, "sl", "a.txt", {"-silent", "-log:a.txt"}},
    // Bytes above 127 are kept; only ASCII capitals are lowered.
    {{"-log:\xC9T\xE9.TXT"}, true, "l", "\xC9t\xE9.txt", {"-log:\xC9t\xE9.txt"}},
    {{"-autoupdate2"}, false, "", "", {"-autoupdate2"}},
    {{"-log"}, false, "", "", {"-log"}},
    {{"-logfile.txt"}, false, "", "", {"-logfile.txt"}},
    {{""}, false, "", "", {""}},
    {{"-check "}, false, "", "", {"-check "}},
    // The parse stops at the first unknown argument and leaves the rest alone.
    {{"-Silent", "-BAD", "-CHECK"}, false, "", "", {"-silent", "-bad", "-CHECK"}},
    {{"-autoupdate", "check"}, false, "", "", {"-autoupdate", "check"}},
};

void PrintTo(const CommandLineCase& c, std::ostream* out) {
  for (const std::string& argument : c.Given) *out << '[' << argument << ']';
}

class CommandLineTable : public testing::TestWithParam<CommandLineCase> {};

TEST_P(CommandLineTable, OptionsAndLoweredArguments) {
  const CommandLineCase& c = GetParam();
  Arguments arguments(c.Given);
  CommandLineParse parse = ParseCommandLine(arguments.Count(), arguments.Pointers.data());
  EXPECT_EQ(parse.Recognised, c.Recognised);
  std::vector<std::string> after(arguments.Texts.begin() + 1, arguments.Texts.end());
  EXPECT_EQ(after, c.AfterParse);
  if (!c.Recognised) return;
  const std::string flags = c.Flags;
  EXPECT_EQ(parse.Options.AutoUpdate, flags.find('a') != std::string::npos);
  EXPECT_EQ(parse.Options.AutoUpdateOnlyIfOverlap, flags.find('u') != std::string::npos);
  EXPECT_EQ(parse.Options.Silent, flags.find('s') != std::string::npos);
  EXPECT_EQ(parse.Options.CheckOnly, flags.find('c') != std::string::npos);
  EXPECT_EQ(parse.Options.LogToFile, flags.find('l') != std::string::npos);
  EXPECT_EQ(parse.Options.LogFileName, c.LogFileName);
}

INSTANTIATE_TEST_SUITE_P(CommandLine, CommandLineTable, testing::ValuesIn(Cases));

TEST(Usage, SixLinesWithCrLf) {
  EXPECT_EQ(CaptureStandardOutput([] { PrintUsage(); }), kUsage);
}

}  // namespace
