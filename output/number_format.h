// Numbers as the report and the diagnostic lines show them: no sign, no grouping, no prefix,
// no leading zeros.
#pragma once

#include <cstdint>
#include <string>

enum class NumberBase { Decimal, Hexadecimal };

std::string FormatNumber(uint64_t value, NumberBase base, bool upperCaseHex);
