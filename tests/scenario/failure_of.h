// The failure a script run ends with, for the scenario tests.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "tools/scenario/script.h"

namespace scenario {

// Runs `run`, which must end in a ScriptFailure: its message, and its line
// in *line.
inline std::string FailureOf(const std::function<void()>& run, int* line = nullptr) {
  try {
    run();
  } catch (const ScriptFailure& failure) {
    if (line != nullptr) *line = failure.line;
    return failure.what();
  }
  ADD_FAILURE() << "no script failure";
  return {};
}

inline std::string U8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

}  // namespace scenario
