#include "output/report_stream.h"

#include "output/standard_output.h"

namespace {

// Log text is gathered and written in pieces of about this size.
const size_t LogWriteChunk = 4096;

void WriteLogText(ReportStream& report) {
  const std::string& text = report.PendingLogText;
  size_t done = 0;
  while (!report.LogWriteFailed && done < text.size()) {
    DWORD written = 0;
    BOOL ok = WriteFile(report.LogFile, text.data() + done, static_cast<DWORD>(text.size() - done),
                        &written, nullptr);
    if (!ok || written == 0) {
      // A full disk or a lost file: this text and all report text after it are dropped.
      report.LogWriteFailed = true;
    }
    done += written;
  }
  report.PendingLogText.clear();
}

}  // namespace

void RedirectReportToLogFile(ReportStream& report, const std::string& fileName) {
  report.Sink = ReportSink::Discard;
  if (fileName.empty()) return;
  std::wstring wideName;
  for (size_t i = 0; i < fileName.size() && i < MaximumLogFileNameLength; ++i) {
    wideName += static_cast<WCHAR>(static_cast<unsigned char>(fileName[i]));
  }
  HANDLE file = CreateFileW(wideName.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  report.LogFile = file;
  report.Sink = ReportSink::LogFile;
}

void DiscardReport(ReportStream& report) { report.Sink = ReportSink::Discard; }

void WriteReport(ReportStream& report, const std::string& text) {
  if (report.Closed) return;
  switch (report.Sink) {
    case ReportSink::Console:
      WriteStandardOutput(text);
      break;
    case ReportSink::LogFile:
      if (report.LogWriteFailed) return;
      report.PendingLogText += WithCrLf(text);
      if (report.PendingLogText.size() >= LogWriteChunk) WriteLogText(report);
      break;
    case ReportSink::Discard:
      break;
  }
}

void WriteReportNumber(ReportStream& report, uint64_t value) {
  WriteReport(report, FormatNumber(value, report.Base, report.UpperCaseHex));
}

void SetReportBase(ReportStream& report, NumberBase base) { report.Base = base; }

void SetReportUpperCaseHex(ReportStream& report, bool upperCase) {
  report.UpperCaseHex = upperCase;
}

void FlushReport(ReportStream& report) {
  if (report.Closed) return;
  if (report.Sink == ReportSink::LogFile) WriteLogText(report);
  FlushStandardOutput();
}

void CloseReport(ReportStream& report) {
  FlushReport(report);
  if (report.LogFile != INVALID_HANDLE_VALUE) {
    CloseHandle(report.LogFile);
    report.LogFile = INVALID_HANDLE_VALUE;
  }
  report.Closed = true;
}
