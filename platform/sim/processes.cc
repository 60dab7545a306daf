// Child processes: CreateProcessW starts a real program of this host, found the way Windows
// finds a program named on a command line.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/sim/command_line.h"
#include "platform/sim/sim_state.h"

extern char** environ;

namespace sim {

namespace {

// Collects the child's end if it has come. True when it has ended.
bool TryReap(ChildProcess& child) {
  if (child.Reaped) return true;
  int status = 0;
  pid_t result = waitpid(child.Pid, &status, WNOHANG);
  if (result == child.Pid || (result < 0 && errno == ECHILD)) {
    child.Reaped = true;
    child.WaitStatus = result == child.Pid ? status : 0;
  }
  return child.Reaped;
}

uint64_t NowMilliseconds() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<uint64_t>(now.tv_sec) * 1000 + static_cast<uint64_t>(now.tv_nsec) / 1000000;
}

// Waits at most `milliseconds` (INFINITE: without limit) for the child to end.
bool WaitForEnd(ChildProcess& child, DWORD milliseconds) {
  uint64_t start = NowMilliseconds();
  while (!TryReap(child)) {
    if (milliseconds != INFINITE && NowMilliseconds() - start >= milliseconds) return false;
    timespec pause = {0, 1000000};  // 1 ms
    nanosleep(&pause, nullptr);
  }
  return true;
}

DWORD ExitCodeOf(const ChildProcess& child) {
  if (child.Terminated) return child.TerminationCode;
  if (WIFEXITED(child.WaitStatus)) return static_cast<DWORD>(WEXITSTATUS(child.WaitStatus));
  return 1;  // ended by a signal that TerminateProcess did not send
}

std::string FolderOfExecutable() {
  char path[4096];
  ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return std::string();
  std::string text(path, static_cast<size_t>(length));
  size_t slash = text.rfind('/');
  return slash == std::string::npos ? std::string() : text.substr(0, slash);
}

std::string CurrentFolder() {
  char path[4096];
  return getcwd(path, sizeof path) != nullptr ? std::string(path) : std::string(".");
}

bool IsRegularFile(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// Finds the program as CreateProcessW does for a command line without an application name.
// A name without a folder gets ".exe" when it has no extension, and is looked for in the
// checker's own folder, the current folder, then each folder of PATH. Returns the
// Windows error when it cannot be run.
DWORD FindProgram(const std::string& name, std::string* path) {
  if (name.empty()) return ERROR_FILE_NOT_FOUND;
  if (name.find('/') != std::string::npos) {
    *path = name;
  } else {
    std::string file = name.find('.') == std::string::npos ? name + ".exe" : name;
    std::vector<std::string> folders = {FolderOfExecutable(), CurrentFolder()};
    const char* searchPath = std::getenv("PATH");
    std::string rest = searchPath != nullptr ? searchPath : "";
    size_t start = 0;
    while (start <= rest.size()) {
      size_t colon = rest.find(':', start);
      if (colon == std::string::npos) colon = rest.size();
      if (colon > start) folders.push_back(rest.substr(start, colon - start));
      start = colon + 1;
    }
    path->clear();
    for (const std::string& folder : folders) {
      if (!folder.empty() && IsRegularFile(folder + "/" + file)) {
        *path = folder + "/" + file;
        break;
      }
    }
    if (path->empty()) return ERROR_FILE_NOT_FOUND;
  }
  struct stat info;
  if (stat(path->c_str(), &info) != 0) {
    return errno == ENOTDIR ? ERROR_PATH_NOT_FOUND : ERROR_FILE_NOT_FOUND;
  }
  if (!S_ISREG(info.st_mode) || access(path->c_str(), X_OK) != 0) return ERROR_ACCESS_DENIED;
  return ERROR_SUCCESS;
}

bool StartupInfoOtherwiseZero(const STARTUPINFOW& info) {
  return info.lpReserved == nullptr && info.lpDesktop == nullptr && info.lpTitle == nullptr &&
         info.dwX == 0 && info.dwY == 0 && info.dwXSize == 0 && info.dwYSize == 0 &&
         info.dwXCountChars == 0 && info.dwYCountChars == 0 && info.dwFillAttribute == 0 &&
         info.dwFlags == 0 && info.wShowWindow == 0 && info.cbReserved2 == 0 &&
         info.lpReserved2 == nullptr && info.hStdInput == nullptr && info.hStdOutput == nullptr &&
         info.hStdError == nullptr;
}

// Starts the program with standard streams on /dev/null and the command line in
// TESSIV_COMMAND_LINE. Returns the Windows error, ERROR_SUCCESS once the program runs.
DWORD Spawn(const std::string& path, const std::vector<std::wstring>& words,
            const std::string& commandLine, const std::string& folder, pid_t* pid) {
  // Everything the child needs is prepared here: after fork it may only exec.
  std::vector<std::string> arguments;
  for (const std::wstring& word : words) arguments.push_back(WideToUtf8(word));
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(&argument[0]);
  argv.push_back(nullptr);
  std::vector<std::string> variables;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    if (std::strncmp(*entry, "TESSIV_COMMAND_LINE=", 20) != 0) variables.push_back(*entry);
  }
  variables.push_back("TESSIV_COMMAND_LINE=" + commandLine);
  std::vector<char*> envp;
  for (std::string& variable : variables) envp.push_back(&variable[0]);
  envp.push_back(nullptr);

  // The child reports a failed exec through this pipe; a successful exec closes it.
  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0) return ERROR_NOT_ENOUGH_MEMORY;
  pid_t child = fork();
  if (child < 0) {
    close(report[0]);
    close(report[1]);
    return ERROR_NOT_ENOUGH_MEMORY;
  }
  if (child == 0) {
    int null = open("/dev/null", O_RDWR);
    if (null >= 0) {
      dup2(null, 0);
      dup2(null, 1);
      dup2(null, 2);
    }
    int error = 0;
    if (!folder.empty() && chdir(folder.c_str()) != 0) error = errno;
    if (error == 0) {
      execve(path.c_str(), argv.data(), envp.data());
      error = errno;
    }
    ssize_t ignored = write(report[1], &error, sizeof error);
    (void)ignored;
    _exit(127);
  }
  close(report[1]);
  int error = 0;
  ssize_t count;
  do {
    count = read(report[0], &error, sizeof error);
  } while (count < 0 && errno == EINTR);
  close(report[0]);
  if (count > 0) {
    waitpid(child, nullptr, 0);
    if (error == ENOEXEC) return ERROR_BAD_FORMAT;
    if (error == EACCES) return ERROR_ACCESS_DENIED;
    return ERROR_FILE_NOT_FOUND;
  }
  *pid = child;
  return ERROR_SUCCESS;
}

