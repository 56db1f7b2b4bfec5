// Classification of BGL scenery files by format version and content.
#pragma once

#include <cstdint>
#include <string>

// Reads one file's header (and, for the newer format, its section directory)
// in the constructor; afterwards `Version` and `ContentFlags` are only read.
class TFS_BGLContentObj {
 public:
  explicit TFS_BGLContentObj(const std::string& FileName);

  // 6 or 7: the older format; 9 or 10: the newer format; -2: not a BGL file
  // (also a file that cannot be opened or ends before the bytes examined).
  int32_t Version = -2;
  // Content element k present = bit k set; empty when Version is -2.
  uint32_t ContentFlags = 0;
};
