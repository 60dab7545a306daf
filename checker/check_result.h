// The run's result code, which is also its exit status.
#pragma once

#include <cstdint>

typedef int32_t CheckResult;

const CheckResult OverlapResult = -1;
const CheckResult MoreThanAvailableResult = -2;
const CheckResult NotInstalledResult = -3;
const CheckResult UnsupportedSystemResult = -4;
const CheckResult ZeroSizeResult = -5;
const CheckResult UpdateFailedResult = -6;
const CheckResult UnrecognisedArgumentResult = -7;
