// After the verdict: the offer of an update, the operator's answer, the update itself and the
// wait for Enter, as the switches allow.
#pragma once

#include <cstdint>

#include "checker/check_result.h"
#include "checker/command_line.h"
#include "checker/placement.h"
#include "output/report_stream.h"

// Whether a plan can be applied at all: the memory probe measured something, the new area is at
// least 1 MB and leaves 96 MB below the RAM limit, and the limit in bytes fits in 32 bits.
bool IsPlanSound(uint64_t installedMemory, const UpdatePlan& plan);

// Writes the question, reads the reply and says whether it was exactly "y".
bool AskForUpdate(ReportStream& report);

// Writes the press-enter line and reads one character.
void WaitForEnter(ReportStream& report);

// Returns the run's result code: `result`, or UpdateFailedResult when an update was tried and
// failed.
CheckResult OfferUpdate(const RunOptions& options, const PlacementOutcome& outcome,
                        uint64_t installedMemory, CheckResult result, ReportStream& report);
