#include "checker/placement.h"

#include <cstdint>
#include <string>

namespace {

uint64_t InMb(uint64_t bytes) { return bytes >> 20; }

UpdatePlan PlanFor(uint64_t installedMemory, uint64_t pciWindowStart, uint32_t areaSizeBytes) {
  UpdatePlan plan;
  plan.DmaSizeMb = static_cast<uint32_t>(InMb(areaSizeBytes));
  const uint64_t installedMb = InMb(installedMemory);
  const uint64_t pciMb = InMb(pciWindowStart);
  plan.RamSizeMb = static_cast<uint32_t>(installedMb < pciMb ? installedMb : pciMb);
  // The area ends at the RAM limit; both steps wrap in 32 bits.
  plan.NewStartAddress = static_cast<uint32_t>(plan.RamSizeMb << 20) - areaSizeBytes;
  return plan;
}

PlacementJudgement Verdict(PlacementVerdict verdict, CheckResult result, bool advisable) {
  PlacementJudgement judgement;
  judgement.Outcome.Verdict = verdict;
  judgement.Outcome.Result = result;
  judgement.Outcome.UpdateAdvisable = advisable;
  return judgement;
}

PlacementJudgement Decide(uint64_t I, uint64_t P, uint64_t S, uint64_t Z, uint32_t os,
                          const RunOptions& options) {
  const uint64_t E = S + Z;
  const uint64_t M = MinimumSystemMemory;
  if (S == 0) return Verdict(PlacementVerdict::NotInstalled, NotInstalledResult, false);
  if (Z == 0) return Verdict(PlacementVerdict::ZeroSize, ZeroSizeResult, false);
  if (os > 5) return Verdict(PlacementVerdict::UnsupportedSystem, UnsupportedSystemResult, false);
  if (I != 0 && I >= P && P > E) {
    const uint64_t wastedMb = InMb(P - E);
    if (wastedMb > WasteToleranceMb) {
      // A waste beyond what the result can hold is reported as the largest positive result,
      // never wrapped into 0 (optimal) or a negative failure code.
      const CheckResult result = wastedMb > static_cast<uint64_t>(INT32_MAX)
                                     ? INT32_MAX
                                     : static_cast<CheckResult>(wastedMb);
      PlacementJudgement judgement =
          Verdict(PlacementVerdict::MemoryWasted, result, !options.AutoUpdateOnlyIfOverlap);
      judgement.WastedMb = wastedMb;
      return judgement;
    }
    return Verdict(PlacementVerdict::Acceptable, 0, false);
  }
  if (I != 0 && Z + M > I) {
    PlacementJudgement judgement =
        Verdict(PlacementVerdict::MoreThanAvailable, MoreThanAvailableResult, true);
    judgement.ReducedSize = I - M;
    return judgement;
  }
  if (Z <= P && P - Z < M) {
    PlacementJudgement judgement =
        Verdict(PlacementVerdict::MoreThanAvailable, MoreThanAvailableResult, true);
    judgement.ReducedSize = P - M;
    return judgement;
  }
  if (P == E) return Verdict(PlacementVerdict::Optimal, 0, false);
  if (P > E) return Verdict(PlacementVerdict::Acceptable, 0, false);
  return Verdict(PlacementVerdict::Overlap, OverlapResult, true);
}

void WriteLabel(ReportStream& report, const char* label) {
  std::string padded = label;
  padded.resize(39, ' ');
  WriteReport(report, padded);
}

void WriteHex(ReportStream& report, uint64_t value) {
  SetReportBase(report, NumberBase::Hexadecimal);
  SetReportUpperCaseHex(report, true);
  WriteReportNumber(report, value);
}

void WriteDecimal(ReportStream& report, uint64_t value) {
  SetReportBase(report, NumberBase::Decimal);
  WriteReportNumber(report, value);
}

// "C0000000 (3072 MB)\n"
void WriteAddressLine(ReportStream& report, const char* label, uint64_t address) {
  WriteLabel(report, label);
  WriteHex(report, address);
  WriteReport(report, " (");
  WriteDecimal(report, InMb(address));
  WriteReport(report, " MB)\n");
}

void WriteReportBody(ReportStream& report, uint64_t installedMemory, uint64_t pciWindowStart,
                     ReservedArea area) {
  WriteLabel(report, "Total physical memory:");
  if (installedMemory != 0) {
    WriteDecimal(report, InMb(installedMemory));
    WriteReport(report, " MB\n");
  } else {
    WriteReport(report, "unknown\n");
  }
  WriteAddressLine(report, "Start address of Kelvor Tessiv memory:", area.Start);
  WriteAddressLine(report, "End address of Kelvor Tessiv memory:",
                   static_cast<uint64_t>(area.Start) + area.Size);
  WriteLabel(report, "Size of Kelvor Tessiv memory:");
  WriteDecimal(report, InMb(area.Size));
  WriteReport(report, " MB\n");
  WriteAddressLine(report, "Start address of PCI address space:", pciWindowStart);
  SetReportBase(report, NumberBase::Decimal);
  WriteReport(report, "\n");
}

void WriteVerdictMessage(ReportStream& report, const PlacementJudgement& judgement) {
  switch (judgement.Outcome.Verdict) {
    case PlacementVerdict::NotInstalled:
      WriteReport(report, "Kelvor Tessiv is not installed.\n");
      break;
    case PlacementVerdict::ZeroSize:
      WriteReport(report, "Kelvor Tessiv is installed with 0 MB of non-paged memory.\n");
      break;
    case PlacementVerdict::UnsupportedSystem:
      WriteReport(report,
                  "This program is only supported on Microsoft Windows XP, 32-bit edition.\n");
      break;
    case PlacementVerdict::MemoryWasted:
      WriteReport(report, "Kelvor Tessiv is not optimally configured; ");
      WriteDecimal(report, judgement.WastedMb);
      WriteReport(report, " MB of memory is wasted.\n");
      break;
    case PlacementVerdict::MoreThanAvailable:
      WriteReport(report,
                  "Kelvor Tessiv is using more memory then is available on the PC.\n"
                  "This could cause a memory corruption and PC instability.\n"
                  "Tessiv memory will be reduced to ");
      WriteDecimal(report, InMb(judgement.ReducedSize));
      WriteReport(report, "MB.");
      break;
    case PlacementVerdict::Optimal:
      WriteReport(report, "Kelvor Tessiv is optimally configured.\n");
      break;
    case PlacementVerdict::Acceptable:
      break;
    case PlacementVerdict::Overlap:
      WriteReport(report,
                  "Kelvor Tessiv memory overlaps the PCI address space. This could cause a "
                  "memory corruption and PC instability.\n\n");
      break;
  }
}

}  // namespace

