// Steam's list of its library folders, as its file libraryfolders.vdf
// (KeyValues text) holds it.  A pure function, so that it can be tested and
// fuzzed on any host.
//
// Since 2021 each library is a numbered block with its folder in "path":
//
//   "libraryfolders" { "0" { "path" "/home/pilot/.local/share/Steam" ... }
//                      "1" { "path" "/mnt/games/SteamLibrary" ... } }
//
// Older clients wrote the folder as the numbered entry's value itself
// ("1" "/mnt/games/SteamLibrary") beside other keys ("ContentStatsID"),
// which are passed over.
//
// May use: the standard library, format_problem and vdf.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "formats/format_problem.h"

namespace steam {

// The library folders listed in `vdfText`, in file order, as written (host
// paths).  A problem when the text is malformed or has no "libraryfolders"
// block; `folders` is then empty.
FormatProblem LibraryFolders(std::string_view vdfText, std::vector<std::string>& folders);

}  // namespace steam
