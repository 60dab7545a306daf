// Child processes of the simulated host: real programs, found and judged as on Windows.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/sim/sim_host.h"
#include "tests/sim/temp_folder.h"

namespace {

class Processes : public testing::Test {
 protected:
  void SetUp() override {
    sim::InstallHost(sim::DefaultHost());
    folder_ = MakeTempFolder();
    ASSERT_FALSE(folder_.Path.empty());
    WriteTextFile(folder_.Path + "/quick.exe", "#!/bin/sh\nexit 3\n", true);
    WriteTextFile(folder_.Path + "/sleeper.exe", "#!/bin/sh\nexec sleep 30\n", true);
    WriteTextFile(folder_.Path + "/plain.exe", "#!/bin/sh\nexit 0\n", false);
    WriteTextFile(folder_.Path + "/record.exe",
                  "#!/bin/sh\nout=$1; shift\nprintf '%s\\n' \"$TESSIV_COMMAND_LINE\" > \"$out\"\n"
                  "for a; do printf '[%s]\\n' \"$a\"; done >> \"$out\"\n",
                  true);
  }
  void TearDown() override {
    sim::InstallHost(sim::DefaultHost());  // ends any child still running
    RemoveTempFolder(folder_);
  }

  BOOL Launch(const std::wstring& commandLine, PROCESS_INFORMATION* info) {
    std::wstring buffer = commandLine;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    *info = PROCESS_INFORMATION();
    return CreateProcessW(nullptr, &buffer[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                          nullptr, &startup, info);
  }

  std::wstring Program(const char* name) { return Wide(folder_.Path + "/" + name); }
  static std::wstring Wide(const std::string& text) {
    return std::wstring(text.begin(), text.end());
  }

  TempFolder folder_;
};

TEST_F(Processes, QuickToolEndsWithItsCodeAndLeavesLastErrorAlone) {
  PROCESS_INFORMATION info;
  SetLastError(1234);
  ASSERT_TRUE(Launch(Program("quick.exe") + L" a b", &info));
  EXPECT_EQ(GetLastError(), 1234u);
  EXPECT_EQ(sim::Recorded().OpenHandles, 2);
  EXPECT_TRUE(CloseHandle(info.hThread));
  EXPECT_EQ(WaitForSingleObject(info.hProcess, INFINITE), WAIT_OBJECT_0);
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeProcess(info.hProcess, &code));
  EXPECT_EQ(code, 3u);
  EXPECT_FALSE(TerminateProcess(info.hProcess, 0));  // it has ended already
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_TRUE(CloseHandle(info.hProcess));
  EXPECT_EQ(sim::Recorded().OpenHandles, 0);
  const sim::LaunchCall& call = sim::Recorded().Launches.at(0);
  EXPECT_TRUE(call.ApplicationNameNull);
  EXPECT_EQ(call.CreationFlags, CREATE_NO_WINDOW);
  EXPECT_EQ(call.StartupInfoCb, sizeof(STARTUPINFOW));
  EXPECT_TRUE(call.StartupInfoOtherwiseZero);
}

TEST_F(Processes, HangingToolTimesOutAndIsTerminated) {
  PROCESS_INFORMATION info;
  ASSERT_TRUE(Launch(Program("sleeper.exe"), &info));
  EXPECT_EQ(WaitForSingleObject(info.hProcess, 20), WAIT_TIMEOUT);
  DWORD code = 0;
  GetExitCodeProcess(info.hProcess, &code);
  EXPECT_EQ(code, STILL_ACTIVE);
  EXPECT_TRUE(TerminateProcess(info.hProcess, 7));
  GetExitCodeProcess(info.hProcess, &code);
  EXPECT_EQ(code, 7u);
  EXPECT_EQ(WaitForSingleObject(info.hProcess, INFINITE), WAIT_OBJECT_0);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  EXPECT_EQ(sim::Recorded().Waits, (std::vector<DWORD>{20, INFINITE}));
  EXPECT_EQ(sim::Recorded().Terminations, std::vector<UINT>{7});
}

TEST_F(Processes, CommandLineReachesTheToolWordForWord) {
  std::string out = folder_.Path + "/out.txt";
  std::wstring commandLine =
      L"\"" + Program("record.exe") + L"\" " + Wide(out) + L" dmasize=96d  \"two words\" a\\\"b";
  PROCESS_INFORMATION info;
  ASSERT_TRUE(Launch(commandLine, &info));
  WaitForSingleObject(info.hProcess, INFINITE);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  EXPECT_EQ(ReadTextFile(out), std::string(commandLine.begin(), commandLine.end()) +
                                   "\n[dmasize=96d]\n[two words]\n[a\"b]\n");
  EXPECT_EQ(sim::Recorded().Launches.at(0).CommandLine, commandLine);
}

TEST_F(Processes, ProgramIsSearchedOnPathWithExeAppended) {
  const char* oldPath = std::getenv("PATH");
  std::string saved = oldPath != nullptr ? oldPath : "";
  setenv("PATH", (folder_.Path + ":" + saved).c_str(), 1);
  PROCESS_INFORMATION info;
  BOOL started = Launch(L"quick", &info);
  setenv("PATH", saved.c_str(), 1);
  ASSERT_TRUE(started);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
}

TEST_F(Processes, ToolsThatCannotStart) {
  struct Case {
    std::wstring CommandLine;
    DWORD Error;
  };
  for (const Case& c : {Case{Program("missing.exe"), ERROR_FILE_NOT_FOUND},
                        Case{L"tessiv-no-such-tool.exe modify", ERROR_FILE_NOT_FOUND},
                        Case{Program("plain.exe"), ERROR_ACCESS_DENIED}}) {
    PROCESS_INFORMATION info;
    SetLastError(0);
    EXPECT_FALSE(Launch(c.CommandLine, &info));
    EXPECT_EQ(GetLastError(), c.Error);
    EXPECT_EQ(info.hProcess, nullptr);
  }
  EXPECT_EQ(sim::Recorded().OpenHandles, 0);
}

TEST_F(Processes, InjectedFailures) {
  sim::Host host = sim::DefaultHost();
  host.Failures["CreateProcessW"] = sim::StepFailure{ERROR_NOT_ENOUGH_MEMORY, 0};
  sim::InstallHost(host);
  PROCESS_INFORMATION info;
  EXPECT_FALSE(Launch(Program("quick.exe"), &info));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
  host.Failures.clear();
  host.Failures["WaitForSingleObject"] = sim::StepFailure{ERROR_INVALID_HANDLE, 0};
  sim::InstallHost(host);
  ASSERT_TRUE(Launch(Program("quick.exe"), &info));
  EXPECT_EQ(WaitForSingleObject(info.hProcess, 5000), WAIT_FAILED);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(CloseHandle(reinterpret_cast<HANDLE>(0x77)));
}

TEST(Wsprintf, FormatsTheToolCommandLine) {
  wchar_t buffer[255];
  int length = wsprintfW(buffer, L"devadmin.exe modify tessiv dmasize=%ud  ramsize=%ud -quiet", 0u,
                         4294967295u);
  EXPECT_EQ(std::wstring(buffer),
            L"devadmin.exe modify tessiv dmasize=0d  ramsize=4294967295d -quiet");
  EXPECT_EQ(length, 65);
  wsprintfW(buffer, L"%d%% %s|%5u|%-3d|", -7, L"x", 42u, 1);
  EXPECT_EQ(std::wstring(buffer), L"-7% x|   42|1  |");
}

}  // namespace
