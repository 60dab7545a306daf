// The log file through the real file calls: CR LF line ends, appended after what the file held,
// never truncated, and open to other readers and writers while the report holds it.
#include <gtest/gtest.h>

#include <string>

#include "output/report_stream.h"
#include "platform/win32.h"

namespace {

std::string ReadAll(const wchar_t* name) {
  HANDLE file = CreateFileW(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "<missing>";
  std::string text;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
    text.append(buffer, read);
  CloseHandle(file);
  return text;
}

void WriteAll(const wchar_t* name, const std::string& text) {
  HANDLE file =
      CreateFileW(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(file, text.data(), DWORD(text.size()), &written, nullptr);
  CloseHandle(file);
}

TEST(LogFile, AppendedWithCrLfAndSharedWhileOpen) {
  const wchar_t name[] = L"tessiv-log-test.log";
  WriteAll(name, "earlier\r\n");
  ReportStream report;
  RedirectReportToLogFile(report, "tessiv-log-test.log");
  ASSERT_EQ(report.Sink, ReportSink::LogFile);
  WriteReport(report, "one\ntwo\n\n");
  FlushReport(report);
  // Another process may read and write the file while the report holds it.
  HANDLE other = CreateFileW(name, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(other, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(other, "other\r\n", 7, &written, nullptr);
  CloseHandle(other);
  WriteReport(report, "three\n");
  CloseReport(report);
  EXPECT_EQ(ReadAll(name), "earlier\r\none\r\ntwo\r\n\r\nother\r\nthree\r\n");
  DeleteFileW(name);
}

TEST(LogFile, CreatedWhenMissing) {
  const wchar_t name[] = L"tessiv-new-log-test.log";
  DeleteFileW(name);
  ReportStream report;
  RedirectReportToLogFile(report, "tessiv-new-log-test.log");
  WriteReport(report, "x\n");
  CloseReport(report);
  EXPECT_EQ(ReadAll(name), "x\r\n");
  DeleteFileW(name);
}

TEST(LogFile, MissingFolderDiscards) {
  ReportStream report;
  RedirectReportToLogFile(report, "no-such-folder\\x.log");
  EXPECT_EQ(report.Sink, ReportSink::Discard);
  CloseReport(report);
}

}  // namespace
