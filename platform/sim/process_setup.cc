// The process around the checker on the simulated host: the host description is loaded
// before anything else happens, and the exit status is also left in a file, since this
// host's exit statuses cannot carry a negative number.
#include "platform/process_setup.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "platform/sim/sim_state.h"

namespace {

const int kHostFileStatus = 125;  // the host file cannot be used

void WriteStatusFile(int status) {
  const char* path = std::getenv("TESSIV_HOST_STATUS");
  if (path == nullptr || path[0] == 0) return;
  FILE* file = std::fopen(path, "w");
  if (file == nullptr) return;
  std::fprintf(file, "%d\n", status);
  std::fclose(file);
}

}  // namespace

void StartPlatform() {
  if (!sim::LoadHostFromEnvironment()) {
    WriteStatusFile(kHostFileStatus);
    std::exit(kHostFileStatus);
  }
}

void FinishPlatform(int exitStatus) {
  std::fflush(stdout);
  sim::ReapOrphans();
  WriteStatusFile(exitStatus);
}

bool StandardOutputIsConsole() { return isatty(1) == 1; }

int ReadStandardInputByte() {
  int c = std::getc(stdin);
  if (c == EOF) return -1;
  // Windows text mode: a CR LF pair reads as one LF; a lone CR stays what it is.
  if (c == '\r') {
    int next = std::getc(stdin);
    if (next == '\n') return '\n';
    if (next != EOF) std::ungetc(next, stdin);
  }
  return static_cast<unsigned char>(c);
}
