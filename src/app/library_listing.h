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
// May use: every folder of src/ (never the host's headers).
#pragma once

#include <functional>
#include <string>

#include "scenery/library.h"

namespace app {

// The listing of `library`, lines ending in CR LF, handed to `emit` in
// pieces of whole lines, in order.  Looks at the disk for each area that is
// not required.
void ListLibrary(const SceneryLibrary& library, const std::function<void(const std::string&)>& emit);
// The whole listing at once.
std::string LibraryListing(const SceneryLibrary& library);
// Writes it to standard output.
void PrintLibraryListing(const SceneryLibrary& library);

}  // namespace app
