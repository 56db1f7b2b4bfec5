// The usage text, printed for a command that is not valid.
//
// May use: every folder of src/ (never the host's headers).
#pragma once

namespace app {

void PrintUsage();

}  // namespace app