ChildProcess* ProcessOf(HANDLE handle, bool threadAllowed) {
  HandleEntry* entry = FindHandle(handle);
  if (entry == nullptr) return nullptr;
  bool ok = entry->HandleKind == HandleEntry::Process ||
            (threadAllowed && entry->HandleKind == HandleEntry::Thread);
  return ok ? entry->Child.get() : nullptr;
}

}  // namespace

void ReleaseChildOnClose(const std::shared_ptr<ChildProcess>& child) {
  // A killed child is gone within moments; waiting for it briefly leaves no zombie.
  if (child->Terminated) WaitForEnd(*child, 200);
  if (!TryReap(*child)) Current().Orphans.push_back(child->Pid);
}

void ReapOrphans() {
  std::vector<pid_t>& orphans = Current().Orphans;
  std::vector<pid_t> running;
  for (pid_t pid : orphans) {
    if (waitpid(pid, nullptr, WNOHANG) == 0) running.push_back(pid);
  }
  orphans = running;
}

void EndChildProcesses() {
  State& state = Current();
  for (auto& entry : state.Handles) {
    if (entry.second.HandleKind != HandleEntry::Process) continue;
    ChildProcess& child = *entry.second.Child;
    if (!TryReap(child)) {
      kill(child.Pid, SIGKILL);
      waitpid(child.Pid, nullptr, 0);
      child.Reaped = true;
    }
  }
  for (pid_t pid : state.Orphans) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }
  state.Orphans.clear();
}

}  // namespace sim

