// The user's content filter of "-v-" and "-v+" (14 bits, one per kind of
// content named in the usage text) and the content elements of BglInfo it
// selects.
//
// May use: the standard library only.
#pragma once

#include <cstdint>

// The set of content elements the filter's bits select; bits above 8192 are
// not looked at.
uint32_t FilterToContentFlags(int32_t filter);
// True when the two masks share at least one element.
bool ContentFlagsMatch(uint32_t flags, uint32_t mask);
