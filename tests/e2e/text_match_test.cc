// The comparison of the end-to-end runner must itself catch what it is there to catch.
#include "text_match.h"

#include <gtest/gtest.h>

#include "case_file.h"

namespace {

TEST(e2eRunnerTimestampLine, AcceptsOnlyTheLayoutWithAFittingDayName) {
  struct Row {
    const char* Line;
    bool Accepted;
  };
  const Row rows[] = {
      {"Tue Mar 05 14:03:07 2024", true},   {"Thu Feb 29 23:59:59 2024", true},
      {"Wed Mar 05 14:03:07 2024", false},  // 5 March 2024 was a Tuesday
      {"Tue Mar  5 14:03:07 2024", false},  {"Tue Mar 05 24:03:07 2024", false},
      {"Thu Feb 30 10:00:00 2024", false},  {"Tue mar 05 14:03:07 2024", false},
      {"Tue Mar 05 14:03:07 2024 ", false}, {"Tue Mar 05 14:03 2024", false},
  };
  for (const Row& row : rows) EXPECT_EQ(row.Accepted, IsTimestampLine(row.Line)) << row.Line;
}

TEST(e2eRunnerMatchOutput, ComparesLinesWithTheirEnds) {
  struct Row {
    const char* Pattern;
    const char* Actual;
    bool CrLf;
    bool Matches;
  };
  const Row rows[] = {
      {"a\nb\n", "a\r\nb\r\n", true, true},
      {"a\nb\n", "a\r\nb\n", true, false},  // a bare line feed
      {"a\nb\n", "a\nb\n", false, true},
      {"a\nb\n", "a\r\nb\r\n", false, false},
      {"a\n", "a\r\n\r\n", true, false},  // one line too many
      {"a\n\n", "a\r\n", true, false},
      {"ab", "ab\r\n", true, false},  // the pattern's last line has no line end
      {"x\n{timestamp}\n", "x\r\nTue Mar 05 14:03:07 2024\r\n", true, true},
      {"x\n{timestamp}\n", "x\r\nTue Mar 05 14:03:07 2024 \r\n", true, false},
      {"/d/host:3: {any}\n", "/d/host:3: unknown section\n", false, true},
      {"/d/host:3: {any}\n", "/d/host:4: unknown section\n", false, false},
      {"/d/host:3: {any}\n", "/d/host:3: one\ntwo\n", false, false},
      {"{any}:{any}x\n", "a:bx\n", false, true},
      {"{any}:{any}x\n", "a:b\n", false, false},
      {"", "", true, true},
      {"", "\r\n", true, false},
  };
  for (const Row& row : rows) {
    std::string report;
    EXPECT_EQ(row.Matches, MatchOutput(row.Pattern, row.Actual, row.CrLf, &report))
        << VisibleBytes(row.Pattern) << " vs " << VisibleBytes(row.Actual) << "\n"
        << report;
  }
}

TEST(e2eRunnerCaseFile, ReadsSectionsEscapesAndPlaceholders) {
  const char* text =
      "A description.\n"
      "=== args\n"
      "-log:{dir}/caf\\xe9.txt\n"
      "{empty}\n"
      "=== stdin\n"
      "y\\r\n"
      "no end{noeol}\n"
      "=== existing old.log\n"
      "old\n"
      "=== file tool exec\n"
      "echo \\n\n"
      "=== stdout\n"
      "\n"
      "last\n"
      "=== written tool.txt\n"
      "called\n"
      "=== log a.log\n"
      "x\n"
      "=== nofile gone.txt\n"
      "=== status\n"
      "-7\n";
  CaseFile parsed;
  std::string error;
  ASSERT_TRUE(ParseCaseFile(text, "/tmp/x", &parsed, &error)) << error;
  ASSERT_EQ(2u, parsed.Arguments.size());
  EXPECT_EQ("-log:/tmp/x/caf\xe9.txt", parsed.Arguments[0]);
  EXPECT_EQ("", parsed.Arguments[1]);
  EXPECT_EQ("y\r\nno end", parsed.Stdin);
  ASSERT_EQ(2u, parsed.InputFiles.size());
  EXPECT_EQ("old\r\n", parsed.InputFiles[0].Content);
  EXPECT_EQ("echo \\n\n", parsed.InputFiles[1].Content);
  EXPECT_TRUE(parsed.InputFiles[1].Executable);
  EXPECT_EQ("\nlast\n", parsed.ExpectedStdout);
  EXPECT_EQ("", parsed.ExpectedStderr);
  ASSERT_EQ(2u, parsed.ExpectedLogs.size());
  EXPECT_FALSE(parsed.ExpectedLogs[0].CrLfLines);
  EXPECT_TRUE(parsed.ExpectedLogs[1].CrLfLines);
  ASSERT_EQ(1u, parsed.AbsentFiles.size());
  EXPECT_EQ(-7, parsed.ExpectedStatus);
}

TEST(e2eRunnerCaseFile, RejectsMistakes) {
  const char* const texts[] = {
      "=== stdout\nx\n",                          // no status
      "=== args\n\n=== status\n0\n",              // a blank argument line
      "=== stdouts\n=== status\n0\n",             // an unknown section
      "=== status\nzero\n",                       // not a number
      "=== stdin\nbad \\q\n=== status\n0\n",      // an unknown escape
      "=== log\nx\n=== status\n0\n",              // a log without a name
      "=== status\n0\n=== status\n1\n",           // a section twice
      "=== existing a exec\nx\n=== status\n0\n",  // exec on an existing file
  };
  for (const char* text : texts) {
    CaseFile parsed;
    std::string error;
    EXPECT_FALSE(ParseCaseFile(text, "/tmp/x", &parsed, &error)) << VisibleBytes(text);
  }
}

}  // namespace
