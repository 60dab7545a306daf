#include "probes/pci_window_probe.h"

#include "probes/wmi_connection.h"

uint64_t QueryPciWindowStart() {
  uint64_t lowest = PciWindowNotFound;
  WmiConnection connection;
  bool ran = connection.RunQuery(
      "SELECT * FROM Win32_DeviceMemoryAddress", [&lowest](IWbemClassObject* instance) {
        std::optional<uint64_t> start = ReadUInt64Property(instance, L"StartingAddress");
        if (start && *start > PciWindowFloor && *start < lowest) lowest = *start;
      });
  return ran ? lowest : ProbeFailureValue;
}
