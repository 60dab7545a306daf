#include "update/settings_update.h"

#include "platform/win32.h"

namespace {

// Room for 254 characters and the terminator; the process-creation call may write into it.
const int CommandLineCapacity = 255;

void FormatCommandLine(WCHAR (&buffer)[CommandLineCapacity], uint32_t dmaSizeMb,
                       uint32_t ramSizeMb) {
  for (WCHAR& c : buffer) c = 0;
  wsprintfW(buffer, L"devadmin.exe modify tessiv dmasize=%ud  ramsize=%ud -quiet",
            static_cast<UINT>(dmaSizeMb), static_cast<UINT>(ramSizeMb));
}

}  // namespace

std::wstring SettingsUpdateCommandLine(uint32_t dmaSizeMb, uint32_t ramSizeMb) {
  WCHAR buffer[CommandLineCapacity];
  FormatCommandLine(buffer, dmaSizeMb, ramSizeMb);
  return std::wstring(buffer);
}

bool LaunchSettingsUpdate(uint32_t dmaSizeMb, uint32_t ramSizeMb) {
  WCHAR commandLine[CommandLineCapacity];
  FormatCommandLine(commandLine, dmaSizeMb, ramSizeMb);

  STARTUPINFOW startupInfo = {};
  startupInfo.cb = sizeof startupInfo;
  PROCESS_INFORMATION process = {};

  // The result is read from the last-error value, so a value left behind by an earlier,
  // unrelated call (opening an existing log file, for one) must not decide it.
  SetLastError(ERROR_SUCCESS);
  if (!CreateProcessW(nullptr, commandLine, nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                      nullptr, &startupInfo, &process)) {
    return false;  // the last-error value says why; there are no handles to close
  }
  CloseHandle(process.hThread);

  bool terminated = false;
  const DWORD wait = WaitForSingleObject(process.hProcess, ToolWaitLimit);
  if (wait != WAIT_OBJECT_0) {
    // The wait did not see the tool end: still running at the limit, or the wait itself failed.
    DWORD exitCode = 0;
    const BOOL known = GetExitCodeProcess(process.hProcess, &exitCode);
    if (wait == WAIT_TIMEOUT || !known || exitCode == STILL_ACTIVE) {
      TerminateProcess(process.hProcess, 0);
      terminated = true;
    }
  }
  const DWORD lastError = GetLastError();
  CloseHandle(process.hProcess);
  // A tool killed part way may have applied half its settings: that is never a success.
  return !terminated && lastError == ERROR_SUCCESS;
}
