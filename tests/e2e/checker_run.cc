#include "checker_run.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

// In the child: sets up the streams and the folder, then becomes the program. Never returns.
[[noreturn]] void BecomeProgram(const RunRequest& request, std::vector<char*>& argv,
                                std::vector<char*>& envp) {
  setpgid(0, 0);
  const char* stdinPath = request.StdinPath.empty() ? "/dev/null" : request.StdinPath.c_str();
  int in = open(stdinPath, O_RDONLY);
  int out = open(request.StdoutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  int err = open(request.StderrPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (in < 0 || out < 0 || err < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) {
    _exit(126);
  }
  close(in);
  close(out);
  close(err);
  if (chdir(request.WorkingDirectory.c_str()) != 0) _exit(126);
  execve(request.Program.c_str(), argv.data(), envp.data());
  _exit(127);
}

void SleepMilliseconds(long milliseconds) {
  timespec pause;
  pause.tv_sec = milliseconds / 1000;
  pause.tv_nsec = (milliseconds % 1000) * 1000000L;
  nanosleep(&pause, nullptr);
}

}  // namespace

RunResult RunProgram(const RunRequest& request) {
  RunResult result;
  if (access(request.Program.c_str(), X_OK) != 0) {
    result.Problem = "the program " + request.Program + " is missing or not executable";
    return result;
  }
  std::vector<std::string> argumentCopies;
  argumentCopies.push_back(request.Program);
  argumentCopies.insert(argumentCopies.end(), request.Arguments.begin(), request.Arguments.end());
  std::vector<std::string> environmentCopies = request.Environment;
  std::vector<char*> argv;
  for (std::string& argument : argumentCopies) argv.push_back(&argument[0]);
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (std::string& variable : environmentCopies) envp.push_back(&variable[0]);
  envp.push_back(nullptr);

  pid_t child = fork();
  if (child < 0) {
    result.Problem = std::string("fork failed: ") + std::strerror(errno);
    return result;
  }
  if (child == 0) BecomeProgram(request, argv, envp);
  setpgid(child, child);
  result.Started = true;

  const long kPollMilliseconds = 5;
  long waited = 0;
  int status = 0;
  for (;;) {
    pid_t done = waitpid(child, &status, WNOHANG);
    if (done == child) break;
    if (done < 0 && errno != EINTR) {
      result.Problem = std::string("waitpid failed: ") + std::strerror(errno);
      return result;
    }
    if (waited >= request.TimeLimitSeconds * 1000L) {
      result.TimedOut = true;
      kill(-child, SIGKILL);
      kill(child, SIGKILL);
      waitpid(child, &status, 0);
      return result;
    }
    SleepMilliseconds(kPollMilliseconds);
    waited += kPollMilliseconds;
  }
  // A stand-in tool the checker left running must not outlive the case.
  kill(-child, SIGKILL);
  if (WIFEXITED(status)) {
    result.Exited = true;
    result.ExitCode = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    result.Signal = WTERMSIG(status);
  }
  return result;
}

bool ReadWholeFile(const std::string& path, std::string* content) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  std::ostringstream bytes;
  bytes << file.rdbuf();
  *content = bytes.str();
  return true;
}

bool WriteWholeFile(const std::string& path, const std::string& content, bool executable) {
  std::error_code ignored;
  std::filesystem::path parent = std::filesystem::path(path).parent_path();
  if (!parent.empty()) std::filesystem::create_directories(parent, ignored);
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) return false;
  file << content;
  file.close();
  if (!file) return false;
  return !executable || chmod(path.c_str(), 0755) == 0;
}
