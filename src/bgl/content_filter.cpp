// The content filter: which content elements each of its 14 bits selects.
#include "bgl/content_filter.h"

namespace {

// Content elements selected by each bit of the user's filter, lowest bit first.
constexpr uint32_t Elements(int a, int b = -1) {
  return (uint32_t{1} << a) | (b >= 0 ? uint32_t{1} << b : 0);
}
constexpr uint32_t kFilterBitElements[14] = {
    Elements(4, 14),   // 1     airport/facilities
    Elements(0, 15),   // 2     VOR
    Elements(6, 16),   // 4     NDB
    Elements(2, 21),   // 8     static scenery
    Elements(7),       // 16    dynamic scenery (FS6/7)
    Elements(3, 23),   // 32    model/library
    Elements(1),       // 64    seeds (FS6)
    Elements(8),       // 128   miscellaneous (FS6/7)
    Elements(11, 24),  // 256   exclusion
    Elements(17),      // 512   FS9 marker
    Elements(19),      // 1024  FS9/10 waypoint
    Elements(13),      // 2048  FS9/10 traffic
    Elements(12),      // 4096  VTP/LWM/LC/photo terrain
    Elements(26),      // 8192  FS10 vector
};

}  // namespace

uint32_t FilterToContentFlags(int32_t filter) {
  uint32_t flags = 0;
  for (int bit = 0; bit < 14; ++bit)
    if ((filter & (int32_t{1} << bit)) != 0) flags |= kFilterBitElements[bit];
  return flags;
}

bool ContentFlagsMatch(uint32_t flags, uint32_t mask) { return (flags & mask) != 0; }
