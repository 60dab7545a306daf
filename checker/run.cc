#include "checker/run.h"

#include "checker/command_line.h"
#include "checker/dialogue.h"
#include "checker/placement.h"
#include "checker/report_frame.h"
#include "output/report_stream.h"
#include "probes/driver_settings.h"
#include "probes/installed_memory_probe.h"
#include "probes/os_version.h"
#include "probes/pci_window_probe.h"

int RunChecker(int argc, char** argv) {
  const CommandLineParse parse = ParseCommandLine(argc, argv);
  if (!parse.Recognised) {
    PrintUsage();
    return UnrecognisedArgumentResult;
  }
  const RunOptions& options = parse.Options;

  ReportStream report;
  if (argc > 1) {
    if (options.LogToFile) {
      RedirectReportToLogFile(report, options.LogFileName);
    } else if (options.Silent) {
      DiscardReport(report);
    }
  }
  WriteReportHeader(report, argc, argv);

  const uint32_t osMajorVersion = QueryOsMajorVersion();
  const uint64_t pciWindowStart = QueryPciWindowStart();
  const ReservedArea area = ReadReservedArea();
  const uint64_t installedMemory = QueryInstalledMemory();

  const PlacementOutcome outcome =
      AssessPlacement(installedMemory, pciWindowStart, area, osMajorVersion, options, report);
  const CheckResult result = OfferUpdate(options, outcome, installedMemory, outcome.Result, report);

  WriteReportFooter(report);
  const int exitStatus = options.AutoUpdate ? 0 : result;
  CloseReport(report);
  return exitStatus;
}
