#include "text_match.h"

#include <cstdio>
#include <vector>

namespace {

const char kTimestampMark[] = "{timestamp}";
const char kAnyMark[] = "{any}";

struct TextLine {
  std::string Text;  // without its line end
  bool HasLineEnd = false;
  bool BareLineFeed = false;  // a CR LF was wanted but the line ended in a lone LF
};

std::vector<TextLine> SplitLines(const std::string& text, bool crLfLines) {
  std::vector<TextLine> lines;
  size_t begin = 0;
  while (begin < text.size()) {
    TextLine line;
    size_t end = text.find('\n', begin);
    if (end == std::string::npos) {
      line.Text = text.substr(begin);
      begin = text.size();
    } else {
      line.Text = text.substr(begin, end - begin);
      line.HasLineEnd = true;
      begin = end + 1;
      if (crLfLines) {
        if (!line.Text.empty() && line.Text.back() == '\r') {
          line.Text.pop_back();
        } else {
          line.BareLineFeed = true;
        }
      }
    }
    lines.push_back(line);
  }
  return lines;
}

int IndexOf(const char* const* names, int count, const std::string& name) {
  for (int i = 0; i < count; ++i) {
    if (name == names[i]) return i;
  }
  return -1;
}

bool IsDigits(const std::string& text, size_t at, size_t count) {
  for (size_t i = at; i < at + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
  }
  return true;
}

int NumberAt(const std::string& text, size_t at, size_t count) {
  int value = 0;
  for (size_t i = at; i < at + count; ++i) value = value * 10 + (text[i] - '0');
  return value;
}

// Day of the week of a date of the Gregorian calendar, 0 for Sunday.
int DayOfWeek(int year, int month, int day) {
  static const int kMonthOffsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  if (month < 3) year -= 1;
  return (year + year / 4 - year / 100 + year / 400 + kMonthOffsets[month - 1] + day) % 7;
}

int DaysInMonth(int year, int month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

bool MatchesWithAny(const std::string& pattern, const std::string& text) {
  std::vector<std::string> pieces;
  size_t begin = 0;
  for (;;) {
    size_t mark = pattern.find(kAnyMark, begin);
    pieces.push_back(pattern.substr(begin, mark - begin));
    if (mark == std::string::npos) break;
    begin = mark + sizeof(kAnyMark) - 1;
  }
  if (pieces.size() == 1) return pattern == text;
  const std::string& first = pieces.front();
  const std::string& last = pieces.back();
  if (text.size() < first.size() + last.size()) return false;
  if (text.compare(0, first.size(), first) != 0) return false;
  if (text.compare(text.size() - last.size(), last.size(), last) != 0) return false;
  size_t at = first.size();
  size_t limit = text.size() - last.size();
  for (size_t i = 1; i + 1 < pieces.size(); ++i) {
    size_t found = text.find(pieces[i], at);
    if (found == std::string::npos || found + pieces[i].size() > limit) return false;
    at = found + pieces[i].size();
  }
  return true;
}

bool LineMatches(const TextLine& expected, const TextLine& actual) {
  if (actual.BareLineFeed || expected.HasLineEnd != actual.HasLineEnd) return false;
  if (expected.Text == kTimestampMark) return IsTimestampLine(actual.Text);
  return MatchesWithAny(expected.Text, actual.Text);
}

std::string ShownLine(const TextLine& line, bool crLfLines) {
  std::string shown = VisibleBytes(line.Text);
  if (line.HasLineEnd) shown += crLfLines && !line.BareLineFeed ? "\\r\\n" : "\\n";
  return shown;
}

}  // namespace

bool IsTimestampLine(const std::string& line) {
  static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  // "Tue Mar 05 14:03:07 2024"
  if (line.size() != 24) return false;
  if (line[3] != ' ' || line[7] != ' ' || line[10] != ' ' || line[13] != ':' || line[16] != ':' ||
      line[19] != ' ') {
    return false;
  }
  int weekday = IndexOf(kDays, 7, line.substr(0, 3));
  int month = IndexOf(kMonths, 12, line.substr(4, 3)) + 1;
  if (weekday < 0 || month == 0) return false;
  if (!IsDigits(line, 8, 2) || !IsDigits(line, 11, 2) || !IsDigits(line, 14, 2) ||
      !IsDigits(line, 17, 2) || !IsDigits(line, 20, 4)) {
    return false;
  }
  int day = NumberAt(line, 8, 2);
  int year = NumberAt(line, 20, 4);
  if (day < 1 || day > DaysInMonth(year, month)) return false;
  if (NumberAt(line, 11, 2) > 23 || NumberAt(line, 14, 2) > 59 || NumberAt(line, 17, 2) > 59) {
    return false;
  }
  return DayOfWeek(year, month, day) == weekday;
}

std::string VisibleBytes(const std::string& text) {
  std::string shown;
  for (unsigned char c : text) {
    if (c == '\r') {
      shown += "\\r";
    } else if (c == '\n') {
      shown += "\\n";
    } else if (c == '\t') {
      shown += "\\t";
    } else if (c == '\\') {
      shown += "\\\\";
    } else if (c < 0x20 || c > 0x7e) {
      char escaped[8];
      std::snprintf(escaped, sizeof(escaped), "\\x%02x", c);
      shown += escaped;
    } else {
      shown += static_cast<char>(c);
    }
  }
  return shown;
}

bool MatchOutput(const std::string& pattern, const std::string& actual, bool crLfLines,
                 std::string* report) {
  std::vector<TextLine> expected = SplitLines(pattern, false);
  std::vector<TextLine> got = SplitLines(actual, crLfLines);
  size_t firstDifference = std::string::npos;
  size_t count = expected.size() > got.size() ? expected.size() : got.size();
  for (size_t i = 0; i < count && firstDifference == std::string::npos; ++i) {
    if (i >= expected.size() || i >= got.size() || !LineMatches(expected[i], got[i])) {
      firstDifference = i;
    }
  }
  if (firstDifference == std::string::npos) return true;

  for (TextLine& line : expected) line.BareLineFeed = false;
  std::string text = "first difference at line " + std::to_string(firstDifference + 1) + "\n";
  text += "  expected: " +
          (firstDifference < expected.size() ? ShownLine(expected[firstDifference], crLfLines)
                                             : std::string("(no more lines)")) +
          "\n";
  text += "  actual:   " +
          (firstDifference < got.size() ? ShownLine(got[firstDifference], crLfLines)
                                        : std::string("(no more lines)")) +
          "\n";
  text += "line by line ('  ' same, '- ' expected, '+ ' actual):\n";
  for (size_t i = 0; i < count; ++i) {
    bool same = i < expected.size() && i < got.size() && LineMatches(expected[i], got[i]);
    if (same) {
      text += "  " + ShownLine(got[i], crLfLines) + "\n";
      continue;
    }
    if (i < expected.size()) text += "- " + ShownLine(expected[i], crLfLines) + "\n";
    if (i < got.size()) text += "+ " + ShownLine(got[i], crLfLines) + "\n";
  }
  *report = text;
  return false;
}
