// The driver's registry values read through the real registry: each case writes the
// Parameters key as it stands on a machine, then reads the reserved area back.
#include "probes/driver_settings.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/win32.h"

namespace {

const wchar_t ServiceKey[] = L"SYSTEM\\CurrentControlSet\\Services\\Tessiv0";

struct StoredValue {
  bool Present;
  DWORD Type;
  std::vector<BYTE> Data;
};

const StoredValue Missing = {false, REG_NONE, {}};

StoredValue Dword(DWORD value) {
  return {true, REG_DWORD, {BYTE(value), BYTE(value >> 8), BYTE(value >> 16), BYTE(value >> 24)}};
}

StoredValue Binary(std::vector<BYTE> data) { return {true, REG_BINARY, data}; }

// Removes the whole service key: RegDeleteKeyW removes only keys without subkeys.
void RemoveServiceKey() {
  RegDeleteKeyW(HKEY_LOCAL_MACHINE, DriverParametersKey);
  RegDeleteKeyW(HKEY_LOCAL_MACHINE, ServiceKey);
}

void WriteValue(HKEY key, const wchar_t* name, const StoredValue& value) {
  if (!value.Present) return;
  ASSERT_EQ(ERROR_SUCCESS,
            RegSetValueExW(key, name, 0, value.Type, value.Data.data(), DWORD(value.Data.size())));
}

struct RegistryCase {
  const char* Name;
  bool KeyExists;
  StoredValue Start;
  StoredValue Size;
  uint32_t ExpectedStart;
  uint32_t ExpectedSize;
};

class DriverSettingsTest : public testing::TestWithParam<RegistryCase> {
 protected:
  void SetUp() override { RemoveServiceKey(); }
  void TearDown() override { RemoveServiceKey(); }
};

TEST_P(DriverSettingsTest, ReadsTheAreaAsStored) {
  const RegistryCase& c = GetParam();
  if (c.KeyExists) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, DriverParametersKey, 0, nullptr, 0,
                                             KEY_WRITE, nullptr, &key, nullptr));
    WriteValue(key, L"HighMemoryAreaReservedStart", c.Start);
    WriteValue(key, L"HighMemoryAreaReservedSize", c.Size);
    RegCloseKey(key);
  }

  ReservedArea area = ReadReservedArea();

  EXPECT_EQ(c.ExpectedStart, area.Start);
  EXPECT_EQ(c.ExpectedSize, area.Size);
}

const RegistryCase Cases[] = {
    {"NoServiceKey", false, Missing, Missing, 0, 0},
    {"EmptyKey", true, Missing, Missing, 0, 0},
    {"OnlyStart", true, Dword(0xD0000000), Missing, 0xD0000000, 0},
    {"OnlySize", true, Missing, Dword(0x10000000), 0, 0x10000000},
    {"Both", true, Dword(0xD0000000), Dword(0x10000000), 0xD0000000, 0x10000000},
    {"LargestStartWithoutSign", true, Dword(0xFFFFFFFF), Dword(1), 0xFFFFFFFF, 1},
    // Shorter data are taken byte for byte; the bytes they do not cover stay 0.
    {"TwoBinaryBytes", true, Binary({0x34, 0x12}), Binary({0x01}), 0x1234, 0x01},
    // Data that do not fit the 4-byte buffer count as 0; the other value is read as usual.
    {"LongerThanFourBytes", true, Binary({1, 2, 3, 4, 5, 6, 7, 8}), Dword(0x10000000), 0,
     0x10000000},
};

INSTANTIATE_TEST_SUITE_P(Registry, DriverSettingsTest, testing::ValuesIn(Cases),
                         [](const testing::TestParamInfo<RegistryCase>& info) {
                           return std::string(info.param.Name);
                         });

}  // namespace
