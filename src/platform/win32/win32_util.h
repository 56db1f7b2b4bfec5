// Small helpers shared by the Win32 implementation of the host services.
// Only the files of this folder include it.
//
// Texts come in and go out as the program's text, UTF-8 (text_encoding.h).
// The system is called in its wide (UTF-16) forms, with the texts converted
// here and nowhere else; for paths with one addition: a path of 248 characters
// or more (the limit of CreateDirectoryA) is made full and given the "\\?\"
// prefix, so that deep scenery trees are copied and removed whole instead of
// failing silently beyond MAX_PATH.
//
// May use: platform/ and <windows.h>.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "platform/text_encoding.h"

namespace plat::win32 {

// The program's text (UTF-8) as UTF-16.
inline std::wstring Wide(std::string_view text) {
  const std::u16string units = encoding::ToUtf16(text);
  return std::wstring(units.begin(), units.end());
}

// UTF-16 from the system as the program's text.
inline std::string Narrow(std::wstring_view wide) {
  return encoding::FromUtf16(
      std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
}

// The system's text for an error code, without its trailing line end.
inline std::string SystemMessage(DWORD code) {
  wchar_t* buffer = nullptr;
  DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                    FORMAT_MESSAGE_IGNORE_INSERTS,
                                nullptr, code, 0, reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
  std::string text;
  if (length != 0 && buffer != nullptr) text = Narrow(std::wstring_view(buffer, length));
  if (buffer != nullptr) LocalFree(buffer);
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ' ||
                           text.back() == '.'))
    text.pop_back();
  if (text.empty()) text = "system error " + std::to_string(code);
  return text;
}

inline uint64_t FromFileTime(const FILETIME& t) {
  return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

inline FILETIME ToFileTime(uint64_t value) {
  FILETIME t;
  t.dwLowDateTime = static_cast<DWORD>(value & 0xFFFFFFFFu);
  t.dwHighDateTime = static_cast<DWORD>(value >> 32);
  return t;
}

// The wide path handed to the file functions (see the top of this file).
// An empty path gives an empty text, which names no file.
inline std::wstring FilePath(const std::string& path) {
  if (path.find('\0') != std::string::npos) return std::wstring();
  std::wstring wide = Wide(path);
  if (wide.size() < 248 || wide.rfind(L"\\\\?\\", 0) == 0) return wide;
  DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (size == 0) return wide;
  std::wstring full(size, L'\0');
  DWORD length = GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
  if (length == 0 || length >= size) return wide;
  full.resize(length);
  if (full.rfind(L"\\\\.\\", 0) == 0) return full;  // a device
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

// Attributes of `path`, or INVALID_FILE_ATTRIBUTES when there is nothing.
inline DWORD AttributesOf(const std::string& path) {
  std::wstring wide = FilePath(path);
  return wide.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(wide.c_str());
}

// The folder part of `path`, with its trailing separator ("C:\x\" for
// "C:\x\file"); empty when the path names no folder.
inline std::string FolderPart(const std::string& path) {
  size_t cut = path.find_last_of("\\/:");
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

// `path` with its last component spelled as the folder spells it, when the
// entry exists; otherwise `path` unchanged.  A file replaced by a rename then
// keeps its name as it was, as it does when it is overwritten in place.
inline std::string ExistingSpelling(const std::string& path) {
  if (path.find_first_of("*?") != std::string::npos) return path;
  std::wstring wide = FilePath(path);
  if (wide.empty()) return path;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(wide.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return path;
  FindClose(find);
  // Without wildcards the one entry found is the file the path names, also
  // when the path gives its short name.
  return FolderPart(path) + Narrow(data.cFileName);
}

// Removes a file this program wrote (a temporary file, an unfinished copy)
// even when it carries a read-only attribute.  0 or an error code.
inline DWORD RemoveOwnFile(const std::string& path) {
  std::wstring wide = FilePath(path);
  if (wide.empty()) return ERROR_INVALID_NAME;
  SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
  return DeleteFileW(wide.c_str()) ? 0 : GetLastError();
}

// The outcome a system error code stands for, with its plain words.
inline FileResult ResultOfCode(DWORD code) {
  switch (code) {
    case ERROR_SUCCESS: return {};
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return ResultOf(FileOutcome::Missing);
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return ResultOf(FileOutcome::Exists);
    case ERROR_DIR_NOT_EMPTY: return ResultOf(FileOutcome::NotEmpty);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return ResultOf(FileOutcome::NoSpace);
    case ERROR_ACCESS_DENIED: return ResultOf(FileOutcome::Denied);
    case ERROR_WRITE_PROTECT: return {FileOutcome::Denied, "the disk is read-only"};
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE: return ResultOf(FileOutcome::InUse);
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_PARAMETER: return ResultOf(FileOutcome::BadName);
    case ERROR_DIRECTORY: return {FileOutcome::BadName, "a part of the path is a file, not a folder"};
    case ERROR_FILENAME_EXCED_RANGE: return {FileOutcome::BadName, "the path is too long"};
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_IO_DEVICE: return ResultOf(FileOutcome::IoError);
    default: return {FileOutcome::OtherFault, SystemMessage(code)};
  }
}

}  // namespace plat::win32
