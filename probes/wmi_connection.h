// One run of the WMI query sequence: COM initialisation, security, locator, connection to
// ROOT\CIMV2, proxy blanket, one WQL query, the walk over its instances, and the clean-up.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "platform/win32.h"

// What either WMI probe returns when its sequence failed.
const uint64_t ProbeFailureValue = 1;

// Called once for each instance delivered, in delivery order. The instance belongs to the
// sequence and is released as soon as the visitor returns.
typedef std::function<void(IWbemClassObject* instance)> InstanceVisitor;

class WmiConnection {
 public:
  WmiConnection() = default;
  WmiConnection(const WmiConnection&) = delete;
  WmiConnection& operator=(const WmiConnection&) = delete;

  // Runs the query and visits its instances. Returns false when a step up to the query itself
  // failed; that step's failure line has then been written and everything obtained released.
  bool RunQuery(const char* query, const InstanceVisitor& visitor);

 private:
  bool Fail(const char* leadIn, HRESULT status);
  void Release();

  bool comInitialised_ = false;
  IWbemLocator* locator_ = nullptr;
  IWbemServices* services_ = nullptr;
  IEnumWbemClassObject* enumerator_ = nullptr;
};

// Reads a property converted to an unsigned 64-bit number (WMI delivers such numbers as
// decimal text). Nothing when the property cannot be read, is null, or does not convert.
std::optional<uint64_t> ReadUInt64Property(IWbemClassObject* instance, const wchar_t* name);
