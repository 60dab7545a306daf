// Whole runs of the checker on the simulated host with one platform call failing per row: what
// the run writes, its exit status, the log file, and that nothing is left open or misused.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/hosted/run_folder.h"
#include "tests/hosted/sim_fixture.h"
#include "tests/unit/capture.h"

namespace {

// ---- Expected texts, written with "\n" line ends and "<timestamp>" for each timestamp line.

const char kTimestamp[] = "<timestamp>";
const char kNoFile[] = "<no file>";

std::string Header(const std::vector<std::string>& args) {
  std::string text = "Kelvor Tessiv memory checker.\n<timestamp>\n";
  for (const std::string& arg : args) text += arg + "\n";
  return text + "-----------------------------\n\n";
}

const char kFooter[] =
    "Exiting Kelvor Tessiv memory checker.\n<timestamp>\n-----------------------------\n\n";

const char kMemory4096[] = "Total physical memory:                 4096 MB\n";
const char kMemory2048[] = "Total physical memory:                 2048 MB\n";
const char kMemoryFailed[] = "Total physical memory:                 0 MB\n";
const char kArea[] =
    "Start address of Kelvor Tessiv memory: C0000000 (3072 MB)\n"
    "End address of Kelvor Tessiv memory:   D0000000 (3328 MB)\n"
    "Size of Kelvor Tessiv memory:          256 MB\n";
const char kPci[] = "Start address of PCI address space:    E0000000 (3584 MB)\n\n";
const char kPciFailed[] = "Start address of PCI address space:    1 (0 MB)\n\n";
const char kPciNotFound[] =
    "Start address of PCI address space:    FFFFFFFFFFFFFFFF (17592186044415 MB)\n\n";

const char kWasted[] = "Kelvor Tessiv is not optimally configured; 256 MB of memory is wasted.\n\n";
const char kOverlap[] =
    "Kelvor Tessiv memory overlaps the PCI address space. This could cause a memory corruption "
    "and PC instability.\n\n\n";
const char kReducedFromFailedProbe[] =
    "Kelvor Tessiv is using more memory then is available on the PC.\n"
    "This could cause a memory corruption and PC instability.\n"
    "Tessiv memory will be reduced to 17592186044320MB.\n";
const char kQuestion[] = "Do you want to update Kelvor Tessiv with the optimized settings? (y/n)\n";
const char kUpdating[] = "\nUpdating Kelvor Tessiv start address at D0000000 (3328 MB)...\n";
const char kSucceeded[] = "\nUpdate succeed.\n\nYOU MUST REBOOT THE PC.\n";
const char kFailed[] =
    "\nUpdate failed.  Verify that devadmin.exe is present in the current directory.\n";
const char kPressEnter[] = "\nPress enter to exit.\n";

// The typical machine: 4096 MB installed, the PCI window at E0000000, 256 MB at C0000000.
const char kTypicalRegistry[] =
    "[registry]\n"
    "HighMemoryAreaReservedStart = dword:c0000000\n"
    "HighMemoryAreaReservedSize = dword:10000000\n";
const char kTypicalWmi[] =
    "[wmi Win32_DeviceMemoryAddress]\nStartingAddress = 655360\n"
    "[wmi Win32_DeviceMemoryAddress]\nStartingAddress = 3758096384\n"
    "[wmi Win32_DeviceMemoryAddress]\nStartingAddress = 4273995776\n"
    "[wmi Win32_PhysicalMemory]\nCapacity = 2147483648\nMemoryType = 21\n"
    "[wmi Win32_PhysicalMemory]\nCapacity = 2147483648\nMemoryType = 21\n";

std::string Typical(const std::string& failures) {
  return std::string(kTypicalRegistry) + kTypicalWmi + failures;
}

std::string WithRegistry(const std::string& registry) { return registry + kTypicalWmi; }

// ---- Comparing output.

bool IsOneOf(const std::string& word, const char* const* names, int count) {
  for (int i = 0; i < count; ++i) {
    if (word == names[i]) return true;
  }
  return false;
}

bool IsDigits(const std::string& text) {
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return !text.empty();
}

// "Tue Mar 05 14:03:07 2024": day, month, two-digit day, time, four-digit year.
bool IsTimestamp(const std::string& line) {
  static const char* const days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  return line.size() == 24 && IsOneOf(line.substr(0, 3), days, 7) && line[3] == ' ' &&
         IsOneOf(line.substr(4, 3), months, 12) && line[7] == ' ' && IsDigits(line.substr(8, 2)) &&
         line[10] == ' ' && IsDigits(line.substr(11, 2)) && line[13] == ':' &&
         IsDigits(line.substr(14, 2)) && line[16] == ':' && IsDigits(line.substr(17, 2)) &&
         line[19] == ' ' && IsDigits(line.substr(20, 4));
}

// Replaces each whole CR LF line that is a well-formed timestamp by "<timestamp>".
std::string MaskTimestamps(const std::string& text) {
  std::string masked;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      masked += text.substr(start);
      break;
    }
    const std::string line = text.substr(start, end - start);
    masked += (IsTimestamp(line) ? std::string(kTimestamp) : line) + "\r\n";
    start = end + 2;
  }
  return masked;
}

