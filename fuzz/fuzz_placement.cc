// The placement assessment over any four facts, OS version and AutoUpdateOnlyIfOverlap. The
// report goes to a log file, which is read back and compared line by line with what the
// report must say; the outcome is compared with the decision list.
#include <stdlib.h>
#include <unistd.h>

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "checker/placement.h"
#include "fuzz/property.h"
#include "platform/sim/sim_host.h"

namespace {

const uint64_t kMb = 1 << 20;

// Takes fixed-size little-endian numbers from the input; missing bytes read as 0.
struct Bytes {
  const uint8_t* Data;
  size_t Size;
  size_t Position = 0;
};

uint64_t Take(Bytes& bytes, size_t count) {
  uint64_t value = 0;
  for (size_t i = 0; i < count; ++i) {
    uint64_t byte = bytes.Position < bytes.Size ? bytes.Data[bytes.Position] : 0;
    ++bytes.Position;
    value |= byte << (8 * i);
  }
  return value;
}

struct Facts {
  uint64_t Installed = 0;
  uint64_t Pci = 0;
  ReservedArea Area;
  uint32_t Os = 0;
  RunOptions Options;
};

// The first byte says how the rest is read: P as an offset from the area's end and I as an
// offset from P, so that the edges between the rules are reached, or both as they are.
Facts Decode(const uint8_t* data, size_t size) {
  Bytes bytes{data, size};
  const uint64_t mode = Take(bytes, 1);
  Facts facts;
  facts.Area.Start = static_cast<uint32_t>(Take(bytes, 4));
  facts.Area.Size = static_cast<uint32_t>(Take(bytes, 4));
  const uint64_t end = static_cast<uint64_t>(facts.Area.Start) + facts.Area.Size;
  if (mode & 1) {
    facts.Pci =
        end + static_cast<uint64_t>(static_cast<int64_t>(static_cast<int32_t>(Take(bytes, 4))));
  } else {
    facts.Pci = Take(bytes, 8);
  }
  if (mode & 2) {
    facts.Installed = facts.Pci + static_cast<uint64_t>(
                                      static_cast<int64_t>(static_cast<int32_t>(Take(bytes, 4))));
  } else {
    facts.Installed = Take(bytes, 8);
  }
  facts.Os = (mode & 4) ? static_cast<uint32_t>(Take(bytes, 1) % 8)
                        : static_cast<uint32_t>(Take(bytes, 4));
  facts.Options.AutoUpdateOnlyIfOverlap = (mode & 8) != 0;
  return facts;
}

// The decision list, rule by rule.
struct Decision {
  PlacementVerdict Verdict;
  uint64_t WastedMb = 0;
  uint64_t ReducedSize = 0;
};

Decision Decide(const Facts& f) {
  const uint64_t I = f.Installed, P = f.Pci, S = f.Area.Start, Z = f.Area.Size;
  const uint64_t E = S + Z, M = 96 * kMb;
  if (S == 0) return {PlacementVerdict::NotInstalled};
  if (Z == 0) return {PlacementVerdict::ZeroSize};
  if (f.Os > 5) return {PlacementVerdict::UnsupportedSystem};
  if (I != 0 && I >= P && P > E) {
    const uint64_t wasted = (P - E) >> 20;
    if (wasted >= 2) return {PlacementVerdict::MemoryWasted, wasted};
    return {PlacementVerdict::Acceptable};
  }
  if (I != 0 && Z + M > I) return {PlacementVerdict::MoreThanAvailable, 0, I - M};
  if (Z <= P && P - Z < M) return {PlacementVerdict::MoreThanAvailable, 0, P - M};
  if (P == E) return {PlacementVerdict::Optimal};
  if (P > E) return {PlacementVerdict::Acceptable};
  return {PlacementVerdict::Overlap};
}

std::string Hex(uint64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "%" PRIX64, value);
  return text;
}

std::string Decimal(uint64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "%" PRIu64, value);
  return text;
}

std::string Address(uint64_t value) { return Hex(value) + " (" + Decimal(value >> 20) + " MB)"; }

