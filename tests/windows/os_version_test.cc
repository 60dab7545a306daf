// The operating-system version as the real GetVersionExW gives it.
#include "probes/os_version.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/win32.h"

namespace {

// The older GetVersion call keeps the major version in its lowest byte, and takes no record
// whose size could be refused: a second opinion on what the extended record should report.
TEST(OsVersionTest, MatchesTheMajorVersionOfGetVersion) {
  DWORD legacy = GetVersion();
  EXPECT_EQ(legacy & 0xFF, QueryOsMajorVersion());
}

// A run for a given Windows version (a Wine prefix set to XP) names the major version it
// expects; elsewhere the version is whatever the machine has.
TEST(OsVersionTest, IsTheVersionTheMachineWasSetTo) {
  const char* expected = std::getenv("TESSIV_EXPECTED_OS_MAJOR");
  if (expected == nullptr) GTEST_SKIP() << "TESSIV_EXPECTED_OS_MAJOR not set";
  EXPECT_EQ(std::strtoul(expected, nullptr, 10), QueryOsMajorVersion());
}

}  // namespace
