// File and folder services of the Windows build: attributes, listings,
// folder creation and removal, delete, copy, rename and file times.
// (GetFileAttributesEx, FindFirstFile/FindNextFile/FindClose, CreateDirectory,
// RemoveDirectory, DeleteFile, CopyFile, MoveFile(Ex), FileTimeToLocalFileTime;
// see win32_util.h for the path forms they are given.)
#include "platform/platform.h"
#include "platform/text_rules.h"
#include "platform/win32/temp_entry.h"
#include "platform/win32/win32_util.h"
#include "platform/winpath.h"

#include <algorithm>

namespace plat {

namespace {

using win32::AttributesOf;
using win32::FilePath;
using win32::FolderPart;
using win32::FromFileTime;

FileInfo InfoFrom(DWORD attributes, const FILETIME& created, const FILETIME& accessed,
                  const FILETIME& written, DWORD sizeHigh, DWORD sizeLow) {
  FileInfo info;
  info.Attributes = attributes;
  info.CreationTime = FromFileTime(created);
  info.LastAccessTime = FromFileTime(accessed);
  info.LastWriteTime = FromFileTime(written);
  info.Size = (static_cast<uint64_t>(sizeHigh) << 32) | sizeLow;
  return info;
}

// For a pattern whose last component is "*.ext" (no other wildcard), the
// ".ext" part in UTF-16; else empty.  Windows also matches such a pattern
// against 8.3 short names ("x.bglx" has the short name "X~1.BGL"), so the
// found names are checked against the extension again.
std::wstring ExtensionFilter(const std::string& pattern) {
  std::string name = pattern.substr(FolderPart(pattern).size());
  if (name.size() < 3 || name[0] != '*' || name[1] != '.') return std::wstring();
  std::string ext = name.substr(1);
  if (ext.find_first_of("*?") != std::string::npos) return std::wstring();
  return win32::Wide(ext);
}

bool EndsWithIgnoringCase(const std::wstring& name, const std::wstring& ending) {
  if (name.size() < ending.size()) return false;
  size_t start = name.size() - ending.size();
  for (size_t i = 0; i < ending.size(); ++i)
    if (textrules::UpperUtf16(static_cast<char16_t>(name[start + i])) !=
        textrules::UpperUtf16(static_cast<char16_t>(ending[i])))
      return false;
  return true;
}

bool IsReadOnlyFile(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
         (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

}  // namespace

bool GetFileInfo(const std::string& path, FileInfo& info) {
  std::wstring wide = FilePath(path);
  if (wide.empty()) return false;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data)) return false;
  info = InfoFrom(data.dwFileAttributes, data.ftCreationTime, data.ftLastAccessTime,
                  data.ftLastWriteTime, data.nFileSizeHigh, data.nFileSizeLow);
  return true;
}

bool FolderExists(const std::string& path) {
  DWORD attributes = AttributesOf(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool FileExists(const std::string& path) {
  DWORD attributes = AttributesOf(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

namespace {

FileResult List(const std::string& pattern, bool foldersOnly, std::vector<DirEntry>& found) {
  // The names come from the folder in UTF-16 and are handed out as the
  // program's text, every character kept.
  found.clear();
  std::wstring widePattern = FilePath(pattern);
  if (widePattern.empty()) return {};
  WIN32_FIND_DATAW data;
  // Limiting the search to folders is a hint the file system may ignore;
  // the attributes decide below.
  HANDLE find = FindFirstFileExW(widePattern.c_str(), FindExInfoStandard, &data,
                                 foldersOnly ? FindExSearchLimitToDirectories : FindExSearchNameMatch,
                                 nullptr, 0);
  if (find == INVALID_HANDLE_VALUE) {
    const DWORD code = GetLastError();
    if (code != ERROR_FILE_NOT_FOUND && code != ERROR_PATH_NOT_FOUND && code != ERROR_NO_MORE_FILES)
      return win32::ResultOfCode(code);
    return {};
  }
  const std::wstring extension = ExtensionFilter(pattern);
  do {
    std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    if (!extension.empty() && !EndsWithIgnoringCase(name, extension)) continue;
    if (foldersOnly && (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) continue;
    DirEntry item;
    item.Name = win32::Narrow(name);
    item.Info = InfoFrom(data.dwFileAttributes, data.ftCreationTime, data.ftLastAccessTime,
                         data.ftLastWriteTime, data.nFileSizeHigh, data.nFileSizeLow);
    found.push_back(std::move(item));
  } while (FindNextFileW(find, &data));
  FindClose(find);
  // NTFS gives this order already; other file systems (FAT, network shares,
  // Wine's view of a Linux folder) do not, and both builds must list alike.
  std::stable_sort(found.begin(), found.end(), [](const DirEntry& a, const DirEntry& b) {
    return textrules::CompareNtfsNames(a.Name, b.Name) < 0;
  });
  return {};
}

}  // namespace

// The listing gives every fact at once: there is nothing to leave out.
FileResult FindEntries(const std::string& pattern, std::vector<DirEntry>& entries, FileFacts) {
  return List(pattern, false, entries);
}

FileResult FindFolders(const std::string& pattern, std::vector<DirEntry>& folders) {
  return List(pattern, true, folders);
}

FileResult FindFolderNames(const std::string& pattern, std::vector<std::string>& names) {
  names.clear();
  std::vector<DirEntry> folders;
  const FileResult listed = FindFolders(pattern, folders);
  for (DirEntry& entry : folders) names.push_back(std::move(entry.Name));
  return listed;
}

FileResult MakeFolder(const std::string& path) {
  std::wstring wide = FilePath(path);
  if (wide.empty()) return ResultOf(FileOutcome::BadName);
  if (CreateDirectoryW(wide.c_str(), nullptr)) return {};
  const DWORD code = GetLastError();
  if (code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS) {
    DWORD attributes = AttributesOf(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
      return {FileOutcome::WrongKind, "a file of that name is in the way"};
  }
  return win32::ResultOfCode(code);
}

FileResult MakeHiddenFolder(const std::string& path) {
  const FileResult made = MakeFolder(path);
  if (made.Done()) (void)SetFileAttributesW(FilePath(path).c_str(), FILE_ATTRIBUTE_HIDDEN);
  return made;
}

FileResult RemoveEmptyFolder(const std::string& path) {
  DWORD attributes = AttributesOf(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return win32::ResultOfCode(GetLastError());
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return {FileOutcome::WrongKind, "it is not a folder"};
  // A link to a folder may point anywhere: it is never removed.
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
    return {FileOutcome::WrongKind, "it is a link to a folder"};
  if (!RemoveDirectoryW(FilePath(path).c_str())) return win32::ResultOfCode(GetLastError());
  return {};
}

FileResult RemoveFile(const std::string& path) {
  DWORD attributes = AttributesOf(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return win32::ResultOfCode(GetLastError());
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return {FileOutcome::WrongKind, "it is a folder"};
  if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) return ResultOf(FileOutcome::ReadOnly);
  if (!DeleteFileW(FilePath(path).c_str())) return win32::ResultOfCode(GetLastError());
  return {};
}

FileResult FileCopier::Copy(const std::string& source, const std::string& target,
                            bool failIfExists, bool privateFolder) {
  DWORD sourceAttributes = AttributesOf(source);
  if (sourceAttributes == INVALID_FILE_ATTRIBUTES) return win32::ResultOfCode(GetLastError());
  if ((sourceAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return {FileOutcome::WrongKind, "it is not a file"};
  if (FilePath(target).empty()) return ResultOf(FileOutcome::BadName);
  DWORD targetAttributes = AttributesOf(target);
  const bool targetExists = targetAttributes != INVALID_FILE_ATTRIBUTES;
  if (targetExists) {
    if (failIfExists) return ResultOf(FileOutcome::Exists);
    if ((targetAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
      return {FileOutcome::WrongKind, "a folder of that name is in the way"};
    if (IsReadOnlyFile(targetAttributes)) return ResultOf(FileOutcome::ReadOnly);
  }
  const std::string finalName = targetExists ? win32::ExistingSpelling(target) : target;
  const std::string folder = FolderPart(finalName);
  if (!folder.empty() && !FolderExists(folder)) {
    const DWORD attributes = AttributesOf(folder);
    if (attributes != INVALID_FILE_ATTRIBUTES)
      return {FileOutcome::BadName, "a part of the path is a file, not a folder"};
    return ResultOf(FileOutcome::Missing);
  }
  // The whole copy is made beside the target, then renamed into place, so
  // that the target is never seen half-written.  CopyFile carries the
  // source's times and attributes.  A new file in a folder no other program
  // sees yet is written in place: the whole folder appears at once later.
  const std::wstring wideSource = FilePath(source);
  if (privateFolder && !targetExists) {
    if (CopyFileW(wideSource.c_str(), FilePath(finalName).c_str(), TRUE)) return {};
    const DWORD code = GetLastError();
    if (code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS) win32::RemoveOwnFile(finalName);
    return win32::ResultOfCode(code);
  }
  TempEntry temp;
  const FileResult made = temp.Create(folder, TempEntry::Kind::File, [&](const std::string& path) {
    return CopyFileW(wideSource.c_str(), FilePath(path).c_str(), TRUE);
  });
  if (temp.Lock()) kept_ = temp.Lock();  // for the next copy into this folder
  if (!made) return made;
  const FileResult moved = temp.Commit(finalName, targetExists);
  // A target that another program made while the copy was written is not
  // replaced; unless the copy meant to keep an existing target, that is a
  // fault.
  if (!targetExists && !failIfExists && moved.Outcome == FileOutcome::Exists)
    return {FileOutcome::InUse, "another program made it while it was being copied"};
  return moved;  // on failure the temporary file goes with `temp`
}

StagedFolder::StagedFolder() = default;
StagedFolder::~StagedFolder() = default;

FileResult StagedFolder::Make(const std::string& parent) {
  Discard();
  const std::string folder = winpath::IncludeTrailingBackslash(parent);
  DWORD attributes = AttributesOf(folder);
  if (attributes == INVALID_FILE_ATTRIBUTES) return win32::ResultOfCode(GetLastError());
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return {FileOutcome::WrongKind, "it is not a folder"};
  auto entry = std::make_unique<TempEntry>();
  const FileResult made = entry->Create(folder, TempEntry::Kind::Folder, [](const std::string& path) {
    return CreateDirectoryW(FilePath(path).c_str(), nullptr);
  });
  if (!made) return made;
  path_ = entry->Path();
  entry_ = std::move(entry);
  return {};
}

FileResult StagedFolder::Commit(const std::string& finalPath) {
  if (!entry_) return ResultOf(FileOutcome::Missing);
  if (FilePath(finalPath).empty()) return ResultOf(FileOutcome::BadName);
  if (const FileResult moved = entry_->Commit(finalPath, /*replace=*/false); !moved) return moved;
  entry_.reset();
  path_.clear();
  return {};
}

FileResult StagedFolder::Discard() {
  if (!entry_) return {};
  const FileResult dropped = entry_->Discard();
  entry_.reset();
  path_.clear();
  return dropped;
}

FileResult RenameFile(const std::string& source, const std::string& target) {
  std::wstring from = FilePath(source);
  std::wstring to = FilePath(target);
  if (from.empty() || to.empty()) return ResultOf(FileOutcome::BadName);
  if (!MoveFileW(from.c_str(), to.c_str())) return win32::ResultOfCode(GetLastError());
  return {};
}

uint64_t FileTimeToLocal(uint64_t fileTime) {
  FILETIME utc = win32::ToFileTime(fileTime);
  FILETIME local;
  if (!FileTimeToLocalFileTime(&utc, &local)) return fileTime;
  return FromFileTime(local);
}

}  // namespace plat
