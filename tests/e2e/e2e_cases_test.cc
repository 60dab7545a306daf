// Runs the built checker once per case file in tests/e2e/cases and compares everything it wrote
// with the case, byte for byte (case_file.h describes the format).
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "case_file.h"
#include "checker_run.h"
#include "text_match.h"

namespace {

const char kCaseFolder[] = TESSIV_SOURCE_DIR "/tests/e2e/cases";
const char kCaseSuffix[] = ".case";

std::vector<std::string> CaseNames() {
  std::vector<std::string> names;
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator(kCaseFolder, ignored)) {
    std::string file = entry.path().filename().string();
    size_t suffix = sizeof(kCaseSuffix) - 1;
    if (file.size() > suffix && file.compare(file.size() - suffix, suffix, kCaseSuffix) == 0) {
      names.push_back(file.substr(0, file.size() - suffix));
    }
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string TestNameOf(const testing::TestParamInfo<std::string>& info) {
  std::string name = info.param;
  for (char& c : name) {
    bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    if (!plain) c = '_';
  }
  return name;
}

// A fresh folder under /tmp whose whole path is in small letters, so that a log file name that
// the checker lower-cases still lies inside it.
std::string MakeRunFolder(const std::string& caseName) {
  std::string base = "/tmp/tessiv-e2e-" + std::to_string(getpid()) + "-";
  for (char c : caseName) {
    base += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  }
  std::error_code ignored;
  std::filesystem::remove_all(base, ignored);
  if (!std::filesystem::create_directories(base + "/empty-path", ignored)) return "";
  return base;
}

class CheckerCase : public testing::TestWithParam<std::string> {};

TEST_P(CheckerCase, WritesWhatTheCaseExpects) {
  const std::string caseName = GetParam();
  std::string caseText;
  ASSERT_TRUE(ReadWholeFile(std::string(kCaseFolder) + "/" + caseName + kCaseSuffix, &caseText));
  const std::string dir = MakeRunFolder(caseName);
  ASSERT_FALSE(dir.empty()) << "cannot make the run's folder";

  CaseFile testCase;
  std::string problem;
  ASSERT_TRUE(ParseCaseFile(caseText, dir, &testCase, &problem))
      << caseName << kCaseSuffix << ": " << problem;

  for (const CaseInputFile& file : testCase.InputFiles) {
    ASSERT_TRUE(WriteWholeFile(dir + "/" + file.Name, file.Content, file.Executable))
        << "cannot write " << file.Name;
  }

  const std::string statusPath = dir + "/.exit-status";
  RunRequest request;
  request.Program = TESSIV_CHECKER;
  request.Arguments = testCase.Arguments;
  request.WorkingDirectory = dir;
  request.StdoutPath = dir + "/.stdout";
  request.StderrPath = dir + "/.stderr";
  request.Environment.push_back("PATH=" + dir + "/empty-path:/usr/bin:/bin");
  request.Environment.push_back("TESSIV_HOST_STATUS=" + statusPath);
  if (testCase.HasStdin) {
    request.StdinPath = dir + "/.stdin";
    ASSERT_TRUE(WriteWholeFile(request.StdinPath, testCase.Stdin, false));
  }
  if (testCase.HasHost) {
    ASSERT_TRUE(WriteWholeFile(dir + "/host", testCase.HostText, false));
    request.Environment.push_back("TESSIV_HOST=" + dir + "/host");
  }

  RunResult run = RunProgram(request);
  ASSERT_TRUE(run.Started) << run.Problem;
  ASSERT_FALSE(run.TimedOut) << "the run did not end within " << request.TimeLimitSeconds
                             << " s and was killed";
  ASSERT_TRUE(run.Exited) << "the run was ended by signal " << run.Signal;

  std::string actual;
  std::string report;
  ASSERT_TRUE(ReadWholeFile(request.StdoutPath, &actual));
  EXPECT_TRUE(MatchOutput(testCase.ExpectedStdout, actual, true, &report))
      << "standard output differs: " << report;
  ASSERT_TRUE(ReadWholeFile(request.StderrPath, &actual));
  EXPECT_TRUE(MatchOutput(testCase.ExpectedStderr, actual, false, &report))
      << "standard error differs: " << report;

  for (const ExpectedFile& log : testCase.ExpectedLogs) {
    if (!ReadWholeFile(dir + "/" + log.Name, &actual)) {
      ADD_FAILURE() << "the file " << log.Name << " does not exist after the run";
      continue;
    }
    EXPECT_TRUE(MatchOutput(log.Pattern, actual, log.CrLfLines, &report))
        << "the file " << log.Name << " differs: " << report;
  }
  for (const std::string& name : testCase.AbsentFiles) {
    EXPECT_FALSE(std::filesystem::exists(dir + "/" + name))
        << "the file " << name << " exists after the run";
  }

  std::string statusText;
  if (!ReadWholeFile(statusPath, &statusText)) {
    ADD_FAILURE() << "the run wrote no exit status to TESSIV_HOST_STATUS; its process status was "
                  << run.ExitCode;
  } else {
    char* end = nullptr;
    long long status = std::strtoll(statusText.c_str(), &end, 10);
    bool wellFormed = !statusText.empty() && statusText.back() == '\n' &&
                      end == statusText.c_str() + statusText.size() - 1 &&
                      statusText.find_first_of(" \t+") == std::string::npos;
    EXPECT_TRUE(wellFormed) << "the status file holds \"" << VisibleBytes(statusText)
                            << "\", not a signed decimal number and a line feed";
    EXPECT_EQ(testCase.ExpectedStatus, status) << "exit status";
    EXPECT_EQ(static_cast<int>(static_cast<unsigned long long>(status) & 0xFF), run.ExitCode)
        << "the process status is not the exit status truncated to 8 bits";
  }

  if (!HasFailure()) {
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
  } else {
    std::cout << "the run's folder is kept: " << dir << "\n";
  }
}

INSTANTIATE_TEST_SUITE_P(e2e, CheckerCase, testing::ValuesIn(CaseNames()), TestNameOf);

}  // namespace
