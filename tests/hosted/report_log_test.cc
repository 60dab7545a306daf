#include <gtest/gtest.h>

#include <cstdio>

#include "output/report_stream.h"
#include "tests/hosted/sim_fixture.h"
#include "tests/sim/temp_folder.h"
#include "tests/unit/capture.h"

namespace {

std::string TempPath(const std::string& name) { return testing::TempDir() + "tessiv-" + name; }

TEST(LogFile, AppendsWithCrLfAndKeepsWhatWasThere) {
  InstallHostText("");
  const std::string path = TempPath("append.log");
  WriteTextFile(path, "earlier report\r\n\r\n", false);
  std::string console = CaptureStandardOutput([&] {
    ReportStream report;
    RedirectReportToLogFile(report, path);
    EXPECT_EQ(report.Sink, ReportSink::LogFile);
    WriteReport(report, "line one\nline two\n\n");
    SetReportBase(report, NumberBase::Hexadecimal);
    SetReportUpperCaseHex(report, true);
    WriteReportNumber(report, 0xC0000000);
    WriteReport(report, "\n");
    CloseReport(report);
    WriteReport(report, "after the close\n");
  });
  EXPECT_EQ(console, "");
  EXPECT_EQ(ReadTextFile(path), "earlier report\r\n\r\nline one\r\nline two\r\n\r\nC0000000\r\n");
  EXPECT_EQ(sim::Recorded().OpenHandles, 0);
  ASSERT_EQ(sim::Recorded().FilesOpened.size(), 1u);
  std::remove(path.c_str());
}

TEST(LogFile, CreatedWhenMissingAndNameCutTo259Characters) {
  InstallHostText("");
  const std::string directory = testing::TempDir();
  std::string name = directory + "tessiv-";
  name.append(259 - name.size(), 'n');
  const std::string longName = name + "-beyond-the-limit.log";
  std::remove(name.c_str());
  ReportStream report;
  RedirectReportToLogFile(report, longName);
  WriteReport(report, "x\n");
  CloseReport(report);
  EXPECT_EQ(ReadTextFile(name), "x\r\n");
  std::remove(name.c_str());
}

TEST(LogFile, CannotBeOpenedDiscardsSilently) {
  for (const std::string& name : {std::string(), TempPath("no-such-dir/x.log")}) {
    InstallHostText("");
    std::string console = CaptureStandardOutput([&] {
      ReportStream report;
      RedirectReportToLogFile(report, name);
      EXPECT_EQ(report.Sink, ReportSink::Discard);
      WriteReport(report, "lost\n");
      CloseReport(report);
    });
    EXPECT_EQ(console, "");
    EXPECT_EQ(sim::Recorded().OpenHandles, 0);
  }
  EXPECT_TRUE(sim::Recorded().FilesOpened.size() <= 1u);
}

TEST(LogFile, FullDiskDropsTheRestButKeepsWhatWasWritten) {
  const std::string path = TempPath("full.log");
  std::remove(path.c_str());
  InstallHostText("[failures]\nWriteFile = 112 after 6\n");
  ReportStream report;
  RedirectReportToLogFile(report, path);
  WriteReport(report, "first\n");
  FlushReport(report);
  WriteReport(report, "second\n");
  FlushReport(report);
  WriteReport(report, "third\n");
  CloseReport(report);
  EXPECT_EQ(ReadTextFile(path), "first\r");
  EXPECT_TRUE(report.LogWriteFailed);
  EXPECT_EQ(sim::Recorded().OpenHandles, 0);
  std::remove(path.c_str());
}

TEST(LogFile, LargeReportReachesTheFileWhole) {
  InstallHostText("");
  const std::string path = TempPath("large.log");
  std::remove(path.c_str());
  ReportStream report;
  RedirectReportToLogFile(report, path);
  std::string expected;
  for (int i = 0; i < 2000; ++i) {
    WriteReport(report, "0123456789\n");
    expected += "0123456789\r\n";
  }
  CloseReport(report);
  EXPECT_EQ(ReadTextFile(path), expected);
  std::remove(path.c_str());
}

TEST(ConsoleSink, DiscardWritesNothing) {
  std::string console = CaptureStandardOutput([] {
    ReportStream report;
    DiscardReport(report);
    WriteReport(report, "nothing\n");
    CloseReport(report);
  });
  EXPECT_EQ(console, "");
}

}  // namespace
