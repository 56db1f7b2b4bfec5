// The registry of the Wine prefix, read from user.reg (HKEY_CURRENT_USER)
// and system.reg (HKEY_LOCAL_MACHINE) once per process.  Nothing is ever
// written to it.
#include <errno.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <optional>
#include <string>

#include "platform/posix/posix_internal.h"
#include "platform/simulator_keys.h"
#include "platform/text_encoding.h"
#include "formats/wine_registry_file.h"

namespace plat::posix {
namespace {

struct LoadedHive {
  std::string File;  // the host path it was read from
  winereg::Hive Keys;
  std::string Problem;  // why the file could not be read; empty when it could, or is missing
  bool Missing = false;      // there is no such file
  bool WithoutHeader = false;  // it has text, but not Wine's header line (so no keys)
};

std::optional<LoadedHive>& Slot(RegRoot root) {
  static std::optional<LoadedHive> user, machine;
  return root == RegRoot::CurrentUser ? user : machine;
}

// The bytes of the host file `file`; a missing file is empty.  Anything else
// that keeps it from being read is told in `problem`.
std::string ReadHiveFile(const std::string& file, std::string& problem, bool& missing) {
  std::string bytes;
  bool opened = false;
  const int error = ReadHostFile(file, bytes, opened);
  missing = error == ENOENT || error == ENOTDIR;
  if (error == EISDIR) problem = file + " is a folder, not a registry file";
  else if (!opened && error != ENOENT && error != ENOTDIR) problem = file + ": " + ResultOfErrno(error).Cause;
  else if (opened && error != 0) problem = "cannot read " + file + ": " + ResultOfErrno(error).Cause;
  return bytes;
}

// The hive of `file` for `root`, read once: again only when another file is
// asked for (the user hive of a prefix looked at before one was chosen).  A
// file that cannot be read holds no keys, and the reason is kept.
const LoadedHive& LoadHive(RegRoot root, const std::string& file) {
  std::optional<LoadedHive>& slot = Slot(root);
  if (!slot || slot->File != file) {
    std::string problem;
    bool missing = false;
    const std::string bytes = ReadHiveFile(file, problem, missing);
    slot = LoadedHive{file, winereg::Hive::Parse(bytes), problem, missing};
    // Text with Wine's header holds at least the root key.
    slot->WithoutHeader = !bytes.empty() && slot->Keys.KeyCount() == 0;
  }
  return *slot;
}

// The hive of the prefix served.
const LoadedHive& LoadHive(RegRoot root) {
  return LoadHive(root, PrefixPath() + (root == RegRoot::CurrentUser ? "/user.reg" : "/system.reg"));
}

const winereg::Hive& HiveOf(RegRoot root) { return LoadHive(root).Keys; }

// Key paths are relative to the root; a leading backslash is passed over.
std::string_view KeyPath(const std::string& subKey) {
  std::string_view path = subKey;
  while (!path.empty() && path.front() == '\\') path.remove_prefix(1);
  return path;
}

}  // namespace

bool PrefixRegistersSimulator(const std::string& prefix) {
  const winereg::Hive& hive = LoadHive(RegRoot::CurrentUser, prefix + "/user.reg").Keys;
  for (const char* key : simkeys::kAll) {
    const winereg::Value* appPath = hive.FindValue(key, simkeys::kAppPathValue);
    // As the install locator reads it: the text up to its first NUL.
    if (appPath && appPath->IsString && !appPath->Text.empty() && appPath->Text[0] != u'\0')
      return true;
  }
  return false;
}

void ResetRegistryCache() {
  Slot(RegRoot::CurrentUser).reset();
  Slot(RegRoot::LocalMachine).reset();
}

}  // namespace plat::posix

namespace plat {

FileResult RegistryProblem(RegRoot root) {
  const std::string& problem = posix::LoadHive(root).Problem;
  if (problem.empty()) return {};
  return {FileOutcome::OtherFault, problem};
}

std::string RegistryPlaceProblem() {
  const std::string& prefix = posix::PrefixPath();
  const char* named = ::getenv("WINEPREFIX");
  const std::string which =
      "the Wine prefix " + encoding::ToValidUtf8(prefix) + (named && *named ? " (WINEPREFIX)" : "");
  const std::string remedy = "; set WINEPREFIX to the Wine prefix that holds the simulator";
  struct stat st;
  if (::stat(prefix.c_str(), &st) != 0) return which + " does not exist" + remedy;
  if (!S_ISDIR(st.st_mode)) return which + " is not a folder" + remedy;
  if (posix::LoadHive(RegRoot::CurrentUser).Missing)
    return which +
           " has no user.reg: it is empty or no Wine prefix (Wine writes user.reg when it first "
           "runs in it)" + remedy;
  for (RegRoot root : {RegRoot::CurrentUser, RegRoot::LocalMachine}) {
    const posix::LoadedHive& hive = posix::LoadHive(root);
    if (hive.WithoutHeader)
      return encoding::ToValidUtf8(hive.File) +
             " is not a Wine registry file: its first line is not 'WINE REGISTRY Version 2', so "
             "nothing in it is read; put back the file Wine wrote";
  }
  return std::string();
}

std::string RegistryPlaceName() {
  return "the Wine prefix " + encoding::ToValidUtf8(posix::PrefixPath());
}

bool RegKeyExists(RegRoot root, const std::string& subKey) {
  return posix::HiveOf(root).HasKey(posix::KeyPath(subKey));
}

FileResult RegReadString(RegRoot root, const std::string& subKey, const std::string& valueName,
                         std::string& value) {
  const winereg::Value* found = posix::HiveOf(root).FindValue(posix::KeyPath(subKey), valueName);
  if (!found) return {FileOutcome::Missing, "no such key or value"};
  if (!found->IsString) return {FileOutcome::WrongKind, "the value is not a string"};
  std::u16string_view text = found->Text;
  text = text.substr(0, text.find(u'\0'));
  value = encoding::FromUtf16(text);
  return {};
}

}  // namespace plat