// The first `bytes` bytes that a report of this text leaves in the log file, masked. A sample
// timestamp stands in for the real ones, which have the same length.
std::string LogPrefix(const std::string& expected, size_t bytes) {
  std::string sample = expected;
  for (size_t at = sample.find(kTimestamp); at != std::string::npos;
       at = sample.find(kTimestamp, at)) {
    sample.replace(at, sizeof kTimestamp - 1, "Tue Mar 05 14:03:07 2024");
  }
  return MaskTimestamps(CrLf(sample).substr(0, bytes));
}

// ---- The table.

struct FaultRow {
  std::string Name;
  std::string HostText;
  std::vector<std::string> Args;
  std::string Stdin;
  std::string Tool;  // body of a stand-in devadmin.exe in the current folder; empty: none
  std::string Stdout;
  int Status = 0;
  std::optional<std::string> Log =
      std::nullopt;       // run.log afterwards, masked, CR LF; kNoFile: not there
  int FailedCoInits = 0;  // CoInitializeEx calls that failed and must stay unbalanced
  size_t Launches = 0;
  size_t Waits = 0;
  std::optional<std::vector<UINT>> Terminations =
      std::vector<UINT>{};  // nullopt: the platform's timing decides
};

struct WmiStep {
  const char* Key;
  const char* Code;
  const char* Line;
};

const WmiStep kWmiSteps[] = {
    {"CoInitializeEx", "0x8007000E", "Failed to initialize COM library. Error code = 0x8007000e\n"},
    {"CoInitializeSecurity", "0x80010119",
     "Failed to initialize security. Error code = 0x80010119\n"},
    {"CoCreateInstance", "0x80040154",
     "Failed to create IWbemLocator object. Error code = 0x80040154\n"},
    {"ConnectServer", "0x8004100E", "Could not connect. Error code = 0x8004100e\n"},
    {"CoSetProxyBlanket", "0x80070005", "Could not set proxy blanket. Error code = 0x80070005\n"},
    {"ExecQuery", "0x80041017", "Query for processes failed. Error code = 0x80041017\n"},
};

// Each WMI step failing in the PCI window probe's sequence, in the installed memory probe's,
// and in both. A failed PCI probe reads as 1, an overlap; a failed memory probe reads as 1,
// more than available. Neither plan is offered.
void AddWmiStepRows(std::vector<FaultRow>& rows) {
  for (const WmiStep& step : kWmiSteps) {
    const std::string entry = std::string(step.Key) + " = " + step.Code + "\n";
    const int failedInit = std::string(step.Key) == "CoInitializeEx" ? 1 : 0;
    FaultRow first{std::string(step.Key) + "InPciProbe",
                   Typical("[failures 1]\n" + entry),
                   {},
                   "",
                   "",
                   Header({}) + step.Line + kMemory4096 + kArea + kPciFailed + kOverlap +
                       kPressEnter + kFooter,
                   -1};
    first.FailedCoInits = failedInit;
    FaultRow second{std::string(step.Key) + "InMemoryProbe",
                    Typical("[failures 2]\n" + entry),
                    {},
                    "",
                    "",
                    Header({}) + step.Line + kMemoryFailed + kArea + kPci +
                        kReducedFromFailedProbe + kPressEnter + kFooter,
                    -2};
    second.FailedCoInits = failedInit;
    FaultRow both{std::string(step.Key) + "InBothProbes",
                  Typical("[failures]\n" + entry),
                  {},
                  "",
                  "",
                  Header({}) + step.Line + step.Line + kMemoryFailed + kArea + kPciFailed +
                      kReducedFromFailedProbe + kPressEnter + kFooter,
                  -2};
    both.FailedCoInits = 2 * failedInit;
    rows.push_back(first);
    rows.push_back(second);
    rows.push_back(both);
  }
}

