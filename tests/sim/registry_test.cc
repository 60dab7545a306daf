// The registry and version calls of the simulated host.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/sim/sim_host.h"

namespace {

const wchar_t kKey[] = L"SYSTEM\\CurrentControlSet\\Services\\Tessiv0\\Parameters";

sim::Host HostWithValue(const std::vector<BYTE>& data, DWORD type) {
  sim::Host host;
  host.KeyExists = true;
  host.Values["HighMemoryAreaReservedStart"] = sim::RegistryValue{type, data};
  return host;
}

struct QueryCase {
  const char* Name;
  std::vector<BYTE> Data;
  DWORD Type;
  LONG Result;
  DWORD Length;              // after the call
  std::vector<BYTE> Buffer;  // the 4-byte buffer after the call
};

class RegistryQuery : public testing::TestWithParam<QueryCase> {};

TEST_P(RegistryQuery, FillsTheBufferAsWindowsMight) {
  const QueryCase& c = GetParam();
  sim::InstallHost(HostWithValue(c.Data, c.Type));
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, KEY_READ, &key), ERROR_SUCCESS);
  BYTE buffer[4] = {0, 0, 0, 0};
  DWORD length = 4, type = 99;
  EXPECT_EQ(RegQueryValueExW(key, L"highmemoryareareservedstart", nullptr, &type, buffer, &length),
            c.Result);
  EXPECT_EQ(length, c.Length);
  EXPECT_EQ(std::vector<BYTE>(buffer, buffer + 4), c.Buffer);
  EXPECT_EQ(type, c.Type);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(sim::Recorded().OpenKeys, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, RegistryQuery,
    testing::Values(
        QueryCase{"dword",
                  {0x00, 0x00, 0x00, 0xD0},
                  REG_DWORD,
                  ERROR_SUCCESS,
                  4,
                  {0x00, 0x00, 0x00, 0xD0}},
        QueryCase{"short binary", {0x34, 0x12}, REG_BINARY, ERROR_SUCCESS, 2, {0x34, 0x12, 0, 0}},
        QueryCase{"qword", {1, 2, 3, 4, 5, 6, 7, 8}, REG_QWORD, ERROR_MORE_DATA, 8, {1, 2, 3, 4}},
        QueryCase{"string", {'a', 0, 0, 0}, REG_SZ, ERROR_SUCCESS, 4, {'a', 0, 0, 0}}),
    [](const testing::TestParamInfo<QueryCase>& info) {
      std::string name = info.param.Name;
      for (char& c : name) c = c == ' ' ? '_' : c;
      return name;
    });

TEST(Registry, MissingValueAndRecordOfTheCalls) {
  sim::InstallHost(HostWithValue({1, 0, 0, 0}, REG_DWORD));
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, KEY_READ, &key), ERROR_SUCCESS);
  BYTE buffer[4] = {7, 7, 7, 7};
  DWORD length = 4;
  EXPECT_EQ(RegQueryValueExW(key, L"HighMemoryAreaReservedSize", nullptr, nullptr, buffer, &length),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(buffer[0], 7);
  EXPECT_EQ(sim::Recorded().OpenKeys, 1);
  RegCloseKey(key);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);  // closed twice
  const sim::Record& record = sim::Recorded();
  EXPECT_EQ(record.RegistryOpens[0],
            "SYSTEM\\CurrentControlSet\\Services\\Tessiv0\\Parameters options=0 access=0x20019");
  EXPECT_EQ(record.RegistryQueries[0], "HighMemoryAreaReservedSize reserved-null type-null len=4");
  EXPECT_EQ(record.Misuses.size(), 1u);
}

TEST(Registry, KeyMissingOrDenied) {
  HKEY key = nullptr;
  sim::InstallHost(sim::Host());
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  sim::Host denied;
  denied.KeyExists = true;
  denied.AccessDenied = true;
  sim::InstallHost(denied);
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, KEY_READ, &key), ERROR_ACCESS_DENIED);
  sim::InstallHost(sim::DefaultHost());
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\Other", 0, KEY_READ, &key),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(sim::Recorded().OpenKeys, 0);
}

struct VersionCase {
  DWORD Size;
  bool Fails;  // the host's version query is planned to fail
  BOOL Result;
  DWORD Major;
};

class Version : public testing::TestWithParam<VersionCase> {};

TEST_P(Version, AcceptsOnlyTheTwoRecordSizes) {
  sim::Host host;
  host.MajorVersion = 6;
  host.VersionQueryFails = GetParam().Fails;
  sim::InstallHost(host);
  OSVERSIONINFOEXW info;
  std::memset(&info, 0xAB, sizeof info);
  info.dwOSVersionInfoSize = GetParam().Size;
  EXPECT_EQ(GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info)), GetParam().Result);
  if (GetParam().Result) {
    EXPECT_EQ(info.dwPlatformId, 2u);
  }
  if (GetParam().Result || GetParam().Fails) {
    EXPECT_EQ(info.dwMajorVersion, GetParam().Major);
  }
  EXPECT_EQ(info.dwOSVersionInfoSize, GetParam().Size);
  EXPECT_EQ(sim::Recorded().VersionRecordSizes, std::vector<DWORD>{GetParam().Size});
}

INSTANTIATE_TEST_SUITE_P(Sizes, Version,
                         testing::Values(VersionCase{284, false, TRUE, 6},
                                         VersionCase{276, false, TRUE, 6},
                                         VersionCase{280, false, FALSE, 0},
                                         VersionCase{284, true, FALSE, 0}));

}  // namespace
