// The report's header and footer.
#pragma once

#include "output/report_stream.h"

// Title, timestamp, each argument after the program's name (as the parse lowered it), separator.
void WriteReportHeader(ReportStream& report, int argc, char** argv);

// Exit line, a fresh timestamp, separator.
void WriteReportFooter(ReportStream& report);
