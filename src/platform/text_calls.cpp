// The text services of platform.h.  Both builds use the same pure rules
// (text_rules.h), so that the Linux build and layrix.exe match, sort and
// lower-case every text alike, whatever the Windows locale.
#include "platform/platform.h"
#include "platform/text_rules.h"

namespace plat {

std::string LowerCase(const std::string& text) { return textrules::Lower(text); }

bool SameText(const std::string& a, const std::string& b) { return textrules::EqualIgnoreCase(a, b); }

std::string CaseFoldedKey(const std::string& text) { return textrules::Folded(text); }

int CompareTextOrder(const std::string& a, const std::string& b) {
  return textrules::CompareLowerOrder(a, b);
}

}  // namespace plat
