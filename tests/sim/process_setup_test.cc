// The process around the checker on the simulated host: host loading, exit status, console input.
#include "platform/process_setup.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "platform/sim/sim_host.h"
#include "tests/sim/temp_folder.h"

namespace {

class ProcessSetup : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = MakeTempFolder();
    ASSERT_FALSE(folder_.Path.empty());
  }
  void TearDown() override {
    unsetenv("TESSIV_HOST");
    unsetenv("TESSIV_HOST_STATUS");
    sim::InstallHost(sim::DefaultHost());
    RemoveTempFolder(folder_);
  }
  TempFolder folder_;
};

TEST_F(ProcessSetup, ConsoleInputReadsCrLfAsOneLineFeed) {
  std::string input = folder_.Path + "/input";
  WriteTextFile(input, "a\r\nb\rc\r", false);
  ASSERT_NE(std::freopen(input.c_str(), "rb", stdin), nullptr);
  std::vector<int> bytes;
  for (int i = 0; i < 7; ++i) bytes.push_back(ReadStandardInputByte());
  EXPECT_EQ(bytes, (std::vector<int>{'a', '\n', 'b', '\r', 'c', '\r', -1}));
  WriteTextFile(input, "\xe9", false);
  ASSERT_NE(std::freopen(input.c_str(), "rb", stdin), nullptr);
  EXPECT_EQ(ReadStandardInputByte(), 0xE9);
  ASSERT_NE(std::freopen("/dev/null", "rb", stdin), nullptr);
}

TEST_F(ProcessSetup, StatusFileHoldsTheSignedStatus) {
  std::string status = folder_.Path + "/status";
  WriteTextFile(status, "old text that is longer\n", false);
  setenv("TESSIV_HOST_STATUS", status.c_str(), 1);
  FinishPlatform(-7);
  EXPECT_EQ(ReadTextFile(status), "-7\n");
  FinishPlatform(256);
  EXPECT_EQ(ReadTextFile(status), "256\n");
}

TEST_F(ProcessSetup, HostFileFromTheEnvironment) {
  std::string path = folder_.Path + "/machine.host";
  WriteTextFile(path, "[os]\nMajorVersion = 6\n", false);
  setenv("TESSIV_HOST", path.c_str(), 1);
  EXPECT_TRUE(sim::LoadHostFromEnvironment());
  OSVERSIONINFOEXW info = {};
  info.dwOSVersionInfoSize = sizeof info;
  GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info));
  EXPECT_EQ(info.dwMajorVersion, 6u);

  WriteTextFile(path, "[os]\nMajorVersion = six\n", false);
  testing::internal::CaptureStderr();
  EXPECT_FALSE(sim::LoadHostFromEnvironment());
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "TessivMemoryChecker: host file " + path + ":2: bad number 'six'\n");

  setenv("TESSIV_HOST", (folder_.Path + "/missing.host").c_str(), 1);
  testing::internal::CaptureStderr();
  EXPECT_FALSE(sim::LoadHostFromEnvironment());
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "TessivMemoryChecker: host file " + folder_.Path +
                "/missing.host: cannot be read: No such file or directory\n");
}

TEST_F(ProcessSetup, UnusableHostFileEndsTheProcessWith125) {
  std::string status = folder_.Path + "/status";
  setenv("TESSIV_HOST", (folder_.Path + "/missing.host").c_str(), 1);
  setenv("TESSIV_HOST_STATUS", status.c_str(), 1);
  EXPECT_EXIT(StartPlatform(), testing::ExitedWithCode(125), "cannot be read");
  EXPECT_EQ(ReadTextFile(status), "125\n");
}

}  // namespace
