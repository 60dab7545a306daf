// The one standard output that the report (on the console), the diagnostic lines and the
// usage text share. Every line feed leaves it as CR LF.
#pragma once

#include <string>

// Text with each line feed turned into CR LF.
std::string WithCrLf(const std::string& text);

// Writes text (line feeds as CR LF). On a console it is shown at once; redirected output is
// buffered until FlushStandardOutput.
void WriteStandardOutput(const std::string& text);

void FlushStandardOutput();
