// The log file: CreateFileW and WriteFile on a real file of this host.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/sim/sim_state.h"

namespace {
const DWORD kFileWriteData = 0x0002;  // FILE_WRITE_DATA: write anywhere in the file
}  // namespace

namespace {

DWORD ErrorFromErrno(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      return ERROR_PATH_NOT_FOUND;
    case ENAMETOOLONG:
      return ERROR_INVALID_NAME;
    case ENOSPC:
    case EDQUOT:
      return ERROR_DISK_FULL;
    case EBADF:
      return ERROR_INVALID_HANDLE;
    default:  // EACCES, EPERM, EROFS, EISDIR (a folder cannot be opened as a file), ...
      return ERROR_ACCESS_DENIED;
  }
}

}  // namespace

HANDLE CreateFileW(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                   DWORD disposition, DWORD flags, HANDLE templateFile) {
  sim::State& state = sim::Current();
  sim::AddEvent("CreateFileW");
  // Each wide character is one character of the POSIX path; a backslash stays a backslash.
  std::string path = sim::WideToUtf8(name);
  state.Log.FilesOpened.push_back(path + " access=" + sim::Hex(access) + " share=" +
                                  sim::Hex(share) + " disposition=" + std::to_string(disposition));
  (void)security;
  (void)flags;
  (void)templateFile;
  if (const sim::StepFailure* failure = sim::FindFailure("CreateFileW")) {
    SetLastError(static_cast<DWORD>(failure->Code));
    return INVALID_HANDLE_VALUE;
  }
  if (path.empty()) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  if (disposition != OPEN_ALWAYS) {
    sim::AddMisuse("CreateFileW with a disposition other than OPEN_ALWAYS is not simulated");
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  // Windows makes every write go to the end only for a handle that may append but not write
  // data in place; with GENERIC_WRITE the writes start at the beginning of the file.
  bool appendOnly =
      (access & FILE_APPEND_DATA) != 0 && (access & (GENERIC_WRITE | kFileWriteData)) == 0;
  int mode = O_WRONLY | O_CLOEXEC | (appendOnly ? O_APPEND : 0);
  bool existed = false;
  int fd = open(path.c_str(), mode | O_CREAT | O_EXCL, 0666);
  if (fd < 0 && errno == EEXIST) {
    existed = true;
    fd = open(path.c_str(), mode);
  }
  if (fd < 0) {
    SetLastError(ErrorFromErrno(errno));
    return INVALID_HANDLE_VALUE;
  }
  sim::HandleEntry entry;
  entry.HandleKind = sim::HandleEntry::File;
  entry.Fd = fd;
  HANDLE handle = sim::AddHandle(entry);
  // OPEN_ALWAYS tells whether the file was there already, through the last-error value.
  SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return handle;
}

BOOL WriteFile(HANDLE file, const void* buffer, DWORD length, LPDWORD written,
               LPOVERLAPPED overlapped) {
  sim::State& state = sim::Current();
  sim::AddEvent("WriteFile");
  if (written != nullptr) *written = 0;
  if (written == nullptr && overlapped == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  sim::HandleEntry* entry = sim::FindHandle(file);
  if (entry == nullptr || entry->HandleKind != sim::HandleEntry::File) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  // A full disk part way: the run's writes together reach the planned number of bytes, and
  // then every write fails.
  DWORD allowed = length;
  const sim::StepFailure* failure = sim::FindFailure("WriteFile");
  if (failure != nullptr) {
    uint64_t room = failure->After > state.BytesWritten ? failure->After - state.BytesWritten : 0;
    if (room < allowed) allowed = static_cast<DWORD>(room);
  }
  const char* bytes = static_cast<const char*>(buffer);
  DWORD done = 0;
  while (done < allowed) {
    ssize_t count = write(entry->Fd, bytes + done, allowed - done);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) {
      SetLastError(ErrorFromErrno(errno));
      state.BytesWritten += done;
      if (written != nullptr) *written = done;
      return FALSE;
    }
    done += static_cast<DWORD>(count);
  }
  state.BytesWritten += done;
  if (written != nullptr) *written = done;
  if (done < length) {
    SetLastError(static_cast<DWORD>(failure->Code));
    return FALSE;
  }
  return TRUE;
}
