// The console stream on which the WMI probes report a failed step. It always goes to standard
// output, whatever the report's destination, and every line is delivered when it ends.
#pragma once

#include <cstdint>
#include <string>

#include "output/number_format.h"

struct DiagnosticStream {
  NumberBase Base = NumberBase::Decimal;
  bool UpperCaseHex = false;
};

// The process's one diagnostic stream.
DiagnosticStream& Diagnostics();

// Writes text; when it ends a line, the line is flushed at once.
void WriteDiagnostic(DiagnosticStream& stream, const std::string& text);
void WriteDiagnosticNumber(DiagnosticStream& stream, uint64_t value);
