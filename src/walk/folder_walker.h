// The recursive folder walk in its plain form, and the attribute filters of
// its listings.  TreeWalker (tree_walker.h) specialises it for the scenery
// tree operations through its three virtual operations.
//
// May use: platform/.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

// Attribute filters of a listing: an entry is dropped when it carries one of
// the bits hidden, system or folder that the filter does not contain.
constexpr uint32_t kFilterFiles = 47;    // every entry that is not a folder
constexpr uint32_t kFilterFolders = 16;  // neither hidden nor system
constexpr uint32_t kFilterAll = 63;      // every entry

// True when `entry` passes `filter`.
bool PassesFilter(const plat::DirEntry& entry, uint32_t filter);

// The entries of `pattern` (a folder followed by a wildcard mask) that pass
// `filter`, in listing order.
std::vector<plat::DirEntry> ListEntries(const std::string& pattern, uint32_t filter);

// Walks a folder tree depth-first: a folder's files first, then each
// sub-folder's whole tree.  Hidden and system folders, folders whose names
// begin with a dot, and links to folders are never entered.
class FolderWalker {
 public:
  FolderWalker() = default;
  virtual ~FolderWalker() = default;
  FolderWalker(const FolderWalker&) = delete;
  FolderWalker& operator=(const FolderWalker&) = delete;

  // Folder paths (lower case, ending in a backslash) the plain tree walk
  // does not enter.
  std::vector<std::string> SkipFolders;

  // The action on one file: `folder` ends in a backslash, `fileName` is bare.
  virtual void ProcessFile(const std::string& folder, const std::string& fileName) = 0;
  // Runs ProcessFile for every file of one folder matching `mask`.
  virtual void WalkFiles(const std::string& folder, const std::string& mask);
  // Walks `folder` and all its sub-folders.  The plain form lower-cases the
  // folder and skips SkipFolders.
  virtual void WalkTree(const std::string& folder, const std::string& mask);
};
