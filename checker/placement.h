// The judgement of where the driver's reserved area lies against the installed memory and the
// start of the PCI address space.
#pragma once

#include <cstdint>

#include "checker/check_result.h"
#include "checker/command_line.h"
#include "output/report_stream.h"
#include "probes/driver_settings.h"

// The area must leave this much to the rest of the system (96 MB).
const uint64_t MinimumSystemMemory = 0x6000000;
// A gap of up to this many whole MB between the area's end and the PCI space is not waste.
const uint64_t WasteToleranceMb = 1;

enum class PlacementVerdict {
  NotInstalled,
  ZeroSize,
  UnsupportedSystem,
  MemoryWasted,
  MoreThanAvailable,
  Optimal,
  Acceptable,
  Overlap,
};

// The first three verdicts stop the judgement before the placement is looked at.
bool IsEarlyStop(PlacementVerdict verdict);

struct UpdatePlan {
  uint32_t DmaSizeMb = 0;        // the new area size
  uint32_t RamSizeMb = 0;        // the new RAM limit
  uint32_t NewStartAddress = 0;  // where the area then starts: it ends at the RAM limit
};

struct PlacementOutcome {
  PlacementVerdict Verdict = PlacementVerdict::NotInstalled;
  CheckResult Result = 0;
  bool UpdateAdvisable = false;
  UpdatePlan Plan;
};

// The outcome with the numbers its message shows.
struct PlacementJudgement {
  PlacementOutcome Outcome;
  uint64_t WastedMb = 0;     // MemoryWasted
  uint64_t ReducedSize = 0;  // MoreThanAvailable, in bytes
};

PlacementJudgement JudgePlacement(uint64_t installedMemory, uint64_t pciWindowStart,
                                  ReservedArea area, uint32_t osMajorVersion,
                                  const RunOptions& options);

// Writes the five labelled lines, the blank line and the verdict's message (without the line
// feed that follows every verdict that is not an early stop), and returns the outcome.
PlacementOutcome AssessPlacement(uint64_t installedMemory, uint64_t pciWindowStart,
                                 ReservedArea area, uint32_t osMajorVersion,
                                 const RunOptions& options, ReportStream& report);