bool IsEarlyStop(PlacementVerdict verdict) {
  return verdict == PlacementVerdict::NotInstalled || verdict == PlacementVerdict::ZeroSize ||
         verdict == PlacementVerdict::UnsupportedSystem;
}

PlacementJudgement JudgePlacement(uint64_t installedMemory, uint64_t pciWindowStart,
                                  ReservedArea area, uint32_t osMajorVersion,
                                  const RunOptions& options) {
  PlacementJudgement judgement =
      Decide(installedMemory, pciWindowStart, area.Start, area.Size, osMajorVersion, options);
  const uint32_t areaSize = judgement.Outcome.Verdict == PlacementVerdict::MoreThanAvailable
                                ? static_cast<uint32_t>(judgement.ReducedSize)
                                : area.Size;
  judgement.Outcome.Plan = PlanFor(installedMemory, pciWindowStart, areaSize);
  if (judgement.Outcome.Verdict == PlacementVerdict::MoreThanAvailable) {
    // The new size in MB comes from the full reduced size, not from its low 32 bits.
    judgement.Outcome.Plan.DmaSizeMb = static_cast<uint32_t>(InMb(judgement.ReducedSize));
  }
  return judgement;
}

PlacementOutcome AssessPlacement(uint64_t installedMemory, uint64_t pciWindowStart,
                                 ReservedArea area, uint32_t osMajorVersion,
                                 const RunOptions& options, ReportStream& report) {
  WriteReportBody(report, installedMemory, pciWindowStart, area);
  const PlacementJudgement judgement =
      JudgePlacement(installedMemory, pciWindowStart, area, osMajorVersion, options);
  WriteVerdictMessage(report, judgement);
  return judgement.Outcome;
}
