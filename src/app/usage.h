// The usage text, printed for a command that is not valid.
//
// May use: every folder of src/ (never the host's headers).
#pragma once

#include <array>

namespace app {

extern const std::array<const char*, 144> UsageLines;
void PrintUsage();

}  // namespace app
