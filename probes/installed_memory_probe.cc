#include "probes/installed_memory_probe.h"

#include "probes/wmi_connection.h"

namespace {

// MemoryType is delivered as a 32-bit integer value. One that is null or cannot be read counts
// as 0 (Unknown), which is counted.
uint32_t ReadMemoryType(IWbemClassObject* instance) {
  VARIANT value;
  VARIANT converted;
  VariantInit(&value);
  VariantInit(&converted);
  uint32_t type = 0;
  if (SUCCEEDED(instance->Get(L"MemoryType", 0, &value, nullptr, nullptr))) {
    if (value.vt == VT_I4) {
      type = static_cast<uint32_t>(value.lVal);
    } else if (value.vt != VT_NULL && value.vt != VT_EMPTY &&
               SUCCEEDED(VariantChangeType(&converted, &value, 0, VT_I4))) {
      type = static_cast<uint32_t>(converted.lVal);
    }
  }
  VariantClear(&converted);
  VariantClear(&value);
  return type;
}

}  // namespace

bool IsCountedMemoryType(uint32_t memoryType) {
  if (memoryType < 3) return true;
  if (memoryType <= 16) return false;
  return memoryType != 18;
}

uint64_t QueryInstalledMemory() {
  uint64_t sum = 0;
  WmiConnection connection;
  bool ran =
      connection.RunQuery("SELECT * FROM Win32_PhysicalMemory", [&sum](IWbemClassObject* instance) {
        std::optional<uint64_t> capacity = ReadUInt64Property(instance, L"Capacity");
        uint32_t type = ReadMemoryType(instance);
        if (capacity && IsCountedMemoryType(type)) sum += *capacity;
      });
  return ran ? sum : ProbeFailureValue;
}
