// wsprintfW: the small formatter of the Windows user library.
#include <cstdarg>
#include <string>

#include "platform/sim/sim_state.h"

namespace {

const size_t kOutputLimit = 1024;  // characters, the terminator included

std::wstring Padded(const std::wstring& text, size_t width, bool left, bool zeros) {
  if (text.size() >= width) return text;
  std::wstring fill(width - text.size(), zeros && !left ? L'0' : L' ');
  if (left) return text + fill;
  if (zeros && !text.empty() && text[0] == L'-') return L"-" + fill + text.substr(1);
  return fill + text;
}

std::wstring Hexadecimal(unsigned value, bool upper) {
  const wchar_t* digits = upper ? L"0123456789ABCDEF" : L"0123456789abcdef";
  std::wstring text;
  do {
    text.insert(text.begin(), digits[value % 16]);
    value /= 16;
  } while (value != 0);
  return text;
}

}  // namespace

// Conversions: %u %d %i %x %X %c %s (wide text) and %%, with the flags '-' and '0', a
// width and the size letters l and h, which change nothing on this 32-bit interface.
int WINAPIV wsprintfW(LPWSTR buffer, LPCWSTR format, ...) {
  sim::AddEvent("wsprintfW");
  va_list arguments;
  va_start(arguments, format);
  std::wstring out;
  for (const wchar_t* c = format; *c != 0; ++c) {
    if (*c != L'%') {
      out += *c;
      continue;
    }
    ++c;
    bool left = false, zeros = false;
    for (; *c == L'-' || *c == L'0'; ++c) (*c == L'-' ? left : zeros) = true;
    size_t width = 0;
    for (; *c >= L'0' && *c <= L'9'; ++c) width = width * 10 + static_cast<size_t>(*c - L'0');
    while (*c == L'l' || *c == L'h') ++c;
    std::wstring piece;
    switch (*c) {
      case L'u':
        piece = std::to_wstring(va_arg(arguments, unsigned));
        break;
      case L'd':
      case L'i':
        piece = std::to_wstring(va_arg(arguments, int));
        break;
      case L'x':
      case L'X':
        piece = Hexadecimal(va_arg(arguments, unsigned), *c == L'X');
        break;
      case L'c':
        piece = std::wstring(1, static_cast<wchar_t>(va_arg(arguments, int)));
        break;
      case L's': {
        const wchar_t* text = va_arg(arguments, const wchar_t*);
        piece = text != nullptr ? text : L"(null)";
        zeros = false;
        break;
      }
      case 0:
        --c;  // a lone % at the end is dropped
        break;
      default:
        piece = std::wstring(1, *c);  // %% and unknown letters stand for themselves
        break;
    }
    out += Padded(piece, width, left, zeros);
  }
  va_end(arguments);
  if (out.size() > kOutputLimit - 1) out.resize(kOutputLimit - 1);
  out.copy(buffer, out.size());
  buffer[out.size()] = 0;
  return static_cast<int>(out.size());
}
