// Small helpers shared by the Win32 implementation of the host services.
// Only the files of this folder include it.
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

namespace plat::win32 {

// The system's text for an error code, without its trailing line end.
inline std::string SystemMessage(DWORD code) {
  char* buffer = nullptr;
  DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                    FORMAT_MESSAGE_IGNORE_INSERTS,
                                nullptr, code, 0, reinterpret_cast<LPSTR>(&buffer), 0, nullptr);
  std::string text;
  if (length != 0 && buffer != nullptr) text.assign(buffer, length);
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

// Attributes of `path`, or INVALID_FILE_ATTRIBUTES when there is nothing.
inline DWORD AttributesOf(const std::string& path) { return GetFileAttributesA(path.c_str()); }

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
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA(path.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return path;
  FindClose(find);
  // Without wildcards the one entry found is the file the path names, also
  // when the path gives its short name.
  return FolderPart(path) + data.cFileName;
}

// A name for a temporary file in `folder` that does not exist yet.  The
// caller creates it with a call that fails when the name was taken meanwhile.
inline std::string TemporaryName(const std::string& folder, const std::string& stem) {
  const std::string base = folder + "~" + stem + "." + std::to_string(GetCurrentProcessId()) + ".";
  for (unsigned attempt = 0;; ++attempt) {
    std::string candidate = base + std::to_string(attempt) + ".tmp";
    if (GetFileAttributesA(candidate.c_str()) == INVALID_FILE_ATTRIBUTES) return candidate;
  }
}

// Removes a temporary file even when it carries a read-only attribute.
inline void DiscardTemporary(const std::string& path) {
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(path.c_str());
}

}  // namespace plat::win32
