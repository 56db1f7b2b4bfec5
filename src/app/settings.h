// The settings file layrix.ini in the current folder (section "Main").
//
// May use: every folder of src/ (never the host's headers).
#pragma once

#include <string>

#include "app/command_state.h"

namespace app {

// Reads layrix.ini in the current folder: ForceVersion, Simulator,
// RenameExtension, LockTimeout, History, ExitCodes.  The simulator's name is checked when the
// installation is located.
void ReadSettings(CommandState& state);
// The same from the bytes of a settings file (empty: no file).
void ApplySettings(CommandState& state, const std::string& iniBytes);

}  // namespace app
