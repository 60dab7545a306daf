// The management tool launch against the real process calls: the command line the tool sees,
// a tool that ends at once, one that ends with the code that means "still running", one that
// never ends, and one that is missing.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "platform/win32.h"
#include "update/settings_update.h"

namespace {

// A folder of its own as the current folder, holding the stand-in as devadmin.exe.
class ToolLaunch : public testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    folder_ = std::wstring(temp) + L"tessiv-launch-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder_.c_str(), nullptr);
    GetCurrentDirectoryW(MAX_PATH, previous_);
    ASSERT_TRUE(SetCurrentDirectoryW(folder_.c_str()));
  }
  void TearDown() override {
    SetCurrentDirectoryW(previous_);
    DeleteFileW((folder_ + L"\\seen.txt").c_str());
    DeleteFileW((folder_ + L"\\devadmin.exe").c_str());
    RemoveDirectoryW(folder_.c_str());
  }
  void StandIn(const char* mode) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring tool(self);
    tool = tool.substr(0, tool.find_last_of(L"\\/") + 1) + L"tessiv_standin_tool.exe";
    ASSERT_TRUE(CopyFileW(tool.c_str(), (folder_ + L"\\devadmin.exe").c_str(), FALSE));
    SetEnvironmentVariableA("TESSIV_STANDIN", mode);
  }
  std::wstring folder_;
  wchar_t previous_[MAX_PATH];
};

TEST_F(ToolLaunch, ToolSeesTheExactCommandLine) {
  StandIn("record");
  EXPECT_TRUE(LaunchSettingsUpdate(96, 3072));
  std::ifstream seen("seen.txt", std::ios::binary);
  std::stringstream text;
  text << seen.rdbuf();
  EXPECT_EQ(text.str(), "devadmin.exe modify tessiv dmasize=96d  ramsize=3072d -quiet");
}

TEST_F(ToolLaunch, ToolEndingWith259WithinTheLimitIsNotTerminated) {
  StandIn("exit259");
  EXPECT_TRUE(LaunchSettingsUpdate(256, 3584));
}

TEST_F(ToolLaunch, EarlierLastErrorDoesNotDecide) {
  StandIn("record");
  SetLastError(ERROR_ALREADY_EXISTS);
  EXPECT_TRUE(LaunchSettingsUpdate(256, 3584));
}

TEST_F(ToolLaunch, MissingToolFails) {
  EXPECT_FALSE(LaunchSettingsUpdate(256, 3584));
  EXPECT_NE(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
}

TEST_F(ToolLaunch, HangingToolIsTerminatedAndTheUpdateFailed) {
  StandIn("hang");
  const DWORD start = GetTickCount();
  EXPECT_FALSE(LaunchSettingsUpdate(256, 3584));
  // The wait is the 5000 ms limit, not the tool's own end.
  EXPECT_GE(GetTickCount() - start, 4900u);
}

}  // namespace
