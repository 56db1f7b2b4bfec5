// File and folder services of the Windows build: attributes, listings,
// folder creation and removal, delete, copy, rename and file times.
#include "platform/platform.h"
#include "platform/text1252.h"
#include "platform/win32/win32_util.h"

#include <algorithm>

namespace plat {

namespace {

using win32::AttributesOf;
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

// ANSI text (the machine's code page) as UTF-16.
std::u16string Wide(const std::string& ansi) {
  if (ansi.empty()) return std::u16string();
  int count = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
  if (count <= 0) return std::u16string();
  std::u16string wide(static_cast<size_t>(count), u'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()),
                      reinterpret_cast<wchar_t*>(wide.data()), count);
  return wide;
}

// UTF-16 as ANSI text, as the ANSI file functions convert names.
std::string Ansi(const std::u16string& wide) {
  if (wide.empty()) return std::string();
  const wchar_t* data = reinterpret_cast<const wchar_t*>(wide.data());
  int count = WideCharToMultiByte(CP_ACP, 0, data, static_cast<int>(wide.size()), nullptr, 0,
                                  nullptr, nullptr);
  if (count <= 0) return std::string();
  std::string ansi(static_cast<size_t>(count), '\0');
  WideCharToMultiByte(CP_ACP, 0, data, static_cast<int>(wide.size()), ansi.data(), count, nullptr,
                      nullptr);
  return ansi;
}

// UTF-16 as UTF-8, the form in which names are put in NTFS order.
std::string Utf8(const std::u16string& wide) {
  if (wide.empty()) return std::string();
  const wchar_t* data = reinterpret_cast<const wchar_t*>(wide.data());
  int count = WideCharToMultiByte(CP_UTF8, 0, data, static_cast<int>(wide.size()), nullptr, 0,
                                  nullptr, nullptr);
  if (count <= 0) return std::string();
  std::string utf8(static_cast<size_t>(count), '\0');
  WideCharToMultiByte(CP_UTF8, 0, data, static_cast<int>(wide.size()), utf8.data(), count, nullptr,
                      nullptr);
  return utf8;
}

// For a pattern whose last component is "*.ext" (no other wildcard), the
// ".ext" part in UTF-16; else empty.  Windows also matches such a pattern
// against 8.3 short names ("x.bglx" has the short name "X~1.BGL"), so the
// found names are checked against the extension again.
std::u16string ExtensionFilter(const std::string& pattern) {
  std::string name = pattern.substr(FolderPart(pattern).size());
  if (name.size() < 3 || name[0] != '*' || name[1] != '.') return std::u16string();
  std::string ext = name.substr(1);
  if (ext.find_first_of("*?") != std::string::npos) return std::u16string();
  return Wide(ext);
}

bool EndsWithIgnoringCase(const std::u16string& name, const std::u16string& ending) {
  if (name.size() < ending.size()) return false;
  size_t start = name.size() - ending.size();
  for (size_t i = 0; i < ending.size(); ++i)
    if (text1252::UpperUtf16(name[start + i]) != text1252::UpperUtf16(ending[i])) return false;
  return true;
}

bool IsReadOnlyFile(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
         (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

}  // namespace

bool GetFileInfo(const std::string& path, FileInfo& info) {
  if (path.empty()) return false;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return false;
  info = InfoFrom(data.dwFileAttributes, data.ftCreationTime, data.ftLastAccessTime,
                  data.ftLastWriteTime, data.nFileSizeHigh, data.nFileSizeLow);
  return true;
}

bool FolderExists(const std::string& path) {
  if (path.empty()) return false;
  DWORD attributes = AttributesOf(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool FileExists(const std::string& path) {
  if (path.empty()) return false;
  DWORD attributes = AttributesOf(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::vector<DirEntry> FindEntries(const std::string& pattern) {
  // The wide find functions give the names as the folder holds them, so that
  // names with characters outside the ANSI code page sort in their true
  // place; each name is handed out in ANSI as FindFirstFileA would give it.
  struct Found {
    DirEntry Entry;
    std::string SortName;  // UTF-8 of the real name, for the NTFS order
  };
  std::vector<Found> found;
  const std::u16string widePattern = Wide(pattern);
  if (widePattern.empty()) return {};
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(reinterpret_cast<const wchar_t*>(widePattern.c_str()), &data);
  if (find == INVALID_HANDLE_VALUE) return {};
  const std::u16string extension = ExtensionFilter(pattern);
  do {
    std::u16string name(reinterpret_cast<const char16_t*>(data.cFileName));
    if (name == u"." || name == u"..") continue;
    if (!extension.empty() && !EndsWithIgnoringCase(name, extension)) continue;
    Found item;
    item.Entry.Name = Ansi(name);
    item.Entry.Info = InfoFrom(data.dwFileAttributes, data.ftCreationTime, data.ftLastAccessTime,
                               data.ftLastWriteTime, data.nFileSizeHigh, data.nFileSizeLow);
    item.SortName = Utf8(name);
    found.push_back(std::move(item));
  } while (FindNextFileW(find, &data));
  FindClose(find);
  // NTFS gives this order already; other file systems (FAT, network shares,
  // Wine's view of a Linux folder) do not, and both builds must list alike.
  std::stable_sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
    return text1252::CompareNtfsNames(a.SortName, b.SortName) < 0;
  });
  std::vector<DirEntry> entries;
  entries.reserve(found.size());
  for (auto& item : found) entries.push_back(std::move(item.Entry));
  return entries;
}

bool MakeFolder(const std::string& path) {
  return !path.empty() && CreateDirectoryA(path.c_str(), nullptr) != 0;
}

bool RemoveEmptyFolder(const std::string& path) {
  if (path.empty()) return false;
  DWORD attributes = AttributesOf(path);
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
    return false;
  // A link to a folder may point anywhere: it is never removed.
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return false;
  return RemoveDirectoryA(path.c_str()) != 0;
}

bool RemoveFile(const std::string& path) {
  if (path.empty()) return false;
  DWORD attributes = AttributesOf(path);
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
    return false;
  if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) return false;
  return DeleteFileA(path.c_str()) != 0;
}

bool CopyFileTo(const std::string& source, const std::string& target, bool failIfExists) {
  if (source.empty() || target.empty()) return false;
  DWORD sourceAttributes = AttributesOf(source);
  if (sourceAttributes == INVALID_FILE_ATTRIBUTES ||
      (sourceAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
    return false;
  DWORD targetAttributes = AttributesOf(target);
  const bool targetExists = targetAttributes != INVALID_FILE_ATTRIBUTES;
  if (targetExists) {
    if (failIfExists) return false;
    if ((targetAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return false;
    if (IsReadOnlyFile(targetAttributes)) return false;
  }
  const std::string finalName = targetExists ? win32::ExistingSpelling(target) : target;
  const std::string folder = FolderPart(finalName);
  if (!folder.empty() && !FolderExists(folder)) return false;
  // The whole copy is made beside the target, then renamed into place, so
  // that the target is never seen half-written.  CopyFileA carries the
  // source's times and attributes.
  std::string temporary;
  for (int attempt = 0;; ++attempt) {
    temporary = win32::TemporaryName(folder, "copy");
    if (CopyFileA(source.c_str(), temporary.c_str(), TRUE)) break;
    DWORD code = GetLastError();
    // Another process took the name meanwhile: try the next one.
    if ((code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS) && attempt < 100) continue;
    if (code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS)
      win32::DiscardTemporary(temporary);
    return false;
  }
  DWORD flags = failIfExists ? 0 : MOVEFILE_REPLACE_EXISTING;
  if (!MoveFileExA(temporary.c_str(), finalName.c_str(), flags)) {
    win32::DiscardTemporary(temporary);
    return false;
  }
  return true;
}

bool RenameFile(const std::string& source, const std::string& target) {
  if (source.empty() || target.empty()) return false;
  return MoveFileA(source.c_str(), target.c_str()) != 0;
}

uint64_t FileTimeToLocal(uint64_t fileTime) {
  FILETIME utc = win32::ToFileTime(fileTime);
  FILETIME local;
  if (!FileTimeToLocalFileTime(&utc, &local)) return fileTime;
  return FromFileTime(local);
}

}  // namespace plat
