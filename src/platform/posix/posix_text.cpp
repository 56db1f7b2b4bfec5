// Text services of the posix build: the code page 1252 rules of text1252,
// which is what CharLowerBuffA and CompareStringA do on a Western Windows.
#include "platform/platform.h"
#include "platform/text1252.h"

namespace plat {

std::string LowerAnsi(std::string text) {
  for (char& ch : text) ch = static_cast<char>(text1252::LowerChar(static_cast<unsigned char>(ch)));
  return text;
}

bool SameText(const std::string& a, const std::string& b) { return text1252::EqualIgnoreCase(a, b); }

std::string CaseFoldedKey(const std::string& text) { return text1252::Folded(text); }

int CompareTextOrder(const std::string& a, const std::string& b) { return text1252::CompareLowerBytes(a, b); }

}  // namespace plat
