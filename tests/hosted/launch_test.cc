#include <gtest/gtest.h>

#include "tests/hosted/run_folder.h"
#include "tests/hosted/sim_fixture.h"
#include "update/settings_update.h"

namespace {

// A folder of its own as the current folder, holding the stand-in tool if there is one.
class ToolLaunch : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(EnterRunFolder("launch", &run_));
    InstallHostText("");
  }
  void TearDown() override {
    EXPECT_EQ(sim::Recorded().OpenHandles, 0);
    LeaveRunFolder(run_);
  }
  RunFolder run_;
};

TEST(SettingsUpdateCommandLine, ExactText) {
  EXPECT_EQ(SettingsUpdateCommandLine(96, 3072),
            L"devadmin.exe modify tessiv dmasize=96d  ramsize=3072d -quiet");
  EXPECT_EQ(SettingsUpdateCommandLine(0, 4294967295u),
            L"devadmin.exe modify tessiv dmasize=0d  ramsize=4294967295d -quiet");
}

TEST_F(ToolLaunch, QuickToolSucceedsWhateverItsExitCode) {
  // A POSIX exit status keeps 8 bits, so 259 cannot come from a real child here.
  for (int code : {0, 7}) {
    ASSERT_NO_FATAL_FAILURE(WriteStandInTool(
        "printf '%s' \"$TESSIV_COMMAND_LINE\" > seen.txt\nexit " + std::to_string(code)));
    InstallHostText("");
    EXPECT_TRUE(LaunchSettingsUpdate(256, 3584)) << code;
    EXPECT_EQ(ReadTextFile("seen.txt"),
              "devadmin.exe modify tessiv dmasize=256d  ramsize=3584d -quiet");
    const sim::Record& record = sim::Recorded();
    ASSERT_EQ(record.Launches.size(), 1u);
    const sim::LaunchCall& call = record.Launches[0];
    EXPECT_TRUE(call.ApplicationNameNull);
    EXPECT_EQ(call.CommandLine, L"devadmin.exe modify tessiv dmasize=256d  ramsize=3584d -quiet");
    EXPECT_TRUE(call.ProcessAttributesNull && call.ThreadAttributesNull);
    EXPECT_EQ(call.InheritHandles, FALSE);
    EXPECT_EQ(call.CreationFlags, CREATE_NO_WINDOW);
    EXPECT_TRUE(call.EnvironmentNull && call.CurrentDirectoryNull);
    EXPECT_EQ(call.StartupInfoCb, sizeof(STARTUPINFOW));
    EXPECT_TRUE(call.StartupInfoOtherwiseZero);
    EXPECT_EQ(record.Waits, std::vector<DWORD>{ToolWaitLimit});
    // A tool that ended within the limit is never terminated.
    EXPECT_TRUE(record.Terminations.empty()) << code;
    EXPECT_EQ(record.OpenHandles, 0);
  }
}

TEST_F(ToolLaunch, EarlierLastErrorDoesNotDecide) {
  ASSERT_NO_FATAL_FAILURE(WriteStandInTool("exit 0"));
  SetLastError(ERROR_ALREADY_EXISTS);
  EXPECT_TRUE(LaunchSettingsUpdate(256, 3584));
}

TEST_F(ToolLaunch, MissingToolFailsWithoutWaiting) {
  EXPECT_FALSE(LaunchSettingsUpdate(256, 3584));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_TRUE(sim::Recorded().Waits.empty());
}

TEST_F(ToolLaunch, StartRefusedFails) {
  ASSERT_NO_FATAL_FAILURE(WriteStandInTool("exit 0"));
  InstallHostText("[failures]\nCreateProcessW = 5\n");
  EXPECT_FALSE(LaunchSettingsUpdate(256, 3584));
  EXPECT_TRUE(sim::Recorded().Waits.empty());
}

TEST_F(ToolLaunch, HangingToolIsTerminatedAndTheUpdateFailed) {
  ASSERT_NO_FATAL_FAILURE(WriteStandInTool("exec sleep 60"));
  EXPECT_FALSE(LaunchSettingsUpdate(256, 3584));
  const sim::Record& record = sim::Recorded();
  EXPECT_EQ(record.Waits, std::vector<DWORD>{ToolWaitLimit});
  EXPECT_EQ(record.Terminations, std::vector<UINT>{0});
}

}  // namespace
