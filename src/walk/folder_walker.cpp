// The plain folder walk and the attribute filters of listings.
#include "walk/folder_walker.h"

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

bool PassesFilter(const plat::DirEntry& entry, uint32_t filter) {
  return (entry.Info.Attributes & kFilterableBits & ~filter) == 0;
}

std::vector<plat::DirEntry> ListEntries(const std::string& pattern, uint32_t filter) {
  std::vector<plat::DirEntry> entries;
  (void)plat::FindEntries(pattern, entries);
  entries.erase(std::remove_if(entries.begin(), entries.end(),
                               [filter](const plat::DirEntry& e) { return !PassesFilter(e, filter); }),
                entries.end());
  return entries;
}

void FolderWalker::WalkFiles(const std::string& folder, const std::string& mask) {
  for (const plat::DirEntry& entry : ListEntries(folder + mask, kFilterFiles))
    ProcessFile(folder, entry.Name);
}

void FolderWalker::WalkTree(const std::string& folder, const std::string& mask) {
  const std::string lower = plat::LowerCase(folder);
  if (std::find(SkipFolders.begin(), SkipFolders.end(), lower) != SkipFolders.end()) return;
  WalkFiles(lower, mask);

  // Only the names of the sub-folders are kept while the walk goes deeper.
  std::vector<std::string> folders;
  std::vector<plat::DirEntry> found;
  (void)plat::FindFolders(lower + "*.*", found);
  for (plat::DirEntry& entry : found) {
    if (!PassesFilter(entry, kFilterFolders) || IsFolderLink(entry)) continue;
    if (!entry.Name.empty() && entry.Name[0] == '.') continue;
    folders.push_back(std::move(entry.Name));
  }
  for (const std::string& name : folders) WalkTree(lower + name + "\\", mask);
}
