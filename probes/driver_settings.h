// The Tessiv driver's reserved high-memory area, as its service key in the registry gives it.
#pragma once

#include <cstdint>

struct ReservedArea {
  uint32_t Start = 0;  // 0: the driver is not installed
  uint32_t Size = 0;
};

// The Parameters subkey of the driver's service key under HKEY_LOCAL_MACHINE.
extern const wchar_t DriverParametersKey[];

// Reads the start value, then the size value; what cannot be read counts as 0.
ReservedArea ReadReservedArea();
