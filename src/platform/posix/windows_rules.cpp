// The Windows rules the Linux build keeps: see windows_rules.h.
#include "platform/posix/windows_rules.h"

#include "platform/text_encoding.h"
#include "platform/text_rules.h"

namespace plat::posix {

FileOutcome RemovalOutcome(const struct stat& followed) {
  if (S_ISDIR(followed.st_mode)) return FileOutcome::WrongKind;
  if (!S_ISLNK(followed.st_mode) && IsReadOnlyMode(followed.st_mode)) return FileOutcome::ReadOnly;
  return FileOutcome::Done;
}

FileOutcome ReplacingOutcome(const struct stat& target) {
  if (S_ISDIR(target.st_mode)) return FileOutcome::WrongKind;
  if (IsReadOnlyMode(target.st_mode)) return FileOutcome::ReadOnly;
  return FileOutcome::Done;
}

std::u16string NameKey(const std::string& name) {
  std::u16string key = encoding::ToUtf16(name);
  for (char16_t& c : key) c = textrules::UpperUtf16(c);
  return key;
}

bool AsciiUpper(std::string_view name, std::string& upper) {
  upper.assign(name);
  for (char& c : upper) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 0x20);
  }
  return true;
}

}  // namespace plat::posix
