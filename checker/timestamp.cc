#include "checker/timestamp.h"

namespace {

const char* const DayNames[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const MonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                  "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

void AppendDigits(std::string& text, int value, int width) {
  std::string digits;
  do {
    digits.insert(digits.begin(), static_cast<char>('0' + value % 10));
    value /= 10;
  } while (value > 0 || static_cast<int>(digits.size()) < width);
  text += digits;
}

}  // namespace

std::string FormatTimestampLine(const std::tm& localTime) {
  std::string line;
  line += DayNames[(localTime.tm_wday % 7 + 7) % 7];
  line += ' ';
  line += MonthNames[(localTime.tm_mon % 12 + 12) % 12];
  line += ' ';
  AppendDigits(line, localTime.tm_mday, 2);
  line += ' ';
  AppendDigits(line, localTime.tm_hour, 2);
  line += ':';
  AppendDigits(line, localTime.tm_min, 2);
  line += ':';
  AppendDigits(line, localTime.tm_sec, 2);
  line += ' ';
  AppendDigits(line, localTime.tm_year + 1900, 4);
  line += '\n';
  return line;
}

void WriteTimestampLine(ReportStream& report) {
  std::time_t now = std::time(nullptr);
  const std::tm* local = std::localtime(&now);
  if (local == nullptr) {
    std::tm epoch = {};
    epoch.tm_mday = 1;
    epoch.tm_year = 70;
    epoch.tm_wday = 4;
    WriteReport(report, FormatTimestampLine(epoch));
    return;
  }
  WriteReport(report, FormatTimestampLine(*local));
}
