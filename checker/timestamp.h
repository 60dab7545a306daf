// The timestamp line of the report's header and footer: "Tue Mar 05 14:03:07 2024\n".
#pragma once

#include <ctime>
#include <string>

#include "output/report_stream.h"

// The line for a broken-down local time; names and digits are fixed English, not the locale's.
std::string FormatTimestampLine(const std::tm& localTime);

// Writes the line for the current local time.
void WriteTimestampLine(ReportStream& report);
