// The report of a run: to the console, appended to a log file, or discarded.
#pragma once

#include <cstdint>
#include <string>

#include "output/number_format.h"
#include "platform/win32.h"

enum class ReportSink { Console, LogFile, Discard };

struct ReportStream {
  ReportSink Sink = ReportSink::Console;
  bool Closed = false;  // after CloseReport nothing reaches any sink
  NumberBase Base = NumberBase::Decimal;
  bool UpperCaseHex = false;
  HANDLE LogFile = INVALID_HANDLE_VALUE;
  std::string PendingLogText;   // already with CR LF line ends
  bool LogWriteFailed = false;  // after a failed write the rest of the report is dropped
};

// Longest log file name used; a longer name is cut to this many characters.
const size_t MaximumLogFileNameLength = 259;

// Opens the log file for appending (created when missing, never truncated, shared with other
// processes) and sends the report there. When it cannot be opened the report is discarded,
// silently.
void RedirectReportToLogFile(ReportStream& report, const std::string& fileName);
void DiscardReport(ReportStream& report);

void WriteReport(ReportStream& report, const std::string& text);
// Writes a number in the stream's current base.
void WriteReportNumber(ReportStream& report, uint64_t value);
void SetReportBase(ReportStream& report, NumberBase base);
void SetReportUpperCaseHex(ReportStream& report, bool upperCase);

// Delivers buffered text, so that it is in place before the run waits for the operator.
void FlushReport(ReportStream& report);

// Delivers what is buffered, closes the log file and leaves the stream without a sink.
void CloseReport(ReportStream& report);
