#include "probes/driver_settings.h"

#include "platform/win32.h"

const wchar_t DriverParametersKey[] = L"SYSTEM\\CurrentControlSet\\Services\\Tessiv0\\Parameters";

namespace {

// One value, with an open and close of the key of its own. The data are taken as a
// little-endian 32-bit number; shorter data leave the higher bytes 0. Data longer than 4 bytes
// do not fit and count as 0, whatever the buffer was left holding.
uint32_t ReadDriverValue(const wchar_t* valueName) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, DriverParametersKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return 0;
  }
  BYTE data[4] = {0, 0, 0, 0};
  DWORD length = sizeof data;
  LONG status = RegQueryValueExW(key, valueName, nullptr, nullptr, data, &length);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS) return 0;
  return static_cast<uint32_t>(data[0]) | static_cast<uint32_t>(data[1]) << 8 |
         static_cast<uint32_t>(data[2]) << 16 | static_cast<uint32_t>(data[3]) << 24;
}

}  // namespace

ReservedArea ReadReservedArea() {
  ReservedArea area;
  area.Start = ReadDriverValue(L"HighMemoryAreaReservedStart");
  area.Size = ReadDriverValue(L"HighMemoryAreaReservedSize");
  return area;
}
