// The start of the PCI address space: the lowest device memory address above 16 MB.
#pragma once

#include <cstdint>

// Device memory at or below this address is not taken as the PCI window (16 MB).
const uint64_t PciWindowFloor = 0x1000000;
// The result when the query ran but found no device memory above the floor.
const uint64_t PciWindowNotFound = UINT64_MAX;

// PciWindowStart; ProbeFailureValue (1) when the WMI sequence failed.
uint64_t QueryPciWindowStart();