std::string Message(const Decision& d) {
  switch (d.Verdict) {
    case PlacementVerdict::NotInstalled:
      return "Kelvor Tessiv is not installed.\r\n";
    case PlacementVerdict::ZeroSize:
      return "Kelvor Tessiv is installed with 0 MB of non-paged memory.\r\n";
    case PlacementVerdict::UnsupportedSystem:
      return "This program is only supported on Microsoft Windows XP, 32-bit edition.\r\n";
    case PlacementVerdict::MemoryWasted:
      return "Kelvor Tessiv is not optimally configured; " + Decimal(d.WastedMb) +
             " MB of memory is wasted.\r\n";
    case PlacementVerdict::MoreThanAvailable:
      return "Kelvor Tessiv is using more memory then is available on the PC.\r\n"
             "This could cause a memory corruption and PC instability.\r\n"
             "Tessiv memory will be reduced to " +
             Decimal(d.ReducedSize >> 20) + "MB.";
    case PlacementVerdict::Optimal:
      return "Kelvor Tessiv is optimally configured.\r\n";
    case PlacementVerdict::Acceptable:
      return "";
    case PlacementVerdict::Overlap:
      return "Kelvor Tessiv memory overlaps the PCI address space. This could cause a memory "
             "corruption and PC instability.\r\n\r\n";
  }
  return "<no such verdict>";
}

CheckResult ResultOf(const Decision& d) {
  switch (d.Verdict) {
    case PlacementVerdict::NotInstalled:
      return -3;
    case PlacementVerdict::ZeroSize:
      return -5;
    case PlacementVerdict::UnsupportedSystem:
      return -4;
    case PlacementVerdict::MemoryWasted:
      return d.WastedMb > INT32_MAX ? INT32_MAX : static_cast<CheckResult>(d.WastedMb);
    case PlacementVerdict::MoreThanAvailable:
      return -2;
    case PlacementVerdict::Optimal:
    case PlacementVerdict::Acceptable:
      return 0;
    case PlacementVerdict::Overlap:
      return -1;
  }
  return 1;
}

bool AdvisableOf(const Decision& d, const RunOptions& options) {
  return (d.Verdict == PlacementVerdict::MemoryWasted && !options.AutoUpdateOnlyIfOverlap) ||
         d.Verdict == PlacementVerdict::MoreThanAvailable || d.Verdict == PlacementVerdict::Overlap;
}

// One labelled line at the head of `report`: the label padded to 39 characters, the value,
// CR LF. Consumes the line.
void CheckLine(std::string& report, const std::string& label, const std::string& value,
               const char* property) {
  std::string expected = label;
  expected.resize(39, ' ');
  expected += value + "\r\n";
  Require(report.compare(0, expected.size(), expected) == 0, property);
  report.erase(0, expected.size());
}

std::string folder;

void RemoveFolder() {
  unlink((folder + "/report.log").c_str());
  rmdir(folder.c_str());
}

// A folder of its own under TMPDIR (or /tmp), removed again when the process ends normally.
const std::string& LogPath() {
  static std::string path;
  if (path.empty()) {
    const char* temp = std::getenv("TMPDIR");
    std::string pattern =
        std::string(temp != nullptr && temp[0] != 0 ? temp : "/tmp") + "/fuzz_placement.XXXXXX";
    Require(mkdtemp(&pattern[0]) != nullptr, "a folder for the log file can be made");
    folder = pattern;
    std::atexit(RemoveFolder);
    path = folder + "/report.log";
  }
  return path;
}

