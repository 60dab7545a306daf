#include <gtest/gtest.h>

#include "probes/installed_memory_probe.h"
#include "probes/pci_window_probe.h"
#include "probes/wmi_connection.h"
#include "tests/hosted/sim_fixture.h"
#include "tests/unit/capture.h"

namespace {

std::string Devices(std::vector<std::string> values) {
  std::string text;
  for (const std::string& value : values) {
    text += "[wmi Win32_DeviceMemoryAddress]\n";
    if (!value.empty()) text += "StartingAddress = " + value + "\n";
  }
  return text;
}

struct PciCase {
  std::vector<std::string> Addresses;  // "" : an instance without the property
  std::string Extra;
  uint64_t Expected;
};

const PciCase PciCases[] = {
    {{"655360", "3758096384", "4273995776"}, "", 0xE0000000},
    {{"4273995776", "655360", "3758096384"}, "", 0xE0000000},  // order does not matter
    {{"16777216"}, "", PciWindowNotFound},                     // the floor itself is passed over
    {{"16777217"}, "", 0x1000001},
    {{"655360", "4294967296"}, "", 0x100000000},  // 4 GB and above qualifies
    {{"4294967297", "655360"}, "", 0x100000001},  // low 32 bits below the floor: still counts
    {{}, "", PciWindowNotFound},
    {{"null", "3758096384"}, "", 0xE0000000},
    {{"string:12x", "", "3758096384"}, "", 0xE0000000},
    {{"string: 3221225472 ", "3758096384"}, "", 0xC0000000},  // text is converted
    {{"i4:-1", "3758096384"}, "", 0xE0000000},                // does not convert to unsigned
    {{"ui8:3221225472"}, "", 0xC0000000},
    // A failing enumeration ends the search with what was found so far.
    {{"4273995776", "3758096384"}, "[failures]\nNext = 0x80041006 after 1\n", 0xFEC00000},
    {{"4273995776"}, "[failures]\nNext = 0x80041006\n", PciWindowNotFound},
};

void PrintTo(const PciCase& c, std::ostream* out) {
  for (const std::string& address : c.Addresses) *out << '[' << address << ']';
  *out << testing::PrintToString(c.Extra);
}

class PciWindowProbe : public testing::TestWithParam<PciCase> {};

TEST_P(PciWindowProbe, LowestAddressAboveTheFloor) {
  const PciCase& c = GetParam();
  InstallHostText(Devices(c.Addresses) + c.Extra);
  uint64_t result = 0;
  EXPECT_EQ(CaptureStandardOutput([&] { result = QueryPciWindowStart(); }), "");
  EXPECT_EQ(result, c.Expected);
  EXPECT_EQ(sim::Recorded().LiveComObjects, 0);
  EXPECT_EQ(sim::Recorded().LiveBstrs, 0);
}

INSTANTIATE_TEST_SUITE_P(Table, PciWindowProbe, testing::ValuesIn(PciCases));

TEST(MemoryTypeFilter, CountedTypes) {
  for (uint32_t type = 0; type < 40; ++type) {
    bool counted = type < 3 || (type > 16 && type != 18);
    EXPECT_EQ(IsCountedMemoryType(type), counted) << type;
  }
  EXPECT_TRUE(IsCountedMemoryType(0xFFFFFFFFu));
}

struct Module {
  std::string Capacity;  // "" : not listed
  std::string Type;      // "" : not listed
};

struct MemoryCase {
  std::vector<Module> Modules;
  uint64_t Expected;
};

const uint64_t GB = 1ull << 30;

const MemoryCase MemoryCases[] = {
    {{}, 0},
    {{{"1073741824", "20"}, {"1073741824", "20"}}, 2 * GB},
    {{{"2147483648", "21"}, {"2147483648", "21"}, {"2147483648", "21"}, {"2147483648", "21"}},
     8 * GB},
    {{{"1073741824", "3"}, {"1073741824", "18"}, {"1073741824", "9"}}, 0},
    {{{"1", "0"}, {"2", "2"}, {"4", "17"}, {"8", "19"}, {"16", "20"}, {"32", "21"}, {"64", "24"}},
     127},
    {{{"null", "21"}, {"1073741824", "21"}}, GB},
    {{{"string:lots", "21"}, {"", "21"}, {"1073741824", "21"}}, GB},
    // A type that is null or cannot be read counts as 0, Unknown, which is counted.
    {{{"1073741824", "null"}, {"1073741824", ""}}, 2 * GB},
    // A type delivered as text is converted first.
    {{{"1073741824", "string:18"}, {"1073741824", "string:21"}}, GB},
};

void PrintTo(const MemoryCase& c, std::ostream* out) {
  for (const Module& module : c.Modules)
    *out << '[' << module.Capacity << ' ' << module.Type << ']';
}

class InstalledMemoryProbe : public testing::TestWithParam<MemoryCase> {};

TEST_P(InstalledMemoryProbe, SumOfCountedModules) {
  std::string text;
  for (const Module& module : GetParam().Modules) {
    text += "[wmi Win32_PhysicalMemory]\n";
    if (!module.Capacity.empty()) text += "Capacity = " + module.Capacity + "\n";
    if (!module.Type.empty()) text += "MemoryType = " + module.Type + "\n";
  }
  InstallHostText(text);
  uint64_t result = 0;
  EXPECT_EQ(CaptureStandardOutput([&] { result = QueryInstalledMemory(); }), "");
  EXPECT_EQ(result, GetParam().Expected);
  EXPECT_EQ(sim::Recorded().LiveComObjects, 0);
  EXPECT_EQ(sim::Recorded().LiveBstrs, 0);
}

INSTANTIATE_TEST_SUITE_P(Table, InstalledMemoryProbe, testing::ValuesIn(MemoryCases));

TEST(InstalledMemoryProbe, PropertiesReadAndConverted) {
  InstallHostText("[wmi Win32_PhysicalMemory]\nCapacity = 1073741824\nMemoryType = 21\n");
  CaptureStandardOutput([] { QueryInstalledMemory(); });
  const sim::Record& record = sim::Recorded();
  EXPECT_EQ(record.GetArgs, (std::vector<std::string>{"Capacity flags=0 type-null flavor-null",
                                                      "MemoryType flags=0 type-null flavor-null"}));
  EXPECT_EQ(record.ChangeTypeArgs, std::vector<std::string>{"flags=0 vt=21"});
}

}  // namespace
