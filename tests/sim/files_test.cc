// The log file calls of the simulated host, on real files.
#include <gtest/gtest.h>

#include "platform/sim/sim_host.h"
#include "tests/sim/temp_folder.h"

namespace {

class Files : public testing::Test {
 protected:
  void SetUp() override {
    sim::InstallHost(sim::DefaultHost());
    folder_ = MakeTempFolder();
    ASSERT_FALSE(folder_.Path.empty());
    path_ = folder_.Path + "/log.txt";
  }
  void TearDown() override { RemoveTempFolder(folder_); }

  HANDLE Open(const std::string& path, DWORD access) {
    std::wstring name(path.begin(), path.end());
    return CreateFileW(name.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  }

  // Writes `text`; returns the bytes written, or -(bytes written) - 1 when the call failed.
  long Write(HANDLE file, const std::string& text) {
    DWORD written = 99;
    BOOL ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    return ok ? static_cast<long>(written) : -static_cast<long>(written) - 1;
  }

  TempFolder folder_;
  std::string path_;
};

TEST_F(Files, AppendsAndTellsWhetherTheFileExisted) {
  SetLastError(77);
  HANDLE file = Open(path_, FILE_APPEND_DATA);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), 0u);
  EXPECT_EQ(Write(file, "ab\r\n"), 4);
  EXPECT_TRUE(CloseHandle(file));
  file = Open(path_, FILE_APPEND_DATA);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_EQ(Write(file, "cd"), 2);
  CloseHandle(file);
  EXPECT_EQ(ReadTextFile(path_), "ab\r\ncd");
  EXPECT_EQ(sim::Recorded().FilesOpened[0], path_ + " access=0x4 share=0x3 disposition=4");
  EXPECT_EQ(sim::Recorded().OpenHandles, 0);
}

TEST_F(Files, GenericWriteStartsAtTheBeginningAsOnWindows) {
  WriteTextFile(path_, "abcd", false);
  HANDLE file = Open(path_, GENERIC_WRITE);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  Write(file, "X");
  CloseHandle(file);
  EXPECT_EQ(ReadTextFile(path_), "Xbcd");
}

TEST_F(Files, NamesThatCannotBeOpened) {
  struct Case {
    std::string Path;
    DWORD Error;
  };
  for (const Case& c : {Case{"", ERROR_PATH_NOT_FOUND},
                        Case{folder_.Path + "/no/such/log.txt", ERROR_PATH_NOT_FOUND},
                        Case{folder_.Path, ERROR_ACCESS_DENIED}}) {
    EXPECT_EQ(Open(c.Path, FILE_APPEND_DATA), INVALID_HANDLE_VALUE) << c.Path;
    EXPECT_EQ(GetLastError(), c.Error) << c.Path;
  }
  EXPECT_EQ(sim::Recorded().OpenHandles, 0);
}

TEST_F(Files, DiskFillsUpAfterPlannedBytes) {
  sim::Host host = sim::DefaultHost();
  host.Failures["WriteFile"] = sim::StepFailure{ERROR_DISK_FULL, 3};
  sim::InstallHost(host);
  HANDLE file = Open(path_, FILE_APPEND_DATA);
  EXPECT_EQ(Write(file, "ab"), 2);
  EXPECT_EQ(Write(file, "cd"), -2);  // one byte written, then the failure
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
  EXPECT_EQ(Write(file, "e"), -1);
  CloseHandle(file);
  EXPECT_EQ(ReadTextFile(path_), "abc");
}

TEST_F(Files, InjectedOpenFailure) {
  sim::Host host = sim::DefaultHost();
  host.Failures["CreateFileW"] = sim::StepFailure{ERROR_SHARING_VIOLATION, 0};
  sim::InstallHost(host);
  EXPECT_EQ(Open(path_, FILE_APPEND_DATA), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  EXPECT_EQ(ReadTextFile(path_), "");
}

}  // namespace
