// How a Windows command line falls apart into the program name and the arguments.
#pragma once

#include <string>
#include <vector>

namespace sim {

// The words of `commandLine`: the first as CreateProcessW takes the program name (up to the
// first blank or tab, or between double quotes), the rest as the C runtime of the started
// program splits its arguments (double quotes group, backslashes escape quotes).
std::vector<std::wstring> SplitCommandLine(const std::wstring& commandLine);

}  // namespace sim
