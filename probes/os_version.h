// The operating system's major version number.
#pragma once

#include <cstdint>

// 5 on Windows 2000, XP and Server 2003; 6 or more on Vista and later; 0 when the query fails.
uint32_t QueryOsMajorVersion();
