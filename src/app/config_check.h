// The configuration check of "-x": reports areas whose folder is missing or
// whose layer number is out of range, and can remove them.
//
// May use: every folder of src/ (never the host's headers).
#pragma once

#include "scenery/library.h"

namespace app {

void CheckSceneryConfig(SceneryLibrary& library, bool autoRemove);

}  // namespace app
