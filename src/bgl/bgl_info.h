// What a BGL scenery file is: its format version and the kinds of content it
// holds, read from its header (and, for the newer format, its section
// directory; the sections themselves are never read).
//
// May use: platform/.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

struct BglInfo {
  // 6 or 7: the older format; 9 or 10: the newer format; -2: not a BGL file
  // (also a file that cannot be opened or ends before the bytes examined).
  int32_t Version = -2;
  // Content element k present = bit k set; empty when Version is -2.
  uint32_t ContentFlags = 0;
  // Not Done when the file could not be opened or read.
  plat::FileResult Problem;
};

// Reads the file at `path` (its extension does not matter).
BglInfo ReadBglInfo(const std::string& path);
