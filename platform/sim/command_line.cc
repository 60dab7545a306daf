// Splitting a Windows command line into words.
#include "platform/sim/command_line.h"

namespace sim {

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

}  // namespace

std::vector<std::wstring> SplitCommandLine(const std::wstring& commandLine) {
  std::vector<std::wstring> words;
  size_t i = 0, end = commandLine.size();
  // The program name: no escapes, a quote only groups.
  std::wstring program;
  if (i < end && commandLine[i] == L'"') {
    size_t close = commandLine.find(L'"', i + 1);
    if (close == std::wstring::npos) close = end;
    program = commandLine.substr(i + 1, close - i - 1);
    i = close < end ? close + 1 : end;
  } else {
    while (i < end && !IsBlank(commandLine[i])) program += commandLine[i++];
  }
  words.push_back(program);
  // The arguments, by the rules of the C runtime.
  while (true) {
    while (i < end && IsBlank(commandLine[i])) ++i;
    if (i >= end) break;
    std::wstring word;
    bool quoted = false;
    while (i < end && (quoted || !IsBlank(commandLine[i]))) {
      size_t backslashes = 0;
      while (i < end && commandLine[i] == L'\\') ++backslashes, ++i;
      if (i < end && commandLine[i] == L'"') {
        word.append(backslashes / 2, L'\\');
        if (backslashes % 2 == 1) {
          word += L'"';
        } else if (quoted && i + 1 < end && commandLine[i + 1] == L'"') {
          word += L'"';  // "" inside quotes is a literal quote
          ++i;
        } else {
          quoted = !quoted;
        }
        ++i;
      } else {
        word.append(backslashes, L'\\');
        if (i < end && (quoted || !IsBlank(commandLine[i]))) word += commandLine[i++];
      }
    }
    words.push_back(word);
  }
  return words;
}

}  // namespace sim