std::vector<FaultRow> Rows() {
  std::vector<FaultRow> rows;
  AddWmiStepRows(rows);

  // The enumeration ends part way: what was delivered counts, nothing is reported.
  rows.push_back({"NextFailsAfterOneInstance",
                  Typical("[failures]\nNext = 0x80041006 after 1\n"),
                  {},
                  "",
                  "",
                  Header({}) + kMemory2048 + kArea + kPciNotFound + "\n" + kPressEnter + kFooter,
                  0});

  // Out of memory for a BSTR: the step that needed the text fails, and every text is freed.
  const std::string connectOutOfMemory = "Could not connect. Error code = 0x8007000e\n";
  const std::string queryOutOfMemory = "Query for processes failed. Error code = 0x8007000e\n";
  rows.push_back({"SysAllocStringFailsForTheNamespace",
                  Typical("[failures]\nSysAllocString = fail after 0\n"),
                  {},
                  "",
                  "",
                  Header({}) + connectOutOfMemory + connectOutOfMemory + kMemoryFailed + kArea +
                      kPciFailed + kReducedFromFailedProbe + kPressEnter + kFooter,
                  -2});
  rows.push_back({"SysAllocStringFailsForTheLanguage",
                  Typical("[failures]\nSysAllocString = fail after 1\n"),
                  {},
                  "",
                  "",
                  Header({}) + queryOutOfMemory + queryOutOfMemory + kMemoryFailed + kArea +
                      kPciFailed + kReducedFromFailedProbe + kPressEnter + kFooter,
                  -2});
  rows.push_back({"SysAllocStringFailsForTheQueryText",
                  Typical("[failures 2]\nSysAllocString = fail after 2\n"),
                  {},
                  "",
                  "",
                  Header({}) + queryOutOfMemory + kMemoryFailed + kArea + kPci +
                      kReducedFromFailedProbe + kPressEnter + kFooter,
                  -2});

  // Registry and version: what cannot be read counts as 0, silently.
  rows.push_back({"RegistryKeyDenied",
                  WithRegistry(std::string(kTypicalRegistry) + "Access = denied\n"),
                  {},
                  "",
                  "",
                  Header({}) + kMemory4096 +
                      "Start address of Kelvor Tessiv memory: 0 (0 MB)\n"
                      "End address of Kelvor Tessiv memory:   0 (0 MB)\n"
                      "Size of Kelvor Tessiv memory:          0 MB\n" +
                      kPci + "Kelvor Tessiv is not installed.\n" + kPressEnter + kFooter,
                  -3});
  rows.push_back({"StartValueMissing",
                  WithRegistry("[registry]\nHighMemoryAreaReservedSize = dword:10000000\n"),
                  {},
                  "",
                  "",
                  Header({}) + kMemory4096 +
                      "Start address of Kelvor Tessiv memory: 0 (0 MB)\n"
                      "End address of Kelvor Tessiv memory:   10000000 (256 MB)\n"
                      "Size of Kelvor Tessiv memory:          256 MB\n" +
                      kPci + "Kelvor Tessiv is not installed.\n" + kPressEnter + kFooter,
                  -3});
  rows.push_back({"SizeValueMissing",
                  WithRegistry("[registry]\nHighMemoryAreaReservedStart = dword:c0000000\n"),
                  {},
                  "",
                  "",
                  Header({}) + kMemory4096 +
                      "Start address of Kelvor Tessiv memory: C0000000 (3072 MB)\n"
                      "End address of Kelvor Tessiv memory:   C0000000 (3072 MB)\n"
                      "Size of Kelvor Tessiv memory:          0 MB\n" +
                      kPci + "Kelvor Tessiv is installed with 0 MB of non-paged memory.\n" +
                      kPressEnter + kFooter,
                  -5});
  rows.push_back({"VersionQueryFails",
                  Typical("[os]\nGetVersionExW = fail\n"),
                  {"-check"},
                  "",
                  "",
                  Header({"-check"}) + kMemory4096 + kArea + kPci + kWasted + kFooter,
                  256});

  // The log file cannot be opened: the report is lost, the diagnostic line is not, and the
  // run goes on to its verdict.
  FaultRow logNotOpened{"LogFileNotOpened",
                        Typical("[failures]\nCreateFileW = 5\n[failures 2]\nExecQuery = "
                                "0x80041017\n"),
                        {"-log:run.log"},
                        "",
                        "",
                        "Query for processes failed. Error code = 0x80041017\n",
                        -2};
  logNotOpened.Log = kNoFile;
  rows.push_back(logNotOpened);

  // The disk fills up while the report is written: the bytes before the fault stay, nothing
  // after them arrives, and the update and the exit status are not touched.
  const std::string fullLogReport = Header({"-log:run.log"}) + kMemory4096 + kArea + kPci +
                                    kWasted + kQuestion + kUpdating + kSucceeded + kPressEnter +
                                    kFooter;
  for (size_t bytes : {0, 57, 300}) {
    FaultRow diskFull{"DiskFullAfter" + std::to_string(bytes) + "Bytes",
                      Typical("[failures]\nWriteFile = 112 after " + std::to_string(bytes) + "\n"),
                      {"-log:run.log"},
                      "y\n\n",
                      "exit 0",
                      "",
                      256};
    diskFull.Log = LogPrefix(fullLogReport, bytes);
    diskFull.Launches = 1;
    diskFull.Waits = 1;
    rows.push_back(diskFull);
  }

  // The management tool cannot be started.
  FaultRow notStarted{"ToolNotStarted",
                      Typical("[failures]\nCreateProcessW = 2\n"),
                      {},
                      "y\n\n",
                      "",
                      Header({}) + kMemory4096 + kArea + kPci + kWasted + kQuestion + kUpdating +
                          kFailed + kPressEnter + kFooter,
                      -6};
  notStarted.Launches = 1;
  rows.push_back(notStarted);
  FaultRow notStartedAuto{"ToolNotStartedUnderAutoUpdate",
                          Typical("[failures]\nCreateProcessW = 2\n"),
                          {"-autoupdate"},
                          "",
                          "",
                          Header({"-autoupdate"}) + kMemory4096 + kArea + kPci + kWasted +
                              kUpdating + kFailed + kFooter,
                          0};
  notStartedAuto.Launches = 1;
  rows.push_back(notStartedAuto);

  // The wait fails: the exit code decides. A tool still running is terminated and the update
  // failed; a tool that has ended is judged by the last-error value, which the failed wait set.
  FaultRow waitFailsRunning{"WaitFailsToolStillRunning",
                            Typical("[failures]\nWaitForSingleObject = fail\n"),
                            {},
                            "y\n\n",
                            "exec sleep 60",
                            Header({}) + kMemory4096 + kArea + kPci + kWasted + kQuestion +
                                kUpdating + kFailed + kPressEnter + kFooter,
                            -6};
  waitFailsRunning.Launches = 1;
  waitFailsRunning.Waits = 1;
  waitFailsRunning.Terminations = std::vector<UINT>{0};
  rows.push_back(waitFailsRunning);
  FaultRow waitFailsQuick = waitFailsRunning;
  waitFailsQuick.Name = "WaitFailsQuickTool";
  waitFailsQuick.Tool = "exit 0";
  waitFailsQuick.Terminations.reset();
  rows.push_back(waitFailsQuick);
  return rows;
}

