#include "fileops/LbScan.h"

#include <algorithm>
#include <utility>

namespace {

// The attribute bits a filter can exclude.
constexpr uint32_t kFilterableBits = plat::kAttrHidden | plat::kAttrSystem | plat::kAttrDirectory;

bool IsFolderEntry(const plat::DirEntry& entry) {
  return (entry.Info.Attributes & plat::kAttrDirectory) != 0;
}

// A symbolic link to a folder: never entered, whatever it points at.
bool IsFolderLink(const plat::DirEntry& entry) {
  return IsFolderEntry(entry) && (entry.Info.Attributes & plat::kAttrReparsePoint) != 0;
}

}  // namespace

bool PassesFilter(const plat::DirEntry& Entry, uint32_t Filter) {
  return (Entry.Info.Attributes & kFilterableBits & ~Filter) == 0;
}

std::vector<plat::DirEntry> ListEntries(const std::string& Pattern, uint32_t Filter) {
  std::vector<plat::DirEntry> entries = plat::FindEntries(Pattern);
  entries.erase(std::remove_if(entries.begin(), entries.end(),
                               [Filter](const plat::DirEntry& e) { return !PassesFilter(e, Filter); }),
                entries.end());
  return entries;
}

void TFileSearchObj::SearchFiles(const std::string& Folder, const std::string& Mask) {
  for (const plat::DirEntry& entry : ListEntries(Folder + Mask, kFilterFiles))
    ProcessFile(Folder, entry.Name);
}

void TFileSearchObj::SearchTree(const std::string& Folder, const std::string& Mask) {
  const std::string lower = plat::LowerAnsi(Folder);
  if (std::find(SkipFolders.begin(), SkipFolders.end(), lower) != SkipFolders.end()) return;
  SearchFiles(lower, Mask);

  // Only the names of the sub-folders are kept while the walk goes deeper.
  std::vector<std::string> folders;
  for (plat::DirEntry& entry : plat::FindFolders(lower + "*.*")) {
    if (!PassesFilter(entry, kFilterFolders) || IsFolderLink(entry)) continue;
    if (!entry.Name.empty() && entry.Name[0] == '.') continue;
    folders.push_back(std::move(entry.Name));
  }
  for (const std::string& name : folders) SearchTree(lower + name + "\\", Mask);
}
