// Unit LbFS: the scenery configuration (scenery.cfg) in memory, its layer
// operations, the scenery tree operations, and installation discovery.
//
// The unit spans several files behind this header:
//   LbFS_Convert.cpp   integer and Boolean conversions of values and arguments
//   LbFS_Config.cpp    TFSScnLayer, TLayrix construction, loading and saving
//   LbFS_Layers.cpp    layer list operations
//   LbFS_Registry.cpp  TRegistry, TFSRegistry and LocateConfigFile
//   LbFS_Search.cpp    TFSCfgSearch, the walker's modes
//   LbFS_Tree.cpp      tree operations, FilterToContentFlags, ContentFlagsMatch
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "fileops/D_Datei.h"
#include "fileops/LbScan.h"
#include "platform/platform.h"
#include "profile/profile.h"

// An unexpected error: it stops the run with a report on standard error and
// exit code 1, and nothing is saved.  The message names the cause and the
// offending text.
class ELayrixError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// ------------------------------------------------------------ conversions

// Integer syntax of arguments, settings and "Layer" values: optional leading
// blanks, an optional sign, then decimal digits, or hexadecimal digits after
// "$", "0x", "0X", "x" or "X"; nothing may follow; the value must fit a
// signed 32-bit integer.  Returns false when the text is not an integer.
bool TryStrToInt(const std::string& Text, int32_t& Value);
// Boolean values of scenery.cfg: a number (non-zero is true), else "True" or
// "False" ignoring case.  Returns false when the text is neither.
bool TryStrToBool(const std::string& Text, bool& Value);

// ------------------------------------------------------------ records

class TFSScnLayer {
 public:
  TFSScnLayer(std::string ATitle, std::string ALocal, std::string ARemote, int32_t ALayer,
              bool AActive, bool ARequired, std::string AExclude);

  std::string Title;
  std::string Local;
  std::string Remote;
  std::string Exclude;
  int32_t Layer = 0;
  bool Active = false;
  bool Required = false;
};

// One entry of TLayrix::Sections: the section name as written to the file and
// its record (an entry this program creates always carries one).
struct TSectionEntry {
  std::string Name;
  std::unique_ptr<TFSScnLayer> Layer;
};

class TLayrix;

// ------------------------------------------------------------ registry

// A thin layer over the registry functions: a root key and one open key.
class TRegistry {
 public:
  virtual ~TRegistry() = default;
  void SetRootKey(plat::RegRoot Root);
  // Opens an existing key for reading (a leading backslash means "from the
  // root"); never creates it.
  bool OpenKeyReadOnly(const std::string& Key);
  bool OpenKeyNoCreate(const std::string& Key) { return OpenKeyReadOnly(Key); }
  // The string value of the open key; "" when it does not exist.  A value of
  // another type throws ELayrixError.
  std::string ReadString(const std::string& Name);

 private:
  plat::RegRoot Root_ = plat::RegRoot::CurrentUser;
  std::string CurrentKey_;
  bool Open_ = false;
};

// Reads the program folders of FS9 and FSX in its constructor.
class TFSRegistry : public TRegistry {
 public:
  TFSRegistry();

  std::string FS9Path;   // ends in a backslash; empty = not installed
  std::string FS10Path;  // the same for FSX
  bool HasVersion(int Version) const;  // 9 or 10 in InstalledVersions
  std::vector<int> InstalledVersions;
};

// ------------------------------------------------------------ the walker

// Modes of TFSCfgSearch.
constexpr int32_t ModeRemoveTree = 0;
constexpr int32_t ModeCopy = 1;
constexpr int32_t ModeScanScenery = 2;
constexpr int32_t ModeRenameBgl = 3;
constexpr int32_t ModeDeleteFiles = 4;

class TFSCfgSearch : public TFileSearchObj {
 public:
  int32_t VersionFilter = 0;
  int32_t Mode = 0;
  int32_t Overwrite = 0;
  std::string DestRoot;
  std::string SourceRoot;
  TDateTime SourceTime = 0;
  TLayrix* Owner = nullptr;
  uint32_t ContentMask = 0;

  void ProcessFile(const std::string& Folder, const std::string& FileName) override;
  void SearchFiles(const std::string& Folder, const std::string& Mask) override;
  void SearchTree(const std::string& Folder, const std::string& Mask) override;

