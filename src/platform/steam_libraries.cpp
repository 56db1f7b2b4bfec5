// Reading Steam's list of library folders from libraryfolders.vdf.
#include "platform/steam_libraries.h"

#include "platform/keyvalues.h"

namespace steam {
namespace {

bool IsNumber(const std::string& text) {
  if (text.empty()) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

}  // namespace

bool LibraryFolders(std::string_view vdfText, std::vector<std::string>& folders, std::string& error) {
  folders.clear();
  std::vector<keyvalues::Entry> entries;
  if (!keyvalues::Parse(vdfText, entries, error)) return false;
  const keyvalues::Entry* list = keyvalues::Find(entries, "libraryfolders");
  if (list == nullptr || !list->IsBlock) {
    error = "it holds no \"libraryfolders\" block";
    return false;
  }
  for (const keyvalues::Entry& library : list->Children) {
    if (!IsNumber(library.Key)) continue;
    if (library.IsBlock) {
      const keyvalues::Entry* path = library.Find("path");
      if (path != nullptr && !path->IsBlock && !path->Value.empty()) folders.push_back(path->Value);
    } else if (!library.Value.empty()) {
      folders.push_back(library.Value);
    }
  }
  return true;
}

}  // namespace steam
