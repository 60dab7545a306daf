// The operating-system version record.
#include <cstring>

#include "platform/sim/sim_state.h"

BOOL GetVersionExW(LPOSVERSIONINFOW info) {
  sim::State& state = sim::Current();
  sim::AddEvent("GetVersionExW");
  if (info == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  DWORD size = info->dwOSVersionInfoSize;
  state.Log.VersionRecordSizes.push_back(size);
  if (size != sizeof(OSVERSIONINFOW) && size != sizeof(OSVERSIONINFOEXW)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  // Either way the record is rewritten, so that nothing the caller left in it survives.
  std::memset(info, 0, size);
  info->dwOSVersionInfoSize = size;
  if (state.Machine.VersionQueryFails) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  info->dwMajorVersion = state.Machine.MajorVersion;
  info->dwMinorVersion = state.Machine.MinorVersion;
  info->dwBuildNumber = state.Machine.BuildNumber;
  info->dwPlatformId = 2;  // VER_PLATFORM_WIN32_NT
  if (size == sizeof(OSVERSIONINFOEXW)) {
    reinterpret_cast<OSVERSIONINFOEXW*>(info)->wProductType = 1;  // VER_NT_WORKSTATION
  }
  return TRUE;
}
