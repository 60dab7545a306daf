#include "checker/dialogue.h"

#include <cstring>

#include "output/console_input.h"
#include "update/settings_update.h"

namespace {

// Room for a reply word of 39 characters and its terminator.
const size_t ReplyBufferSize = 40;

bool IsAttended(const RunOptions& options) {
  return !options.Silent && !options.AutoUpdate && !options.AutoUpdateOnlyIfOverlap;
}

void WaitForEnterIfAttended(const RunOptions& options, ReportStream& report) {
  if (IsAttended(options)) WaitForEnter(report);
}

void WriteUpdateLine(ReportStream& report, uint32_t newStartAddress) {
  WriteReport(report, "\nUpdating Kelvor Tessiv start address at ");
  SetReportBase(report, NumberBase::Hexadecimal);
  SetReportUpperCaseHex(report, true);
  WriteReportNumber(report, newStartAddress);
  WriteReport(report, " (");
  SetReportBase(report, NumberBase::Decimal);
  WriteReportNumber(report, newStartAddress >> 20);
  WriteReport(report, " MB)...\n");
}

}  // namespace

bool IsPlanSound(uint64_t installedMemory, const UpdatePlan& plan) {
  return installedMemory > 1 && plan.DmaSizeMb >= 1 &&
         static_cast<uint64_t>(plan.DmaSizeMb) + 96 <= plan.RamSizeMb && plan.RamSizeMb < 4096;
}

bool AskForUpdate(ReportStream& report) {
  WriteReport(report, "Do you want to update Kelvor Tessiv with the optimized settings? (y/n)\n");
  FlushReport(report);
  char reply[ReplyBufferSize];
  const size_t length = ReadInputWord(reply, sizeof reply);
  ReadInputChar();  // normally the line end after the word
  return length == 1 && std::strcmp(reply, "y") == 0;
}

void WaitForEnter(ReportStream& report) {
  WriteReport(report, "\nPress enter to exit.\n");
  FlushReport(report);
  ReadInputChar();
}

CheckResult OfferUpdate(const RunOptions& options, const PlacementOutcome& outcome,
                        uint64_t installedMemory, CheckResult result, ReportStream& report) {
  if (IsEarlyStop(outcome.Verdict)) {
    if (!options.CheckOnly) WaitForEnterIfAttended(options, report);
    return result;
  }
  WriteReport(report, "\n");
  if (options.CheckOnly) return result;
  // Nothing is offered while the installed memory is unknown (a sound plan needs it measured);
  // nor is a plan built from a failed probe or one that leaves the system too little.
  if (!outcome.UpdateAdvisable || !IsPlanSound(installedMemory, outcome.Plan)) {
    WaitForEnterIfAttended(options, report);
    return result;
  }
  if (!options.Silent && !options.AutoUpdate && !AskForUpdate(report)) {
    WaitForEnterIfAttended(options, report);
    return result;
  }
  WriteUpdateLine(report, outcome.Plan.NewStartAddress);
  if (LaunchSettingsUpdate(outcome.Plan.DmaSizeMb, outcome.Plan.RamSizeMb)) {
    WriteReport(report, "\nUpdate succeed.\n");
    WriteReport(report, "\nYOU MUST REBOOT THE PC.\n");
  } else {
    WriteReport(report,
                "\nUpdate failed.  Verify that devadmin.exe is present in the current "
                "directory.\n");
    result = UpdateFailedResult;
  }
  WaitForEnterIfAttended(options, report);
  return result;
}
