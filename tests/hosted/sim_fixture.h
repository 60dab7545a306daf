// Puts a described machine in place of the simulated Windows host for one test.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/sim_host.h"

inline void InstallHostText(const std::string& text) {
  sim::Host host;
  std::string error;
  ASSERT_TRUE(sim::ParseHostText(text, "test.host", &host, &error)) << error;
  sim::InstallHost(host);
}

// The recorded events that release something or end COM, in order.
inline std::vector<std::string> CleanUpEvents() {
  std::vector<std::string> events;
  for (const std::string& event : sim::Recorded().Events) {
    if (event.rfind("Release ", 0) == 0 || event == "CoUninitialize") events.push_back(event);
  }
  return events;
}
