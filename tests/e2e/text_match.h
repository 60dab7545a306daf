// Comparing what a run wrote with what a case expects, and showing the difference.
#pragma once

#include <string>

// Whether `line` is one timestamp line without its line end: "Ddd Mmm DD HH:MM:SS YYYY", with
// English day and month names, and a day name that fits the date.
bool IsTimestampLine(const std::string& line);

// Compares `actual` with `pattern` line by line. In the pattern a line that is exactly
// {timestamp} matches one timestamp line and {any} matches any text within its line; everything
// else is literal. With `crLfLines`, every line feed of the pattern must be a CR LF in `actual`,
// and a bare line feed there is a mismatch. On a mismatch returns false and sets *report to a
// readable account: the first differing line, then both texts with control bytes made visible.
bool MatchOutput(const std::string& pattern, const std::string& actual, bool crLfLines,
                 std::string* report);

// The text with CR, LF, tab, backslash and bytes outside printable ASCII written as escapes.
std::string VisibleBytes(const std::string& text);
