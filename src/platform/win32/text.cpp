// Text rules of the Windows build: the system's own ANSI lower-casing and
// locale comparison, and a hash key for that comparison.
#include "platform/platform.h"
#include "platform/text1252.h"
#include "platform/win32/win32_util.h"

#include <climits>

namespace plat {

namespace {

int Length(const std::string& text) {
  return text.size() > static_cast<size_t>(INT_MAX) ? INT_MAX : static_cast<int>(text.size());
}

}  // namespace

std::string LowerAnsi(std::string text) {
  // CharLowerBuffA takes a DWORD count; texts here are far below that.
  if (!text.empty()) CharLowerBuffA(text.data(), static_cast<DWORD>(text.size()));
  return text;
}

// The code page 1252 rules that CompareStringA follows on a Western Windows
// (and under Wine); SameText has the last word on every match.
std::string CaseFoldedKey(const std::string& text) { return text1252::Folded(text); }

int CompareTextOrder(const std::string& a, const std::string& b) {
  int result = CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), Length(a), b.data(),
                              Length(b));
  if (result == 0) return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
  return result - CSTR_EQUAL;
}

bool SameText(const std::string& a, const std::string& b) {
  return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), Length(a), b.data(),
                        Length(b)) == CSTR_EQUAL;
}

}  // namespace plat
