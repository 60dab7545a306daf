// Captures what a piece of the checker writes to standard output.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "output/standard_output.h"

template <typename Action>
std::string CaptureStandardOutput(Action action) {
  testing::internal::CaptureStdout();
  action();
  FlushStandardOutput();
  return testing::internal::GetCapturedStdout();
}
