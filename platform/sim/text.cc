// Conversions between the wide text of the Windows calls and the UTF-8 text of this host.
#include <cstdio>

#include "platform/sim/sim_state.h"

namespace sim {

std::string WideToUtf8(const std::wstring& text) {
  std::string out;
  for (wchar_t wide : text) {
    uint32_t c = static_cast<uint32_t>(wide);
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::string WideToUtf8(const WCHAR* text) {
  return text == nullptr ? std::string() : WideToUtf8(std::wstring(text));
}

std::wstring Utf8ToWide(const std::string& text) {
  std::wstring out;
  size_t i = 0;
  while (i < text.size()) {
    unsigned char lead = static_cast<unsigned char>(text[i]);
    int extra = lead < 0x80 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
    uint32_t c = extra == 0   ? lead
                 : extra == 1 ? (lead & 0x1F)
                 : extra == 2 ? (lead & 0x0F)
                              : (lead & 0x07);
    if (lead >= 0x80 && lead < 0xC0) extra = 0, c = 0xFFFD;  // a stray continuation byte
    size_t j = 1;
    for (; j <= static_cast<size_t>(extra) && i + j < text.size(); ++j) {
      unsigned char next = static_cast<unsigned char>(text[i + j]);
      if ((next & 0xC0) != 0x80) break;
      c = (c << 6) | (next & 0x3F);
    }
    if (j <= static_cast<size_t>(extra)) c = 0xFFFD;  // cut short
    out += static_cast<wchar_t>(c);
    i += j;
  }
  return out;
}

bool EqualIgnoringCase(const std::wstring& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    wchar_t x = a[i], y = static_cast<unsigned char>(b[i]);
    if (x >= L'a' && x <= L'z') x -= 32;
    if (y >= L'a' && y <= L'z') y -= 32;
    if (x != y) return false;
  }
  return true;
}

std::string Hex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%x", value);
  return text;
}

}  // namespace sim
