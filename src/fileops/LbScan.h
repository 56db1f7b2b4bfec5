// The recursive directory walker.  TFSCfgSearch (unit LbFS) specialises it
// through its three virtual operations.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

// Attribute filters of a listing: an entry is dropped when it carries one of
// the bits hidden, system or folder that the filter does not contain.
constexpr uint32_t kFilterFiles = 47;    // every entry that is not a folder
constexpr uint32_t kFilterFolders = 16;  // neither hidden nor system
constexpr uint32_t kFilterAll = 63;      // every entry

// True when `Entry` passes `Filter`.
bool PassesFilter(const plat::DirEntry& Entry, uint32_t Filter);

// The entries of `Pattern` (a folder followed by a wildcard mask) that pass
// `Filter`, in listing order.
std::vector<plat::DirEntry> ListEntries(const std::string& Pattern, uint32_t Filter);

class TFileSearchObj {
 public:
  TFileSearchObj() = default;
  virtual ~TFileSearchObj() = default;
  TFileSearchObj(const TFileSearchObj&) = delete;
  TFileSearchObj& operator=(const TFileSearchObj&) = delete;

  // Folder paths (lower case, ending in a backslash) the base class's tree
  // walk does not enter.
  std::vector<std::string> SkipFolders;

  // The action on one file: `Folder` ends in a backslash, `FileName` is bare.
  virtual void ProcessFile(const std::string& Folder, const std::string& FileName) = 0;
  // Runs ProcessFile for every file of one folder matching `Mask`.
  virtual void SearchFiles(const std::string& Folder, const std::string& Mask);
  // Walks `Folder` and all its sub-folders, depth-first.
  virtual void SearchTree(const std::string& Folder, const std::string& Mask);
};
