// Reading Steam's list of library folders from libraryfolders.vdf.
#include "formats/steam_libraries.h"

#include "formats/vdf.h"

namespace steam {
namespace {

bool IsNumber(const std::string& text) {
  if (text.empty()) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

}  // namespace

FormatProblem LibraryFolders(std::string_view vdfText, std::vector<std::string>& folders) {
  folders.clear();
  std::vector<vdf::Entry> entries;
  if (FormatProblem problem = vdf::Parse(vdfText, entries)) return problem;
  const vdf::Entry* list = vdf::Find(entries, "libraryfolders");
  if (list == nullptr || !list->IsBlock) return {"it holds no 'libraryfolders' block"};
  for (const vdf::Entry& library : list->Children) {
    if (!IsNumber(library.Key)) continue;
    if (library.IsBlock) {
      const vdf::Entry* path = library.Find("path");
      if (path != nullptr && !path->IsBlock && !path->Value.empty()) folders.push_back(path->Value);
    } else if (!library.Value.empty()) {
      folders.push_back(library.Value);
    }
  }
  return {};
}

}  // namespace steam
