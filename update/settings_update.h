// Applies new driver settings by running the vendor's management tool, devadmin.exe.
#pragma once

#include <cstdint>
#include <string>

// The longest the checker waits for the tool.
const uint32_t ToolWaitLimit = 5000;

// "devadmin.exe modify tessiv dmasize=<n>d  ramsize=<n>d -quiet"
std::wstring SettingsUpdateCommandLine(uint32_t dmaSizeMb, uint32_t ramSizeMb);

// Runs the tool with the new area size and RAM limit and waits for it at most ToolWaitLimit.
// True when it was started, ended by itself within the limit, and no error was left behind.
// A tool still running at the limit is terminated, and the update then failed.
bool LaunchSettingsUpdate(uint32_t dmaSizeMb, uint32_t ramSizeMb);
