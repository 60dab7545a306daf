// COM, WMI and OLE strings of the simulated host: objects, reference counts, injected failures.
#include <gtest/gtest.h>

#include "platform/sim/sim_host.h"

namespace {

sim::Host ParseHost(const std::string& text) {
  sim::Host host;
  std::string error;
  EXPECT_TRUE(sim::ParseHostText(text, "t.host", &host, &error)) << error;
  return host;
}

struct Connection {
  IWbemLocator* Locator = nullptr;
  IWbemServices* Services = nullptr;
  IEnumWbemClassObject* Enumerator = nullptr;
};

// Steps 1 to 6 of a WMI sequence; returns the first failing HRESULT or S_OK.
HRESULT Open(const wchar_t* query, Connection* c) {
  HRESULT hr = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  if (FAILED(hr)) return hr;
  hr = CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT,
                            RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
  if (FAILED(hr)) return hr;
  hr = CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                        reinterpret_cast<LPVOID*>(&c->Locator));
  if (FAILED(hr)) return hr;
  BSTR name = SysAllocString(L"ROOT\\CIMV2");
  hr =
      c->Locator->ConnectServer(name, nullptr, nullptr, nullptr, 0, nullptr, nullptr, &c->Services);
  SysFreeString(name);
  if (FAILED(hr)) return hr;
  hr = CoSetProxyBlanket(c->Services, RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr,
                         RPC_C_AUTHN_LEVEL_CALL, RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
  if (FAILED(hr)) return hr;
  BSTR language = SysAllocString(L"WQL");
  BSTR text = SysAllocString(query);
  hr = c->Services->ExecQuery(language, text, WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY,
                              nullptr, &c->Enumerator);
  SysFreeString(language);
  SysFreeString(text);
  return hr;
}

void Close(Connection* c) {
  if (c->Enumerator) c->Enumerator->Release();
  if (c->Services) c->Services->Release();
  if (c->Locator) c->Locator->Release();
  CoUninitialize();
}

// The texts of property `name` of each instance delivered, "null"/"missing" where so.
std::vector<std::wstring> ReadAll(IEnumWbemClassObject* enumerator, const wchar_t* name) {
  std::vector<std::wstring> values;
  while (true) {
    IWbemClassObject* instance = nullptr;
    ULONG returned = 0;
    enumerator->Next(WBEM_INFINITE, 1, &instance, &returned);
    if (returned == 0) break;
    VARIANT value;
    VariantInit(&value);
    HRESULT hr = instance->Get(name, 0, &value, nullptr, nullptr);
    if (hr == WBEM_E_NOT_FOUND)
      values.push_back(L"missing");
    else if (value.vt == VT_NULL)
      values.push_back(L"null");
    else if (value.vt == VT_BSTR)
      values.push_back(value.bstrVal);
    else if (value.vt == VT_I4)
      values.push_back(L"i4:" + std::to_wstring(value.lVal));
    else
      values.push_back(L"ui8:" + std::to_wstring(value.ullVal));
    VariantClear(&value);
    instance->Release();
  }
  return values;
}

std::vector<std::string> Releases() {
  std::vector<std::string> releases;
  for (const std::string& event : sim::Recorded().Events) {
    if (event.compare(0, 8, "Release ") == 0) releases.push_back(event);
  }
  return releases;
}

TEST(Wmi, SequenceDeliversInstancesInOrderAndCleansUp) {
  sim::InstallHost(sim::DefaultHost());
  Connection c;
  ASSERT_EQ(Open(L"select * from WIN32_DeviceMemoryAddress", &c), S_OK);
  EXPECT_EQ(sim::Recorded().LiveComObjects, 3);
  EXPECT_EQ(ReadAll(c.Enumerator, L"StartingAddress"),
            (std::vector<std::wstring>{L"655360", L"3758096384", L"4273995776"}));
  Close(&c);
  const sim::Record& record = sim::Recorded();
  EXPECT_EQ(record.LiveComObjects, 0);
  EXPECT_EQ(record.LiveBstrs, 0);
  EXPECT_EQ(record.LiveVariants, 0);
  EXPECT_TRUE(record.Misuses.empty());
  EXPECT_EQ(Releases(), (std::vector<std::string>{"Release instance", "Release instance",
                                                  "Release instance", "Release enumerator",
                                                  "Release services", "Release locator"}));
  EXPECT_EQ(record.CreateInstanceArgs[0], "clsid-ok outer-null ctx=1 iid-ok");
  EXPECT_EQ(record.ConnectArgs[0],
            "ROOT\\CIMV2|user-null|password-null|locale-null|flags=0|authority-null|context-null");
  EXPECT_EQ(record.Queries[0], "WQL|select * from WIN32_DeviceMemoryAddress|flags=48|context-null");
  EXPECT_EQ(record.NextArgs.size(), 4u);  // three instances and the end
  EXPECT_EQ(record.NextArgs[0], "timeout=-1 count=1");
  EXPECT_EQ(record.GetArgs[0], "StartingAddress flags=0 type-null flavor-null");
  EXPECT_EQ(record.SecurityCalls[0].AuthServiceCount, -1);
  EXPECT_EQ(record.BlanketCalls[0].AuthnService, RPC_C_AUTHN_WINNT);
}

TEST(Wmi, ValueKindsAndMissingProperties) {
  sim::InstallHost(
      ParseHost("[wmi Win32_PhysicalMemory]\nCapacity = null\nMemoryType = 21\n"
                "[wmi Win32_PhysicalMemory]\nCapacity = ui8:5\n"));
  Connection c;
  ASSERT_EQ(Open(L"SELECT * FROM Win32_PhysicalMemory", &c), S_OK);
  EXPECT_EQ(ReadAll(c.Enumerator, L"MemoryType"),
            (std::vector<std::wstring>{L"i4:21", L"missing"}));
  Close(&c);
  ASSERT_EQ(Open(L"SELECT * FROM Win32_PhysicalMemory", &c), S_OK);
  EXPECT_EQ(ReadAll(c.Enumerator, L"Capacity"), (std::vector<std::wstring>{L"null", L"ui8:5"}));
  Close(&c);
}

TEST(Wmi, BadNamespaceQueryOrClass) {
  sim::InstallHost(sim::DefaultHost());
  Connection c;
  ASSERT_EQ(Open(L"SELECT * FROM Win32_Processor", &c), WBEM_E_INVALID_CLASS);
  EXPECT_EQ(c.Enumerator, nullptr);
  Close(&c);
  c = Connection();
  ASSERT_EQ(Open(L"SELECT Capacity FROM Win32_PhysicalMemory", &c), WBEM_E_INVALID_QUERY);
  BSTR name = SysAllocString(L"ROOT\\DEFAULT");
  IWbemServices* services = nullptr;
  EXPECT_EQ(
      c.Locator->ConnectServer(name, nullptr, nullptr, nullptr, 0, nullptr, nullptr, &services),
      WBEM_E_INVALID_NAMESPACE);
  SysFreeString(name);
  Close(&c);
  EXPECT_EQ(sim::Recorded().LiveComObjects, 0);
}

TEST(Wmi, FailuresHitTheirSequenceOnlyAndCreateNothing) {
  sim::InstallHost(
      ParseHost("[failures]\nCoInitializeEx = 0x1\n[failures 2]\nExecQuery = 0x80041010\n"));
  Connection first;
  EXPECT_EQ(Open(L"SELECT * FROM Win32_PhysicalMemory", &first), S_OK);
  Close(&first);
  EXPECT_EQ(sim::Recorded().CoInitializeCalls, 1);
  Connection second;
  EXPECT_EQ(Open(L"SELECT * FROM Win32_PhysicalMemory", &second),
            static_cast<HRESULT>(0x80041010u));
  EXPECT_EQ(second.Enumerator, nullptr);
  EXPECT_EQ(sim::Recorded().LiveComObjects, 2);  // services and locator, no enumerator
  Close(&second);
  EXPECT_EQ(sim::Recorded().LiveComObjects, 0);
  EXPECT_TRUE(sim::Recorded().Misuses.empty());
}

TEST(Wmi, NextFailsAfterPlannedInstances) {
  sim::Host host = sim::DefaultHost();
  host.Failures["Next"] = sim::StepFailure{static_cast<int32_t>(WBEM_E_FAILED), 1};
  sim::InstallHost(host);
  Connection c;
  ASSERT_EQ(Open(L"SELECT * FROM Win32_DeviceMemoryAddress", &c), S_OK);
  EXPECT_EQ(ReadAll(c.Enumerator, L"StartingAddress"), std::vector<std::wstring>{L"655360"});
  IWbemClassObject* instance = nullptr;
  ULONG returned = 7;
  EXPECT_EQ(c.Enumerator->Next(WBEM_INFINITE, 1, &instance, &returned), WBEM_E_FAILED);
  EXPECT_EQ(returned, 0u);
  Close(&c);
}

TEST(Wmi, SecurityOncePerInitialisation) {
  sim::InstallHost(sim::DefaultHost());
  auto security = [] {
    return CoInitializeSecurity(nullptr, -1, nullptr, nullptr, 0, 3, nullptr, 0, nullptr);
  };
  EXPECT_EQ(security(), CO_E_NOTINITIALIZED);
  EXPECT_EQ(CoInitializeEx(nullptr, 0), S_OK);
  EXPECT_EQ(CoInitializeEx(nullptr, 0), S_FALSE);
  EXPECT_EQ(security(), S_OK);
  EXPECT_EQ(security(), RPC_E_TOO_LATE);
  CoUninitialize();
  EXPECT_EQ(security(), RPC_E_TOO_LATE);  // COM is still up once
  CoUninitialize();
  EXPECT_EQ(CoInitializeEx(nullptr, 0), S_OK);
  EXPECT_EQ(security(), S_OK);
  CoUninitialize();
  CoUninitialize();
  EXPECT_EQ(sim::Recorded().Misuses,
            std::vector<std::string>{"CoUninitialize without CoInitializeEx"});
}

TEST(Wmi, MisusesAreRecorded) {
  sim::InstallHost(sim::DefaultHost());
  Connection c;
  ASSERT_EQ(Open(L"SELECT * FROM Win32_PhysicalMemory", &c), S_OK);
  CoUninitialize();
  c.Enumerator->Release();
  EXPECT_EQ(c.Enumerator->Release(), 0u);
  wchar_t plain[] = L"WQL";
  SysFreeString(plain);
  EXPECT_EQ(sim::Recorded().Misuses,
            (std::vector<std::string>{"Release enumerator after CoUninitialize",
                                      "Release on a destroyed enumerator",
                                      "SysFreeString of a text that is not a live BSTR"}));
  EXPECT_EQ(sim::Recorded().LiveComObjects, 2);
}

TEST(OleStrings, AllocationFailsAfterPlannedCallsInEachSequence) {
  sim::InstallHost(ParseHost("[failures]\nSysAllocString = fail after 1\n"));
  for (int sequence = 0; sequence < 2; ++sequence) {
    CoInitializeEx(nullptr, 0);
    BSTR first = SysAllocString(L"ab");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(reinterpret_cast<const uint32_t*>(first)[-1], 2 * sizeof(OLECHAR));
    EXPECT_EQ(SysAllocString(L"cd"), nullptr);
    EXPECT_EQ(sim::Recorded().LiveBstrs, 1);
    SysFreeString(first);
    SysFreeString(nullptr);
    CoUninitialize();
  }
  EXPECT_EQ(sim::Recorded().LiveBstrs, 0);
  EXPECT_TRUE(sim::Recorded().Misuses.empty());
}

}  // namespace
