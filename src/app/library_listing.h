// The listing of "-l": the scenery library as the simulator stacks it, one
// line per area from the highest layer down, with what is wrong with each.
//
// The text, every line ending in CR LF:
//   " Scenery library: " and the path of scenery.cfg;
//   one line per area, highest layer number first, areas with equal layer
//   numbers in file order: a blank, the layer number right-aligned to the
//   widest one listed, two blanks, "on " or "off", two blanks, the title
//   filled with blanks to 40 characters (a longer one is kept whole and
//   pushes the rest of its line), two blanks, the folder as stored, then,
//   each after two blanks, "required", "missing" (the folder or its
//   "scenery" sub-folder does not exist; never said of a required area) and
//   "duplicate" (an area listed above it has the same folder, ignoring
//   case).  A line never ends in blanks;
//   the counts: " N areas, N off, N missing, N duplicates" ("1 area",
//   "1 duplicate" for one).
//
// A simulator that stacks add-on packages too (Prepar3D v4 to v6) has their
// scenery components merged in, once a package list or a package is found:
// components without a layer on top, the one found last highest; the others
// among the areas by their layer number, below the areas of the same number,
// in the order found.  Such a line shows "top" or the layer number, "on " or
// "off" (the package's state), the component's name filled to 40
// characters, its folder in full, "package" and where the package was found
// (LocalAppData, AppData, ProgramData or discovered), then "missing" and
// "duplicate" as for an area (folders compared in full).  The counts then
// go on: "; N packages, N components, N off, N missing, N duplicates".
//
// May use: every folder of src/ (never the host's headers).
#pragma once

#include <functional>
#include <string>

#include "scenery/addon_packages.h"
#include "scenery/library.h"

namespace app {

// The listing of `library` with the scenery of `packages`, lines ending in
// CR LF, handed to `emit` in pieces of whole lines, in order.  Looks at the
// disk for each area that is not required and for each component.
// With `columns` (a terminal's width) every line is made to fit it
// (terminal_fit.h); 0 keeps every character.
void ListLibrary(const SceneryLibrary& library, const AddonPackages& packages,
                 const std::function<void(const std::string&)>& emit, size_t columns = 0);
// Writes the listing of `library` with `packages` to standard output,
// fitted to the width of the terminal it shows on.
void PrintLibraryListing(const SceneryLibrary& library, const AddonPackages& packages);

}  // namespace app
