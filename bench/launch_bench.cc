// How long one launch of the management tool takes: with a stand-in that ends at once, and with
// one that hangs until the wait limit ends it. Prints figures only.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "update/settings_update.h"

namespace {

const int QuickRuns = 20;
const int HangingRuns = 3;

bool WriteStandIn(const std::string& body) {
  const char* path = "devadmin.exe";
  FILE* file = std::fopen(path, "w");
  if (file == nullptr) return false;
  std::fprintf(file, "#!/bin/sh\n%s\n", body.c_str());
  std::fclose(file);
  return chmod(path, 0755) == 0;
}

// Milliseconds of each launch, and how many of them reported success.
std::vector<double> TimeLaunches(int runs, int* succeeded) {
  std::vector<double> times;
  *succeeded = 0;
  for (int i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    const bool ok = LaunchSettingsUpdate(256, 3584);
    const auto end = std::chrono::steady_clock::now();
    times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    if (ok) ++*succeeded;
  }
  return times;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void PrintFigures(const char* what, const std::vector<double>& times, int succeeded,
                  const char* goal) {
  std::printf("%s: %zu runs, median %.1f ms, min %.1f ms, max %.1f ms, %d reported success (%s)\n",
              what, times.size(), Median(times), *std::min_element(times.begin(), times.end()),
              *std::max_element(times.begin(), times.end()), succeeded, goal);
}

}  // namespace

int main() {
  char folder[] = "/tmp/tessiv-bench-XXXXXX";
  if (mkdtemp(folder) == nullptr || chdir(folder) != 0) {
    std::fprintf(stderr, "cannot make a folder for the stand-in tools\n");
    return 1;
  }

  int succeeded = 0;
  if (!WriteStandIn("exit 0")) return 1;
  std::vector<double> quick = TimeLaunches(QuickRuns, &succeeded);
  PrintFigures("tool that ends at once", quick, succeeded, "goal: under 20 ms");

  if (!WriteStandIn("exec sleep 30")) return 1;
  std::vector<double> hanging = TimeLaunches(HangingRuns, &succeeded);
  PrintFigures("tool that hangs", hanging, succeeded, "expected: 5000 ms give or take 50");
  for (size_t i = 0; i < hanging.size(); ++i) {
    std::printf("  hanging run %zu: %.1f ms\n", i + 1, hanging[i]);
  }

  unlink("devadmin.exe");
  if (chdir("/") == 0) rmdir(folder);
  return 0;
}