BOOL CreateProcessW(LPCWSTR applicationName, LPWSTR commandLine,
                    LPSECURITY_ATTRIBUTES processAttributes, LPSECURITY_ATTRIBUTES threadAttributes,
                    BOOL inheritHandles, DWORD creationFlags, LPVOID environment,
                    LPCWSTR currentDirectory, LPSTARTUPINFOW startupInfo,
                    LPPROCESS_INFORMATION processInformation) {
  sim::State& state = sim::Current();
  sim::AddEvent("CreateProcessW");
  sim::ReapOrphans();
  sim::LaunchCall call;
  call.ApplicationNameNull = applicationName == nullptr;
  call.CommandLine = commandLine != nullptr ? std::wstring(commandLine) : std::wstring();
  call.ProcessAttributesNull = processAttributes == nullptr;
  call.ThreadAttributesNull = threadAttributes == nullptr;
  call.InheritHandles = inheritHandles;
  call.CreationFlags = creationFlags;
  call.EnvironmentNull = environment == nullptr;
  call.CurrentDirectoryNull = currentDirectory == nullptr;
  call.StartupInfoCb = startupInfo != nullptr ? startupInfo->cb : 0;
  call.StartupInfoOtherwiseZero =
      startupInfo != nullptr && sim::StartupInfoOtherwiseZero(*startupInfo);
  state.Log.Launches.push_back(call);

  if (const sim::StepFailure* failure = sim::FindFailure("CreateProcessW")) {
    SetLastError(static_cast<DWORD>(failure->Code));
    return FALSE;
  }
  // What the checker never passes is not simulated; it fails loudly instead of being ignored.
  if (applicationName != nullptr || commandLine == nullptr || environment != nullptr ||
      startupInfo == nullptr || processInformation == nullptr) {
    sim::AddMisuse("CreateProcessW with arguments that are not simulated");
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::vector<std::wstring> words = sim::SplitCommandLine(call.CommandLine);
  std::string path;
  DWORD error = sim::FindProgram(sim::WideToUtf8(words[0]), &path);
  pid_t pid = 0;
  if (error == ERROR_SUCCESS) {
    std::string folder = currentDirectory != nullptr ? sim::WideToUtf8(currentDirectory) : "";
    error = sim::Spawn(path, words, sim::WideToUtf8(call.CommandLine), folder, &pid);
  }
  if (error != ERROR_SUCCESS) {
    SetLastError(error);
    return FALSE;
  }
  auto child = std::make_shared<sim::ChildProcess>();
  child->Pid = pid;
  sim::HandleEntry process;
  process.HandleKind = sim::HandleEntry::Process;
  process.Child = child;
  sim::HandleEntry thread = process;
  thread.HandleKind = sim::HandleEntry::Thread;
  processInformation->hProcess = sim::AddHandle(process);
  processInformation->hThread = sim::AddHandle(thread);
  processInformation->dwProcessId = static_cast<DWORD>(pid);
  processInformation->dwThreadId = static_cast<DWORD>(pid);
  // Like Windows, a successful start leaves the last-error value as it was.
  return TRUE;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  sim::State& state = sim::Current();
  sim::AddEvent("WaitForSingleObject");
  state.Log.Waits.push_back(milliseconds);
  sim::ChildProcess* child = sim::ProcessOf(handle, true);
  if (sim::FindFailure("WaitForSingleObject") != nullptr || child == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
  }
  return sim::WaitForEnd(*child, milliseconds) ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}

BOOL GetExitCodeProcess(HANDLE process, LPDWORD exitCode) {
  sim::AddEvent("GetExitCodeProcess");
  sim::ChildProcess* child = sim::ProcessOf(process, false);
  if (child == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (exitCode == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  bool ended = child->Terminated || sim::TryReap(*child);
  *exitCode = ended ? sim::ExitCodeOf(*child) : STILL_ACTIVE;
  return TRUE;
}

BOOL TerminateProcess(HANDLE process, UINT exitCode) {
  sim::State& state = sim::Current();
  sim::AddEvent("TerminateProcess");
  state.Log.Terminations.push_back(exitCode);
  sim::ChildProcess* child = sim::ProcessOf(process, false);
  if (child == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  // A process that has already ended cannot be terminated; Windows says access denied.
  if (child->Terminated || sim::TryReap(*child)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  kill(child->Pid, SIGKILL);
  child->Terminated = true;
  child->TerminationCode = exitCode;
  return TRUE;
}
