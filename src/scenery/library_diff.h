// What changed between two states of a library, area by area: areas are
// matched by their folder, compared as the program compares folders
// (folder_match.h), the first area of a folder in one state with the first
// of that folder in the other, and so on.  Areas only in the later state
// were added, those only in the earlier one removed; the others changed
// when their layer, state (on/off), title or folder text differ.
//
// May use: base/, platform/ and the rest of scenery/.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "scenery/library.h"

// What a line of a difference tells of one area.
struct AreaFacts {
  std::string Title;
  std::string Folder;  // as scenery.cfg spells it
  int32_t Layer = 0;
  bool Active = false;
};

struct AreaChange {
  enum class Kind { Added, Removed, Changed };
  Kind What = Kind::Changed;
  AreaFacts Before;  // the earlier state's area (not for Added)
  AreaFacts After;   // the later state's area (not for Removed)
};

struct LibraryDiff {
  // The added areas in the later state's order, the removed ones in the
  // earlier state's, then the changed ones in the later state's.
  std::vector<AreaChange> Changes;
  size_t Added = 0;
  size_t Removed = 0;
  size_t Changed = 0;
};

// The areas of `before` against those of `after`; relative folders are
// below `simulatorFolder` (ending in a backslash).
LibraryDiff CompareLibraries(const SceneryLibrary& before, const SceneryLibrary& after,
                             const std::string& simulatorFolder);

// "3 added, 1 removed, 2 changed".
std::string DiffCountText(const LibraryDiff& diff);
// The line (without the leading blank) that tells one change:
//   added    Addon Scenery\Harbour: layer 7, on, "Harbour"
//   removed  Addon Scenery\Old: layer 5, off, "Old Mesh"
//   changed  Addon Scenery\Pier: layer 6 -> 7, on -> off, title "Pier" -> "Pier 2"
std::string ChangeLine(const AreaChange& change);
