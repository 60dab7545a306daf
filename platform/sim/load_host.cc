// Loading the host that a process of the checker runs on, named by TESSIV_HOST.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/sim/sim_state.h"

namespace sim {

namespace {

bool ReadWholeFile(const std::string& path, std::string* text, std::string* error) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    *error = std::strerror(errno);
    return false;
  }
  char chunk[4096];
  size_t count;
  while ((count = std::fread(chunk, 1, sizeof chunk, file)) > 0) text->append(chunk, count);
  bool failed = std::ferror(file) != 0;
  int readError = errno;
  std::fclose(file);
  if (failed) *error = std::strerror(readError);
  return !failed;
}

}  // namespace

bool LoadHostFromEnvironment() {
  const char* path = std::getenv("TESSIV_HOST");
  if (path == nullptr || path[0] == 0) {
    InstallHost(DefaultHost());
    return true;
  }
  std::string text, error;
  if (!ReadWholeFile(path, &text, &error)) {
    std::fprintf(stderr, "TessivMemoryChecker: host file %s: cannot be read: %s\n", path,
                 error.c_str());
    return false;
  }
  Host host;
  if (!ParseHostText(text, path, &host, &error)) {
    std::fprintf(stderr, "TessivMemoryChecker: host file %s\n", error.c_str());
    return false;
  }
  InstallHost(host);
  return true;
}

}  // namespace sim
