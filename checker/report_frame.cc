#include "checker/report_frame.h"

#include "checker/timestamp.h"

namespace {
const char Separator[] = "-----------------------------\n\n";
}

void WriteReportHeader(ReportStream& report, int argc, char** argv) {
  WriteReport(report, "Kelvor Tessiv memory checker.\n");
  WriteTimestampLine(report);
  for (int i = 1; i < argc; ++i) {
    WriteReport(report, argv[i]);
    WriteReport(report, "\n");
  }
  WriteReport(report, Separator);
}

void WriteReportFooter(ReportStream& report) {
  WriteReport(report, "Exiting Kelvor Tessiv memory checker.\n");
  WriteTimestampLine(report);
  WriteReport(report, Separator);
}
