// Registry reading of the Windows build: RegOpenKeyExW, RegQueryValueExW,
// RegCloseKey, read access only; names and values converted from and to the
// program's text (UTF-8).
#include "platform/platform.h"
#include "platform/win32/win32_util.h"

#include <algorithm>
#include <vector>

namespace plat {

namespace {

HKEY RootKey(RegRoot root) {
  return root == RegRoot::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

// An open key that closes itself.
class OpenKey {
 public:
  OpenKey(RegRoot root, const std::string& subKey) {
    if (RegOpenKeyExW(RootKey(root), win32::Wide(subKey).c_str(), 0, KEY_READ, &key_) !=
        ERROR_SUCCESS)
      key_ = nullptr;
  }
  ~OpenKey() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  OpenKey(const OpenKey&) = delete;
  OpenKey& operator=(const OpenKey&) = delete;
  HKEY Get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

}  // namespace

// The Windows registry is always there to be read.
FileResult RegistryProblem(RegRoot) { return {}; }

bool RegKeyExists(RegRoot root, const std::string& subKey) {
  OpenKey key(root, subKey);
  return key.Get() != nullptr;
}

FileResult RegReadString(RegRoot root, const std::string& subKey, const std::string& valueName,
                         std::string& value) {
  const FileResult notFound = {FileOutcome::Missing, "no such key or value"};
  const FileResult notString = {FileOutcome::WrongKind, "the value is not a string"};
  OpenKey key(root, subKey);
  if (key.Get() == nullptr) return notFound;
  const std::wstring name = win32::Wide(valueName);
  // The value may grow between the size query and the read: retry then.
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD type = 0;
    DWORD size = 0;
    LONG status = RegQueryValueExW(key.Get(), name.c_str(), nullptr, &type, nullptr, &size);
    if (status == ERROR_FILE_NOT_FOUND) return notFound;
    if (status != ERROR_SUCCESS && status != ERROR_MORE_DATA) return notFound;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return notString;
    std::vector<wchar_t> data(size / sizeof(wchar_t) + 1, L'\0');
    DWORD got = size;
    status = RegQueryValueExW(key.Get(), name.c_str(), nullptr, &type,
                              reinterpret_cast<BYTE*>(data.data()), &got);
    if (status == ERROR_MORE_DATA) continue;
    if (status != ERROR_SUCCESS) return notFound;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return notString;
    std::wstring text(data.data(), std::min<size_t>(got / sizeof(wchar_t), data.size()));
    size_t nul = text.find(L'\0');
    if (nul != std::wstring::npos) text.resize(nul);
    value = win32::Narrow(text);
    return {};
  }
  return notFound;
}

std::vector<std::string> InstallSearchNotes() { return {}; }

std::string RegistryPlaceProblem() { return std::string(); }

std::string RegistryPlaceName() { return "the registry"; }

}  // namespace plat
