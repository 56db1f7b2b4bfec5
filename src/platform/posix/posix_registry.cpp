// The registry of the Wine prefix, read from user.reg (HKEY_CURRENT_USER)
// and system.reg (HKEY_LOCAL_MACHINE) once per process.  Nothing is ever
// written to it.
#include <fstream>
#include <iterator>
#include <optional>

#include "platform/posix/posix_internal.h"
#include "platform/text1252.h"
#include "platform/winereg.h"

namespace plat::posix {
namespace {

std::optional<winereg::Hive>& Slot(RegRoot root) {
  static std::optional<winereg::Hive> user, machine;
  return root == RegRoot::CurrentUser ? user : machine;
}

const winereg::Hive& HiveOf(RegRoot root) {
  std::optional<winereg::Hive>& slot = Slot(root);
  if (!slot) {
    std::string file =
        PrefixPath() + (root == RegRoot::CurrentUser ? "/user.reg" : "/system.reg");
    std::string bytes;
    std::ifstream in(file, std::ios::binary);
    if (in) bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) bytes.clear();  // an unreadable file holds no keys
    slot = winereg::Hive::Parse(bytes);
  }
  return *slot;
}

// Key paths are relative to the root; a leading backslash is passed over.
std::string_view KeyPath(const std::string& subKey) {
  std::string_view path = subKey;
  while (!path.empty() && path.front() == '\\') path.remove_prefix(1);
  return path;
}

}  // namespace

void ResetRegistryCache() {
  Slot(RegRoot::CurrentUser).reset();
  Slot(RegRoot::LocalMachine).reset();
}

}  // namespace plat::posix

namespace plat {

bool RegKeyExists(RegRoot root, const std::string& subKey) {
  return posix::HiveOf(root).HasKey(posix::KeyPath(subKey));
}

RegResult RegReadString(RegRoot root, const std::string& subKey, const std::string& valueName,
                        std::string& value) {
  const winereg::Value* found = posix::HiveOf(root).FindValue(posix::KeyPath(subKey), valueName);
  if (!found) return RegResult::NotFound;
  if (!found->IsString) return RegResult::WrongType;
  std::u16string_view text = found->Text;
  text = text.substr(0, text.find(u'\0'));
  value = text1252::FromUtf16(text);
  return RegResult::Ok;
}

}  // namespace plat
