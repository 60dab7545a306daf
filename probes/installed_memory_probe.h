// The installed physical memory: the capacities of the memory modules whose type counts.
#pragma once

#include <cstdint>

// Whether a module of this Win32_PhysicalMemory MemoryType counts as installed memory.
bool IsCountedMemoryType(uint32_t memoryType);

// InstalledMemory in bytes; 0 when no module counted; ProbeFailureValue (1) when the WMI
// sequence failed.
uint64_t QueryInstalledMemory();