 private:
  // Whether files' times are needed (a copy that keeps newer targets).
  bool NeedsFileTimes() const;
  // `Pattern` listed with as much of each file's facts as the mode uses.
  std::vector<plat::DirEntry> List(const std::string& Pattern) const;
  // Where a copy puts the files of source folder `Folder` (DestRoot and its
  // path relative to SourceRoot), worked out once per folder: the roots stay
  // the same for the walker's one walk.
  const std::string& CopyTargetFolder(const std::string& Folder);
  // ProcessFile for every file among `Entries` (a listing of `Folder`).
  void ProcessListedFiles(const std::string& Folder, const std::vector<plat::DirEntry>& Entries);
  // One folder of the walk: its files, then its sub-folders, each walked by
  // SearchTree.
  void WalkFolder(const std::string& Folder, const std::string& Mask);
  // A copy of `Folder` whose target folder does not exist yet: builds it
  // under a temporary name beside its place, then renames it into place
  // whole.  False when the target exists or no such folder can be made (the
  // caller then copies into the target as it is).
  bool CopyIntoNewFolder(const std::string& Folder, const std::string& Mask);

  // The entry now being processed, as the listing spelled it: the file is
  // addressed through this name, ProcessFile's lower-cased name being the
  // name it is created or renamed under.
  std::string CurrentName_;
  // The last copy target folder worked out, and its source folder.
  std::string TargetOf_;
  std::string TargetFolder_;
  // While a new target folder is being built under a temporary name: its
  // final path and the temporary one (both ending in a backslash).  Targets
  // below the final path are made below the temporary one.
  std::string StagedFinal_;
  std::string StagedAt_;
  // Set while a copy goes into existing folders only, after a new folder
  // could not be renamed into place.
  bool NoStaging_ = false;
};

// Removes the files and sub-folders of `Folder` (ending in a backslash) with
// a removal walk, then the folder itself once empty.  Read-only files, and
// the folders holding them, stay.
void RemoveFolderTree(const std::string& Folder);

// The user's 14-bit content filter as a set of content elements.
uint32_t FilterToContentFlags(int32_t Filter);
// True when the two masks share at least one element.
bool ContentFlagsMatch(uint32_t Flags, uint32_t Mask);

// ------------------------------------------------------------ configuration

class TLayrix {
 public:
  // Locates the installation (LocateConfigFile with FSVersion) and loads its
  // scenery.cfg.  Throws ELayrixError on a value that does not convert or a
  // registry value of the wrong type.
  explicit TLayrix(int32_t FSVersion);
  // An empty configuration not tied to any installation (for tests and tools).
  TLayrix() = default;
  virtual ~TLayrix() = default;
  TLayrix(const TLayrix&) = delete;
  TLayrix& operator=(const TLayrix&) = delete;

  std::string CfgFileName;
  std::string FSPath;
  std::vector<TSectionEntry> Sections;
  bool Modified = false;
  int32_t LastLayer = 0;
  // The encoding the file was read in (a byte-order mark is kept on saving).
  profile::Encoding FileEncoding = profile::Encoding::Ansi;

  // Installation discovery: the full path of scenery.cfg, or empty; sets FSPath.
  std::string LocateConfigFile(int32_t FSVersion);

  // Loading and saving.
  void LoadFromFile(const std::string& FileName);        // throws ELayrixError
  void LoadFromText(const std::string& Bytes);           // the same, from bytes
  std::string SaveToText() const;                        // the written form
  // 0 = written; -1 = the backup copy failed and nothing was written.  A file
  // that cannot be written throws ELayrixError naming it; the old file stays.
  int SaveToFile(const std::string& FileName, bool Backup);

  // Layer list operations.
  int32_t FindLayerByPath(std::string& Path, bool Activate);
  int32_t FindLayerByTitle(const std::string& Title, bool Activate);
  void SortLayers();
  void MoveLayerDown(int32_t Layer);
  void MoveLayerUp(int32_t Layer);
  void InsertLayer(const std::string& Path, const std::string& Title, int32_t Layer);
  bool DeleteLayer(int32_t Layer);
  bool DeleteLayerByTitle(const std::string& Title);
  void DeleteInactiveLayers();
  void ActivateLayer(int32_t Layer);
  void ToggleLayer(int32_t Layer);
  static std::string AreaSectionName(int32_t Number);
  int32_t NextFreeAreaNumber() const;
  int32_t IndexOfLayer(int32_t Layer);
  void CloseLayerGap(int32_t Layer);
  // Removes the entry at a list position as the deletions do: frees its
  // record, closes the gap of its layer number when CloseGap, sets Modified.
  void RemoveEntryAt(size_t Index, bool CloseGap);

  // True for the General entry's name ("general" in any letter case).
  static bool IsGeneralName(const std::string& Name);
  // True for an entry that carries a record and is not the General entry.
  bool IsAreaEntry(size_t Index) const;

  // Scenery tree operations.
  void CopyTree(const std::string& Source, const std::string& Dest, int32_t Overwrite);
  void RemoveLayerTree(int32_t Layer);
  // The same for the area at a list position: several areas can carry one
  // layer number, a position names exactly one.  LastLayer is left as it is.
  void RemoveAreaTree(size_t Index);
  void AddNewScenery(const std::string& Path);
  void RenameBglFiles(int32_t Layer, int32_t Version, int32_t Filter,
                      const std::string& OldExt, const std::string& NewExt);
};