// ---- One whole run.

class FaultInjection : public testing::TestWithParam<FaultRow> {
 protected:
  void SetUp() override { ASSERT_NO_FATAL_FAILURE(EnterRunFolder("faults", &run_)); }
  void TearDown() override {
    ASSERT_NO_FATAL_FAILURE(ReadStandardInputFrom("/dev/null"));
    InstallHostText("");  // ends a child that is still running
    LeaveRunFolder(run_);
  }
  RunFolder run_;
};

TEST_P(FaultInjection, RunEndsSoundlyAndLeavesNothingOpen) {
  const FaultRow& row = GetParam();
  InstallHostText(row.HostText);
  if (!row.Tool.empty()) {
    ASSERT_NO_FATAL_FAILURE(WriteStandInTool(row.Tool));
  }
  ASSERT_NO_FATAL_FAILURE(FeedStandardInput("stdin.txt", row.Stdin));

  int status = 0;
  const std::string out = CaptureStandardOutput([&] { status = RunCheckerWith(row.Args); });

  EXPECT_EQ(MaskTimestamps(out), CrLf(row.Stdout));
  EXPECT_EQ(status, row.Status);
  if (row.Log) {
    const std::string log = ReadFileIfThere("run.log").value_or(kNoFile);
    EXPECT_EQ(log == kNoFile ? log : MaskTimestamps(log), *row.Log);
  }

  const sim::Record& record = sim::Recorded();
  EXPECT_EQ(record.LiveComObjects, 0);
  EXPECT_EQ(record.LiveBstrs, 0);
  EXPECT_EQ(record.LiveVariants, 0);
  EXPECT_EQ(record.OpenKeys, 0);
  EXPECT_EQ(record.OpenHandles, 0);
  EXPECT_EQ(record.Misuses, std::vector<std::string>{});
  EXPECT_EQ(record.CoInitializeCalls, 2);
  EXPECT_EQ(record.CoUninitializeCalls, record.CoInitializeCalls - row.FailedCoInits);
  EXPECT_EQ(record.Launches.size(), row.Launches);
  EXPECT_EQ(record.Waits, std::vector<DWORD>(row.Waits, 5000));
  if (row.Terminations) {
    EXPECT_EQ(record.Terminations, *row.Terminations);
  }
}

// Names the row in failure messages instead of dumping its bytes.
void PrintTo(const FaultRow& row, std::ostream* out) { *out << row.Name; }

std::string RowName(const testing::TestParamInfo<FaultRow>& info) { return info.param.Name; }

INSTANTIATE_TEST_SUITE_P(EveryPlatformCall, FaultInjection, testing::ValuesIn(Rows()), RowName);

}  // namespace
