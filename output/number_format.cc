#include "output/number_format.h"

#include <algorithm>

std::string FormatNumber(uint64_t value, NumberBase base, bool upperCaseHex) {
  const char* digits = upperCaseHex ? "0123456789ABCDEF" : "0123456789abcdef";
  const uint64_t radix = base == NumberBase::Hexadecimal ? 16 : 10;
  std::string text;
  do {
    text += digits[value % radix];
    value /= radix;
  } while (value != 0);
  std::reverse(text.begin(), text.end());
  return text;
}
