#include "probes/driver_settings.h"

#include <gtest/gtest.h>

#include "probes/os_version.h"
#include "tests/hosted/sim_fixture.h"

namespace {

struct RegistryCase {
  const char* Name;
  const char* Registry;  // nullptr: no key at all
  uint32_t Start;
  uint32_t Size;
};

const RegistryCase Cases[] = {
    {"NoKey", nullptr, 0, 0},
    {"AccessDenied",
     "Access = denied\nHighMemoryAreaReservedStart = dword:d0000000\n"
     "HighMemoryAreaReservedSize = dword:10000000\n",
     0, 0},
    {"EmptyKey", "", 0, 0},
    {"StartOnly", "HighMemoryAreaReservedStart = dword:d0000000\n", 0xD0000000, 0},
    {"SizeOnly", "HighMemoryAreaReservedSize = dword:10000000\n", 0, 0x10000000},
    {"Both",
     "HighMemoryAreaReservedStart = dword:d0000000\nHighMemoryAreaReservedSize = dword:10000000\n",
     0xD0000000, 0x10000000},
    {"FullUnsigned", "HighMemoryAreaReservedStart = dword:ffffffff\n", 0xFFFFFFFF, 0},
    // Data of another type but at most 4 bytes are taken byte for byte, little-endian.
    {"ShortBinary", "HighMemoryAreaReservedStart = binary:34 12\n", 0x1234, 0},
    {"FourByteBinary", "HighMemoryAreaReservedSize = binary:00 00 00 10\n", 0, 0x10000000},
    {"ShortString", "HighMemoryAreaReservedStart = string:a\n", 0x61, 0},
    // Longer data do not fit: 0, whatever the buffer was left holding.
    {"Qword", "HighMemoryAreaReservedStart = qword:c0000000\n", 0, 0},
    {"LongBinary", "HighMemoryAreaReservedStart = binary:00 00 00 c0 00\n", 0, 0},
    {"LongString", "HighMemoryAreaReservedStart = string:3221225472\n", 0, 0},
};

void PrintTo(const RegistryCase& c, std::ostream* out) { *out << c.Name; }

class DriverSettings : public testing::TestWithParam<RegistryCase> {};

TEST_P(DriverSettings, ValueKinds) {
  const RegistryCase& c = GetParam();
  InstallHostText(c.Registry ? std::string("[registry]\n") + c.Registry : std::string());
  ReservedArea area = ReadReservedArea();
  EXPECT_EQ(area.Start, c.Start);
  EXPECT_EQ(area.Size, c.Size);
  EXPECT_EQ(sim::Recorded().OpenKeys, 0);
}

INSTANTIATE_TEST_SUITE_P(Registry, DriverSettings, testing::ValuesIn(Cases),
                         [](const testing::TestParamInfo<RegistryCase>& info) {
                           return std::string(info.param.Name);
                         });

TEST(DriverSettings, EachValueOpensTheKeyForReadingOnly) {
  InstallHostText(
      "[registry]\nHighMemoryAreaReservedStart = dword:d0000000\n"
      "HighMemoryAreaReservedSize = dword:10000000\n");
  ReadReservedArea();
  const sim::Record& record = sim::Recorded();
  const std::string open =
      "SYSTEM\\CurrentControlSet\\Services\\Tessiv0\\Parameters options=0 access=0x20019";
  EXPECT_EQ(record.RegistryOpens, (std::vector<std::string>{open, open}));
  EXPECT_EQ(record.RegistryQueries,
            (std::vector<std::string>{"HighMemoryAreaReservedStart reserved-null type-null len=4",
                                      "HighMemoryAreaReservedSize reserved-null type-null len=4"}));
  EXPECT_EQ(record.Events,
            (std::vector<std::string>{"RegOpenKeyExW", "RegQueryValueExW", "RegCloseKey",
                                      "RegOpenKeyExW", "RegQueryValueExW", "RegCloseKey"}));
}

TEST(OsVersion, MajorVersionOrZero) {
  InstallHostText("[os]\nMajorVersion = 5\n");
  EXPECT_EQ(QueryOsMajorVersion(), 5u);
  EXPECT_EQ(sim::Recorded().VersionRecordSizes, std::vector<DWORD>{284});
  InstallHostText("[os]\nMajorVersion = 6\n");
  EXPECT_EQ(QueryOsMajorVersion(), 6u);
  InstallHostText("[os]\nMajorVersion = 6\nGetVersionExW = fail\n");
  EXPECT_EQ(QueryOsMajorVersion(), 0u);
}

}  // namespace