std::string ReadAndRemove(const std::string& path) {
  std::string text;
  FILE* file = std::fopen(path.c_str(), "rb");
  Require(file != nullptr, "the log file holds the report");
  char chunk[4096];
  size_t count = 0;
  while ((count = std::fread(chunk, 1, sizeof chunk, file)) > 0) text.append(chunk, count);
  std::fclose(file);
  unlink(path.c_str());
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const Facts f = Decode(data, size);
  const Decision want = Decide(f);
  const uint64_t end = static_cast<uint64_t>(f.Area.Start) + f.Area.Size;

  // A fresh machine each time, so the simulated host's record does not grow run after run.
  sim::InstallHost(sim::DefaultHost());
  const std::string& path = LogPath();
  unlink(path.c_str());
  ReportStream report;
  RedirectReportToLogFile(report, path);
  Require(report.Sink == ReportSink::LogFile, "the report goes to the log file");
  const PlacementOutcome outcome =
      AssessPlacement(f.Installed, f.Pci, f.Area, f.Os, f.Options, report);
  Require(report.Base == NumberBase::Decimal, "the report is left in decimal");
  Require(report.UpperCaseHex, "upper-case hexadecimal digits stay selected");
  CloseReport(report);
  std::string text = ReadAndRemove(path);

  // The outcome.
  Require(outcome.Verdict == want.Verdict, "the verdict is the decision list's");
  Require((outcome.Verdict == PlacementVerdict::NotInstalled) == (f.Area.Start == 0),
          "NotInstalled exactly when S = 0");
  Require(
      (outcome.Verdict == PlacementVerdict::ZeroSize) == (f.Area.Start != 0 && f.Area.Size == 0),
      "ZeroSize exactly when S != 0 and Z = 0");
  Require((outcome.Verdict == PlacementVerdict::UnsupportedSystem) ==
              (f.Area.Start != 0 && f.Area.Size != 0 && f.Os > 5),
          "UnsupportedSystem exactly when S != 0, Z != 0 and the version is above 5");
  Require(IsEarlyStop(outcome.Verdict) == (f.Area.Start == 0 || f.Area.Size == 0 || f.Os > 5),
          "an early stop exactly when S = 0, Z = 0 or the version is above 5");
  Require(outcome.Result == ResultOf(want), "the CheckResult is the verdict's");
  Require(outcome.Verdict != PlacementVerdict::MemoryWasted || want.WastedMb >= 2,
          "MemoryWasted only for 2 MB or more");
  Require(outcome.UpdateAdvisable == AdvisableOf(want, f.Options),
          "UpdateAdvisable as the verdict says");

  const PlacementJudgement judged = JudgePlacement(f.Installed, f.Pci, f.Area, f.Os, f.Options);
  Require(judged.Outcome.Verdict == outcome.Verdict && judged.Outcome.Result == outcome.Result &&
              judged.Outcome.UpdateAdvisable == outcome.UpdateAdvisable,
          "JudgePlacement and AssessPlacement agree");

  if (outcome.UpdateAdvisable) {
    const bool reduced = want.Verdict == PlacementVerdict::MoreThanAvailable;
    const uint64_t installedMb = f.Installed >> 20, pciMb = f.Pci >> 20;
    const uint32_t ramMb = static_cast<uint32_t>(installedMb < pciMb ? installedMb : pciMb);
    const uint32_t sizeBytes = reduced ? static_cast<uint32_t>(want.ReducedSize) : f.Area.Size;
    const uint32_t dmaMb = reduced ? static_cast<uint32_t>(want.ReducedSize >> 20)
                                   : static_cast<uint32_t>(f.Area.Size >> 20);
    Require(outcome.Plan.DmaSizeMb == dmaMb, "DmaSizeMb is the area's new size in MB");
    Require(outcome.Plan.RamSizeMb == ramMb, "RamSizeMb is the smaller of I and P in MB");
    Require(outcome.Plan.NewStartAddress == static_cast<uint32_t>(ramMb * kMb) - sizeBytes,
            "the new area ends at the RAM limit");
  }

  // The report: five labelled lines, a blank line, then the verdict's message and nothing else.
  CheckLine(text, "Total physical memory:",
            f.Installed != 0 ? Decimal(f.Installed >> 20) + " MB" : "unknown",
            "line 1: installed memory, value in column 40, CR LF");
  CheckLine(text, "Start address of Kelvor Tessiv memory:", Address(f.Area.Start),
            "line 2: area start, value in column 40, CR LF");
  CheckLine(text, "End address of Kelvor Tessiv memory:", Address(end),
            "line 3: 64-bit area end, value in column 40, CR LF");
  CheckLine(text, "Size of Kelvor Tessiv memory:", Decimal(f.Area.Size >> 20) + " MB",
            "line 4: area size, value in column 40, CR LF");
  CheckLine(text, "Start address of PCI address space:", Address(f.Pci),
            "line 5: PCI window start, value in column 40, CR LF");
  Require(text.compare(0, 2, "\r\n") == 0, "a blank line follows the five lines");
  text.erase(0, 2);
  Require(text == Message(want), "the only text after the blank line is the verdict's message");
  return 0;
}
