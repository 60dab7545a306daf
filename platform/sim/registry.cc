// The registry: only the driver's Parameters key under HKEY_LOCAL_MACHINE can exist.
#include <cstring>

#include "platform/sim/sim_state.h"

namespace {

const char kParametersKey[] = "SYSTEM\\CurrentControlSet\\Services\\Tessiv0\\Parameters";

bool IsOpenKey(HKEY key) {
  return sim::Current().OpenKeys.count(reinterpret_cast<uintptr_t>(key)) != 0;
}

}  // namespace

LONG RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM desired, PHKEY result) {
  sim::State& state = sim::Current();
  sim::AddEvent("RegOpenKeyExW");
  state.Log.RegistryOpens.push_back(sim::WideToUtf8(subKey) + " options=" +
                                    std::to_string(options) + " access=" + sim::Hex(desired));
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  if (key != HKEY_LOCAL_MACHINE && !IsOpenKey(key)) return ERROR_INVALID_HANDLE;
  // Names of keys are compared without regard to case, as Windows does.
  bool isParameters = key == HKEY_LOCAL_MACHINE && subKey != nullptr &&
                      sim::EqualIgnoringCase(subKey, kParametersKey);
  if (!isParameters || !state.Machine.KeyExists) return ERROR_FILE_NOT_FOUND;
  if (state.Machine.AccessDenied) return ERROR_ACCESS_DENIED;
  uintptr_t value = state.NextKeyValue;
  state.NextKeyValue += 4;  // never reused within a run, so a stale handle stays invalid
  HKEY opened = reinterpret_cast<HKEY>(value);
  state.OpenKeys[value] = opened;
  ++state.Log.OpenKeys;
  *result = opened;
  return ERROR_SUCCESS;
}

LONG RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                      LPDWORD dataLength) {
  sim::State& state = sim::Current();
  sim::AddEvent("RegQueryValueExW");
  std::string name = sim::WideToUtf8(valueName);
  std::string entry = name + (reserved == nullptr ? " reserved-null" : " reserved-set") +
                      (type == nullptr ? " type-null" : " type-set") +
                      (data == nullptr ? " data-null" : "") +
                      (dataLength == nullptr ? " len-null" : " len=" + std::to_string(*dataLength));
  state.Log.RegistryQueries.push_back(entry);
  if (!IsOpenKey(key) && key != HKEY_LOCAL_MACHINE) return ERROR_INVALID_HANDLE;
  if (reserved != nullptr) return ERROR_INVALID_PARAMETER;
  if (data != nullptr && dataLength == nullptr) return ERROR_INVALID_PARAMETER;
  const sim::RegistryValue* found = nullptr;
  if (key != HKEY_LOCAL_MACHINE && valueName != nullptr) {
    for (const auto& value : state.Machine.Values) {
      if (sim::EqualIgnoringCase(valueName, value.first)) found = &value.second;
    }
  }
  if (found == nullptr) return ERROR_FILE_NOT_FOUND;
  if (type != nullptr) *type = found->Type;
  if (dataLength == nullptr) return ERROR_SUCCESS;
  DWORD size = static_cast<DWORD>(found->Data.size());
  if (data != nullptr && size > *dataLength) {
    // Windows leaves the buffer undefined here. Filling it with the first bytes of the data
    // makes code that reads it anyway show up in tests.
    if (*dataLength > 0) std::memcpy(data, found->Data.data(), *dataLength);
    *dataLength = size;
    return ERROR_MORE_DATA;
  }
  if (data != nullptr && size > 0) std::memcpy(data, found->Data.data(), size);
  *dataLength = size;
  return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY key) {
  sim::State& state = sim::Current();
  sim::AddEvent("RegCloseKey");
  if (key == HKEY_LOCAL_MACHINE) return ERROR_SUCCESS;
  if (state.OpenKeys.erase(reinterpret_cast<uintptr_t>(key)) == 0) {
    sim::AddMisuse("RegCloseKey of a key that is not open");
    return ERROR_INVALID_HANDLE;
  }
  --state.Log.OpenKeys;
  return ERROR_SUCCESS;
}
