#include "output/diagnostic_stream.h"

#include "output/standard_output.h"

DiagnosticStream& Diagnostics() {
  static DiagnosticStream stream;
  return stream;
}

void WriteDiagnostic(DiagnosticStream&, const std::string& text) {
  WriteStandardOutput(text);
  if (!text.empty() && text.back() == '\n') FlushStandardOutput();
}

void WriteDiagnosticNumber(DiagnosticStream& stream, uint64_t value) {
  WriteDiagnostic(stream, FormatNumber(value, stream.Base, stream.UpperCaseHex));
}
