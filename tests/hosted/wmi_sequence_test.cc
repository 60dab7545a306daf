#include <gtest/gtest.h>

#include "probes/installed_memory_probe.h"
#include "probes/pci_window_probe.h"
#include "probes/wmi_connection.h"
#include "tests/hosted/sim_fixture.h"
#include "tests/unit/capture.h"

namespace {

const char TwoDevices[] =
    "[wmi Win32_DeviceMemoryAddress]\nStartingAddress = 3758096384\n"
    "[wmi Win32_DeviceMemoryAddress]\nStartingAddress = 655360\n";

struct StepFailureCase {
  const char* Step;
  const char* Code;
  const char* Line;
  std::vector<std::string> CleanUp;
};

const StepFailureCase StepFailures[] = {
    {"CoInitializeEx",
     "0x80010106",
     "Failed to initialize COM library. Error code = 0x80010106\r\n",
     {}},
    {"CoInitializeSecurity",
     "0x80010119",
     "Failed to initialize security. Error code = 0x80010119\r\n",
     {"CoUninitialize"}},
    {"CoCreateInstance",
     "0x80040154",
     "Failed to create IWbemLocator object. Error code = 0x80040154\r\n",
     {"CoUninitialize"}},
    {"ConnectServer",
     "0x8004100E",
     "Could not connect. Error code = 0x8004100e\r\n",
     {"Release locator", "CoUninitialize"}},
    {"CoSetProxyBlanket",
     "0x80070005",
     "Could not set proxy blanket. Error code = 0x80070005\r\n",
     {"Release services", "Release locator", "CoUninitialize"}},
    {"ExecQuery",
     "0x80041017",
     "Query for processes failed. Error code = 0x80041017\r\n",
     {"Release services", "Release locator", "CoUninitialize"}},
    // Text that cannot be made into a BSTR fails the step that needs it, with its clean-up.
    {"SysAllocString",
     "fail",
     "Could not connect. Error code = 0x8007000e\r\n",
     {"Release locator", "CoUninitialize"}},
    {"SysAllocString",
     "fail after 1",
     "Query for processes failed. Error code = 0x8007000e\r\n",
     {"Release services", "Release locator", "CoUninitialize"}},
    {"SysAllocString",
     "fail after 2",
     "Query for processes failed. Error code = 0x8007000e\r\n",
     {"Release services", "Release locator", "CoUninitialize"}},
};

void PrintTo(const StepFailureCase& c, std::ostream* out) { *out << c.Step << " = " << c.Code; }

class WmiStepFailure : public testing::TestWithParam<StepFailureCase> {};

TEST_P(WmiStepFailure, OneLineEverythingReleasedAndTheFailureValue) {
  const StepFailureCase& c = GetParam();
  InstallHostText(std::string(TwoDevices) + "[failures]\n" + c.Step + " = " + c.Code + "\n");
  uint64_t result = 0;
  EXPECT_EQ(CaptureStandardOutput([&] { result = QueryPciWindowStart(); }), c.Line);
  EXPECT_EQ(result, ProbeFailureValue);
  EXPECT_EQ(CleanUpEvents(), c.CleanUp);
  const sim::Record& record = sim::Recorded();
  EXPECT_EQ(record.CoUninitializeCalls, c.CleanUp.empty() ? 0 : 1);
  EXPECT_EQ(record.LiveComObjects, 0);
  EXPECT_EQ(record.LiveBstrs, 0);
  EXPECT_TRUE(record.Misuses.empty()) << record.Misuses.front();
}

INSTANTIATE_TEST_SUITE_P(Steps, WmiStepFailure, testing::ValuesIn(StepFailures));

TEST(WmiSequence, ArgumentsOfEveryStep) {
  InstallHostText(TwoDevices);
  EXPECT_EQ(CaptureStandardOutput([] { EXPECT_EQ(QueryPciWindowStart(), 0xE0000000u); }), "");
  const sim::Record& record = sim::Recorded();
  ASSERT_EQ(record.CoInitializeCalls, 1);
  EXPECT_EQ(record.CoInitFlags, std::vector<DWORD>{COINIT_MULTITHREADED});
  EXPECT_EQ(record.CoInitReservedNull, std::vector<bool>{true});
  ASSERT_EQ(record.SecurityCalls.size(), 1u);
  const sim::SecurityCall& security = record.SecurityCalls[0];
  EXPECT_TRUE(security.DescriptorNull);
  EXPECT_EQ(security.AuthServiceCount, -1);
  EXPECT_TRUE(security.AuthServicesNull && security.Reserved1Null && security.AuthListNull &&
              security.Reserved3Null);
  EXPECT_EQ(security.AuthnLevel, RPC_C_AUTHN_LEVEL_DEFAULT);
  EXPECT_EQ(security.ImpLevel, RPC_C_IMP_LEVEL_IMPERSONATE);
  EXPECT_EQ(security.Capabilities, EOAC_NONE);
  ASSERT_EQ(record.BlanketCalls.size(), 1u);
  const sim::BlanketCall& blanket = record.BlanketCalls[0];
  EXPECT_EQ(blanket.AuthnService, RPC_C_AUTHN_WINNT);
  EXPECT_EQ(blanket.AuthzService, RPC_C_AUTHZ_NONE);
  EXPECT_TRUE(blanket.PrincipalNull && blanket.AuthInfoNull);
  EXPECT_EQ(blanket.AuthnLevel, RPC_C_AUTHN_LEVEL_CALL);
  EXPECT_EQ(blanket.ImpLevel, RPC_C_IMP_LEVEL_IMPERSONATE);
  EXPECT_EQ(blanket.Capabilities, EOAC_NONE);
  ASSERT_EQ(record.Queries.size(), 1u);
  EXPECT_NE(record.Queries[0].find("WQL|SELECT * FROM Win32_DeviceMemoryAddress|flags=48"),
            std::string::npos)
      << record.Queries[0];
  ASSERT_EQ(record.ConnectArgs.size(), 1u);
  EXPECT_EQ(record.ConnectArgs[0].rfind("ROOT\\CIMV2|", 0), 0u) << record.ConnectArgs[0];
  for (const std::string& next : record.NextArgs) EXPECT_EQ(next, "timeout=-1 count=1");
  EXPECT_EQ(CleanUpEvents(),
            (std::vector<std::string>{"Release instance", "Release instance", "Release enumerator",
                                      "Release services", "Release locator", "CoUninitialize"}));
  EXPECT_EQ(record.LiveComObjects, 0);
  EXPECT_EQ(record.LiveBstrs, 0);
  EXPECT_TRUE(record.Misuses.empty()) << record.Misuses.front();
}

TEST(WmiSequence, ComAlreadyInitialisedIsSuccessAndStillBalanced) {
  InstallHostText(std::string(TwoDevices) + "[failures]\nCoInitializeEx = 0x1\n");
  EXPECT_EQ(CaptureStandardOutput([] { EXPECT_EQ(QueryPciWindowStart(), 0xE0000000u); }), "");
  EXPECT_EQ(sim::Recorded().CoUninitializeCalls, 1);
}

TEST(WmiSequence, EmptyResultVisitsNothing) {
  InstallHostText("");
  int visits = 0;
  std::string output = CaptureStandardOutput([&] {
    WmiConnection connection;
    EXPECT_TRUE(connection.RunQuery("SELECT * FROM Win32_PhysicalMemory",
                                    [&](IWbemClassObject*) { ++visits; }));
  });
  EXPECT_EQ(output, "");
  EXPECT_EQ(visits, 0);
  EXPECT_EQ(sim::Recorded().LiveComObjects, 0);
}

TEST(WmiSequence, TwoProbesTwoLifecyclesAndPerSequenceFailures) {
  // Only the second sequence of the run, the memory probe's, fails.
  InstallHostText(std::string(TwoDevices) + "[failures 2]\nExecQuery = 0x80041010\n");
  std::string output = CaptureStandardOutput([] {
    EXPECT_EQ(QueryPciWindowStart(), 0xE0000000u);
    EXPECT_EQ(QueryInstalledMemory(), ProbeFailureValue);
  });
  EXPECT_EQ(output, "Query for processes failed. Error code = 0x80041010\r\n");
  const sim::Record& record = sim::Recorded();
  EXPECT_EQ(record.CoInitializeCalls, 2);
  EXPECT_EQ(record.CoUninitializeCalls, 2);
  EXPECT_EQ(record.SecurityCalls.size(), 2u);
  EXPECT_TRUE(record.Misuses.empty()) << record.Misuses.front();
}

}  // namespace
