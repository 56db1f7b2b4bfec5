// The configuration check of "-x": reports areas whose folder is missing or
// whose layer number is out of range, and can remove them.  On a simulator
// that stacks add-on packages too, it then reports each package's scenery
// component whose folder (or its "scenery" sub-folder) is missing, on a line
// of its own: " not found! - ", the component's layer number or "top", ": ",
// its folder, "  package " and the package's add-on.xml; and each package a
// package list names whose folder is gone: " not found! - package: ", its
// folder, "  listed in " and the list's add-ons.cfg.  Packages are never
// changed, whatever autoremove says.  There a layer number above the count
// is no fault: installers leave numbers free for the packages.
//
// May use: every folder of src/ (never the host's headers).
#pragma once

#include "scenery/library.h"

namespace app {

// The packages' problems are told to `packageNotes`, else to library.Report.
void CheckSceneryConfig(SceneryLibrary& library, bool autoRemove, Notices* packageNotes = nullptr);

}  // namespace app
