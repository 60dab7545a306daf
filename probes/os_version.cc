#include "probes/os_version.h"

#include "platform/win32.h"

uint32_t QueryOsMajorVersion() {
  OSVERSIONINFOEXW info = {};
  info.dwOSVersionInfoSize = sizeof info;
  // A failed call leaves the record zeroed, so the version reads 0.
  GetVersionExW(reinterpret_cast<LPOSVERSIONINFOW>(&info));
  return info.dwMajorVersion;
}
