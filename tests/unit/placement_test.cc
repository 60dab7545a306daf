#include "checker/placement.h"

#include <gtest/gtest.h>

#include "tests/unit/capture.h"

namespace {

const uint64_t MB = 1ull << 20;
const uint64_t MachineA = 2048 * MB;
const uint64_t MachineB = 4096 * MB;
const uint64_t Pci = 0xE0000000;

struct PlacementCase {
  const char* Name;
  uint64_t Installed;
  uint64_t Pci;
  uint32_t Start;
  uint32_t Size;
  uint32_t Os;
  bool OnlyIfOverlap;
  PlacementVerdict Verdict;
  CheckResult Result;
  bool Advisable;
  uint32_t DmaSizeMb, RamSizeMb, NewStart;  // checked when Advisable
  const char* Message;                      // what follows the body's blank line
};

const char Wasted256[] = "Kelvor Tessiv is not optimally configured; 256 MB of memory is wasted.\n";
const char OverlapText[] =
    "Kelvor Tessiv memory overlaps the PCI address space. This could cause a memory corruption "
    "and PC instability.\n\n";
#define MORE_THAN(mb)                                                                           \
  "Kelvor Tessiv is using more memory then is available on the PC.\nThis could cause a memory " \
  "corruption and PC instability.\nTessiv memory will be reduced to " mb "MB."

const PlacementCase Cases[] = {
    // The worked examples.
    {"A_Acceptable", MachineA, Pci, 0x70000000, 256 * MB, 5, false, PlacementVerdict::Acceptable, 0,
     false, 0, 0, 0, ""},
    {"A_Overlap", MachineA, Pci, 0xD8000000, 256 * MB, 5, false, PlacementVerdict::Overlap, -1,
     true, 256, 2048, 0x70000000, OverlapText},
    {"A_MoreThanAvailable", MachineA, Pci, 0x10000000, 1984 * MB, 5, false,
     PlacementVerdict::MoreThanAvailable, -2, true, 1952, 2048, 0x6000000, MORE_THAN("1952")},
    {"B_Optimal", MachineB, Pci, 0xD0000000, 256 * MB, 5, false, PlacementVerdict::Optimal, 0,
     false, 0, 0, 0, "Kelvor Tessiv is optimally configured.\n"},
    {"B_Wasted", MachineB, Pci, 0xC0000000, 256 * MB, 5, false, PlacementVerdict::MemoryWasted, 256,
     true, 256, 3584, 0xD0000000, Wasted256},
    {"B_GapOf1MB", MachineB, Pci, 0xCFF00000, 256 * MB, 5, false, PlacementVerdict::Acceptable, 0,
     false, 0, 0, 0, ""},
    {"B_GapOf2MB", MachineB, Pci, 0xCFE00000, 256 * MB, 5, false, PlacementVerdict::MemoryWasted, 2,
     true, 256, 3584, 0xD0000000,
     "Kelvor Tessiv is not optimally configured; 2 MB of memory is wasted.\n"},
    {"B_MoreThanAvailableByPci", MachineB, Pci, 0x20000000, 3520 * MB, 5, false,
     PlacementVerdict::MoreThanAvailable, -2, true, 3488, 3584, 0x6000000, MORE_THAN("3488")},
    {"B_OverlapAbove4GB", MachineB, Pci, 0xF0000000, 512 * MB, 5, false, PlacementVerdict::Overlap,
     -1, true, 512, 3584, 0xC0000000, OverlapText},
    // Early stops, and their order.
    {"NotInstalled", MachineB, Pci, 0, 256 * MB, 5, false, PlacementVerdict::NotInstalled, -3,
     false, 0, 0, 0, "Kelvor Tessiv is not installed.\n"},
    {"NotInstalledBeforeVersion", MachineB, Pci, 0, 0, 6, false, PlacementVerdict::NotInstalled, -3,
     false, 0, 0, 0, "Kelvor Tessiv is not installed.\n"},
    {"ZeroSize", MachineB, Pci, 0xC0000000, 0, 5, false, PlacementVerdict::ZeroSize, -5, false, 0,
     0, 0, "Kelvor Tessiv is installed with 0 MB of non-paged memory.\n"},
    {"UnsupportedSystem", MachineB, Pci, 0xC0000000, 256 * MB, 6, false,
     PlacementVerdict::UnsupportedSystem, -4, false, 0, 0, 0,
     "This program is only supported on Microsoft Windows XP, 32-bit edition.\n"},
    {"VersionQueryFailedIsJudged", MachineB, Pci, 0xC0000000, 256 * MB, 0, false,
     PlacementVerdict::MemoryWasted, 256, true, 256, 3584, 0xD0000000, Wasted256},
    // Rule edges.
    {"SizeBelow1MBIsNotZero", MachineB, Pci, 0xDFF00001, 0xFFFFF, 5, false,
     PlacementVerdict::Optimal, 0, false, 0, 0, 0, "Kelvor Tessiv is optimally configured.\n"},
    {"GapJustBelow2MB", MachineB, Pci, 0xC0000000, 0x1FE00001, 5, false,
     PlacementVerdict::Acceptable, 0, false, 0, 0, 0, ""},
    {"WastedWhenInstalledEqualsPci", Pci, Pci, 0xC0000000, 0x0D400000, 5, false,
     PlacementVerdict::MemoryWasted, 300, true, 212, 3584, 0xD2C00000,
     "Kelvor Tessiv is not optimally configured; 300 MB of memory is wasted.\n"},
    {"NoWasteBelowPci", Pci - 1, Pci, 0xC0000000, 0x0D400000, 5, false,
     PlacementVerdict::Acceptable, 0, false, 0, 0, 0, ""},
    {"WastedButOnlyIfOverlap", MachineB, Pci, 0xC0000000, 256 * MB, 5, true,
     PlacementVerdict::MemoryWasted, 256, false, 0, 0, 0, Wasted256},
    {"Rule5EdgeExact", MachineA, Pci, 0x10000000, 0x7A000000, 5, false,
     PlacementVerdict::Acceptable, 0, false, 0, 0, 0, ""},
    {"Rule5EdgeOver", MachineA, Pci, 0x10000000, 0x7A000001, 5, false,
     PlacementVerdict::MoreThanAvailable, -2, true, 1952, 2048, 0x6000000, MORE_THAN("1952")},
    {"Rule6EdgeExact", MachineB, Pci, 0x10000000, 0xDA000000, 5, false, PlacementVerdict::Overlap,
     -1, true, 3488, 3584, 0x6000000, OverlapText},
    {"Rule6EdgeOver", MachineB, Pci, 0x10000000, 0xDA000001, 5, false,
     PlacementVerdict::MoreThanAvailable, -2, true, 3488, 3584, 0x6000000, MORE_THAN("3488")},
    {"AreaLargerThanPci", 8192 * MB, Pci, 0x10000000, 0xF0000000, 5, false,
     PlacementVerdict::Overlap, -1, true, 3840, 3584, 0xF0000000, OverlapText},
    {"SizeNotWholeMB", MachineB, Pci, 0xC0000000, 0x100FFFFF, 5, false,
     PlacementVerdict::MemoryWasted, 255, true, 256, 3584, 0xCFF00001,
     "Kelvor Tessiv is not optimally configured; 255 MB of memory is wasted.\n"},
    {"NoModuleCountedOverlap", 0, Pci, 0xD8000000, 256 * MB, 5, false, PlacementVerdict::Overlap,
     -1, true, 256, 0, 0xF0000000, OverlapText},
    // A waste too large for the result is the largest positive result, not a wrapped one.
    {"WasteBeyond32BitsOfResult", 0x10000020100000, 0x10000020100000, 0x10000000, 0x10000000, 5,
     false, PlacementVerdict::MemoryWasted, INT32_MAX, true, 256, 513, 0x10100000,
     "Kelvor Tessiv is not optimally configured; 4294967297 MB of memory is wasted.\n"},
    // Probe failure values.
    {"InstalledMemoryProbeFailed", 1, Pci, 0xC0000000, 256 * MB, 5, false,
     PlacementVerdict::MoreThanAvailable, -2, true, 4294967200u, 0, 0x5FFFFFF,
     MORE_THAN("17592186044320")},
    {"PciProbeFailed", MachineB, 1, 0xC0000000, 256 * MB, 5, false, PlacementVerdict::Overlap, -1,
     true, 256, 0, 0xF0000000, OverlapText},
    {"PciWindowNotFound", MachineB, UINT64_MAX, 0xC0000000, 256 * MB, 5, false,
     PlacementVerdict::Acceptable, 0, false, 0, 0, 0, ""},
    {"PciWindowNotFoundTooLarge", MachineA, UINT64_MAX, 0x10000000, 1984 * MB, 5, false,
     PlacementVerdict::MoreThanAvailable, -2, true, 1952, 2048, 0x6000000, MORE_THAN("1952")},
};

void PrintTo(const PlacementCase& c, std::ostream* out) { *out << c.Name; }

class PlacementTable : public testing::TestWithParam<PlacementCase> {};

TEST_P(PlacementTable, VerdictResultPlanAndMessage) {
  const PlacementCase& c = GetParam();
  RunOptions options;
  options.AutoUpdateOnlyIfOverlap = c.OnlyIfOverlap;
  ReservedArea area;
  area.Start = c.Start;
  area.Size = c.Size;
  PlacementOutcome outcome;
  std::string text = CaptureStandardOutput([&] {
    ReportStream report;
    outcome = AssessPlacement(c.Installed, c.Pci, area, c.Os, options, report);
    CloseReport(report);
  });
  EXPECT_EQ(outcome.Verdict, c.Verdict);
  EXPECT_EQ(outcome.Result, c.Result);
  EXPECT_EQ(outcome.UpdateAdvisable, c.Advisable);
  if (c.Advisable) {
    EXPECT_EQ(outcome.Plan.DmaSizeMb, c.DmaSizeMb);
    EXPECT_EQ(outcome.Plan.RamSizeMb, c.RamSizeMb);
    EXPECT_EQ(outcome.Plan.NewStartAddress, c.NewStart);
  }
  // The message follows the body's closing blank line, and nothing follows the message.
  const std::string bodyEnd = " MB)\r\n\r\n";
  size_t at = text.rfind(bodyEnd);
  ASSERT_NE(at, std::string::npos) << text;
  std::string expected;
  for (const char* p = c.Message; *p; ++p)
    expected += (*p == '\n') ? std::string("\r\n") : std::string(1, *p);
  EXPECT_EQ(text.substr(at + bodyEnd.size()), expected);
}

INSTANTIATE_TEST_SUITE_P(Placement, PlacementTable, testing::ValuesIn(Cases),
                         [](const testing::TestParamInfo<PlacementCase>& info) {
                           return std::string(info.param.Name);
                         });

std::string Body(uint64_t installed, uint64_t pci, uint32_t start, uint32_t size) {
  ReservedArea area;
  area.Start = start;
  area.Size = size;
  return CaptureStandardOutput([&] {
    ReportStream report;
    AssessPlacement(installed, pci, area, 5, RunOptions(), report);
    CloseReport(report);
  });
}

TEST(PlacementReport, MachineBWithWastedMemory) {
  EXPECT_EQ(Body(MachineB, Pci, 0xC0000000, 256 * MB),
            "Total physical memory:                 4096 MB\r\n"
            "Start address of Kelvor Tessiv memory: C0000000 (3072 MB)\r\n"
            "End address of Kelvor Tessiv memory:   D0000000 (3328 MB)\r\n"
            "Size of Kelvor Tessiv memory:          256 MB\r\n"
            "Start address of PCI address space:    E0000000 (3584 MB)\r\n"
            "\r\n"
            "Kelvor Tessiv is not optimally configured; 256 MB of memory is wasted.\r\n");
}

TEST(PlacementReport, MachineAWithTooLargeArea) {
  EXPECT_EQ(Body(MachineA, Pci, 0x10000000, 0x7C000000),
            "Total physical memory:                 2048 MB\r\n"
            "Start address of Kelvor Tessiv memory: 10000000 (256 MB)\r\n"
            "End address of Kelvor Tessiv memory:   8C000000 (2240 MB)\r\n"
            "Size of Kelvor Tessiv memory:          1984 MB\r\n"
            "Start address of PCI address space:    E0000000 (3584 MB)\r\n"
            "\r\n"
            "Kelvor Tessiv is using more memory then is available on the PC.\r\n"
            "This could cause a memory corruption and PC instability.\r\n"
            "Tessiv memory will be reduced to 1952MB.");
}

TEST(PlacementReport, SpecialValuesInTheBody) {
  // Not installed: the start reads 0 and the end is the size; no memory counted: "unknown";
  // the PCI window not found: all 64 bits.
  EXPECT_EQ(Body(0, UINT64_MAX, 0, 0x10000000),
            "Total physical memory:                 unknown\r\n"
            "Start address of Kelvor Tessiv memory: 0 (0 MB)\r\n"
            "End address of Kelvor Tessiv memory:   10000000 (256 MB)\r\n"
            "Size of Kelvor Tessiv memory:          256 MB\r\n"
            "Start address of PCI address space:    FFFFFFFFFFFFFFFF (17592186044415 MB)\r\n"
            "\r\n"
            "Kelvor Tessiv is not installed.\r\n");
  // The probes' failure value 1, and an end beyond 32 bits.
  std::string text = Body(1, 1, 0xF0000000, 0x20000000);
  EXPECT_NE(text.find("Total physical memory:                 0 MB\r\n"), std::string::npos);
  EXPECT_NE(text.find("End address of Kelvor Tessiv memory:   110000000 (4352 MB)\r\n"),
            std::string::npos);
  EXPECT_NE(text.find("Start address of PCI address space:    1 (0 MB)\r\n"), std::string::npos);
}

TEST(PlacementReport, StreamLeftInDecimalWithUpperCaseDigits) {
  ReportStream report;
  DiscardReport(report);
  AssessPlacement(MachineB, Pci, ReservedArea{0xC0000000, 0x10000000}, 5, RunOptions(), report);
  EXPECT_EQ(report.Base, NumberBase::Decimal);
  EXPECT_TRUE(report.UpperCaseHex);
}

}  // namespace
