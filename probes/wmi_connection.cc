#include "probes/wmi_connection.h"

#include <string>

#include "output/diagnostic_stream.h"

namespace {

// A BSTR of plain ASCII text; null when memory runs out.
BSTR MakeBstr(const char* text) {
  std::wstring wide(text, text + std::char_traits<char>::length(text));
  return SysAllocString(wide.c_str());
}

void WriteWmiFailureLine(const char* leadIn, HRESULT status) {
  DiagnosticStream& stream = Diagnostics();
  WriteDiagnostic(stream, leadIn);
  WriteDiagnostic(stream, "Error code = 0x");
  stream.Base = NumberBase::Hexadecimal;
  stream.UpperCaseHex = false;
  WriteDiagnosticNumber(stream, static_cast<uint32_t>(status));
  WriteDiagnostic(stream, "\n");
}

}  // namespace

bool WmiConnection::RunQuery(const char* query, const InstanceVisitor& visitor) {
  HRESULT status = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  if (FAILED(status)) return Fail("Failed to initialize COM library. ", status);
  comInitialised_ = true;

  status = CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT,
                                RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
  if (FAILED(status)) return Fail("Failed to initialize security. ", status);

  IWbemLocator* locator = nullptr;
  status = CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                            reinterpret_cast<LPVOID*>(&locator));
  if (FAILED(status)) return Fail("Failed to create IWbemLocator object. ", status);
  locator_ = locator;

  IWbemServices* services = nullptr;
  BSTR networkResource = MakeBstr("ROOT\\CIMV2");
  if (networkResource == nullptr) {
    status = E_OUTOFMEMORY;
  } else {
    status = locator_->ConnectServer(networkResource, nullptr, nullptr, nullptr, 0, nullptr,
                                     nullptr, &services);
    SysFreeString(networkResource);
  }
  if (FAILED(status)) return Fail("Could not connect. ", status);
  services_ = services;

  status =
      CoSetProxyBlanket(services_, RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr,
                        RPC_C_AUTHN_LEVEL_CALL, RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
  if (FAILED(status)) return Fail("Could not set proxy blanket. ", status);

  IEnumWbemClassObject* enumerator = nullptr;
  BSTR language = MakeBstr("WQL");
  BSTR queryText = language == nullptr ? nullptr : MakeBstr(query);
  if (queryText == nullptr) {
    status = E_OUTOFMEMORY;
  } else {
    status = services_->ExecQuery(language, queryText,
                                  WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY, nullptr,
                                  &enumerator);
  }
  SysFreeString(queryText);
  SysFreeString(language);
  if (FAILED(status)) return Fail("Query for processes failed. ", status);
  enumerator_ = enumerator;

  // Problems inside the enumeration end it like its regular end, unreported.
  while (enumerator_ != nullptr) {
    IWbemClassObject* instance = nullptr;
    ULONG returned = 0;
    status = enumerator_->Next(WBEM_INFINITE, 1, &instance, &returned);
    if (returned == 0 || FAILED(status) || instance == nullptr) {
      if (instance != nullptr && returned != 0) instance->Release();
      break;
    }
    visitor(instance);
    instance->Release();
  }

  Release();
  return true;
}

bool WmiConnection::Fail(const char* leadIn, HRESULT status) {
  WriteWmiFailureLine(leadIn, status);
  Release();
  return false;
}

void WmiConnection::Release() {
  if (enumerator_ != nullptr) enumerator_->Release();
  if (services_ != nullptr) services_->Release();
  if (locator_ != nullptr) locator_->Release();
  enumerator_ = nullptr;
  services_ = nullptr;
  locator_ = nullptr;
  if (comInitialised_) CoUninitialize();
  comInitialised_ = false;
}

std::optional<uint64_t> ReadUInt64Property(IWbemClassObject* instance, const wchar_t* name) {
  VARIANT value;
  VARIANT converted;
  VariantInit(&value);
  VariantInit(&converted);
  std::optional<uint64_t> result;
  if (SUCCEEDED(instance->Get(name, 0, &value, nullptr, nullptr)) && value.vt != VT_NULL &&
      SUCCEEDED(VariantChangeType(&converted, &value, 0, VT_UI8))) {
    result = converted.ullVal;
  }
  VariantClear(&converted);
  VariantClear(&value);
  return result;
}
