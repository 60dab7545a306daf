// The typical machine: Windows XP with the driver installed, as examples/typical.host
// describes it.
#include "platform/sim/sim_state.h"

namespace sim {

namespace {

RegistryValue Dword(uint32_t value) {
  RegistryValue result;
  result.Type = REG_DWORD;
  for (int i = 0; i < 4; ++i) result.Data.push_back(static_cast<BYTE>(value >> (8 * i)));
  return result;
}

WmiValue Text(const std::string& text) {
  WmiValue value;
  value.ValueKind = WmiValue::Text;
  value.TextValue = text;
  return value;
}

WmiValue Int32(int32_t number) {
  WmiValue value;
  value.ValueKind = WmiValue::Int32;
  value.Int32Value = number;
  return value;
}

}  // namespace

Host DefaultHost() {
  Host host;
  host.MajorVersion = 5;
  host.MinorVersion = 1;
  host.BuildNumber = 2600;

  host.KeyExists = true;
  host.Values["HighMemoryAreaReservedStart"] = Dword(0xC0000000u);
  host.Values["HighMemoryAreaReservedSize"] = Dword(0x10000000u);

  // Legacy video memory, the PCI window and the I/O APIC.
  for (const char* start : {"655360", "3758096384", "4273995776"}) {
    host.Instances.push_back({"Win32_DeviceMemoryAddress", {{"StartingAddress", Text(start)}}});
  }
  // Two 2048 MB DDR2 modules.
  for (int module = 0; module < 2; ++module) {
    host.Instances.push_back(
        {"Win32_PhysicalMemory", {{"Capacity", Text("2147483648")}, {"MemoryType", Int32(21)}}});
  }
  return host;
}

}  // namespace sim
