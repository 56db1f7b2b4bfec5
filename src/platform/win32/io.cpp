// Reading and safely replacing whole files on Windows: CreateFile, ReadFile,
// SetFilePointer, WriteFile, FlushFileBuffers, MoveFileEx (see win32_util.h
// for the path forms they are given).
#include "platform/platform.h"
#include "platform/win32/temp_entry.h"
#include "platform/win32/win32_util.h"

#include <algorithm>

namespace plat {

namespace {


// A handle that closes itself.
class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() { Close(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE Get() const { return handle_; }
  bool Valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  bool Close() {
    bool ok = true;
    if (Valid()) ok = CloseHandle(handle_) != 0;
    handle_ = INVALID_HANDLE_VALUE;
    return ok;
  }

 private:
  HANDLE handle_;
};

HANDLE OpenForReading(const std::string& path) {
  std::wstring wide = win32::FilePath(path);
  if (wide.empty()) {
    SetLastError(ERROR_INVALID_NAME);
    return INVALID_HANDLE_VALUE;
  }
  return CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

class Win32InputFile : public InputFile {
 public:
  explicit Win32InputFile(HANDLE handle) : handle_(handle) {}

  FileResult ReadAt(uint64_t offset, void* buffer, size_t count, size_t& done) override {
    done = 0;
    LONG high = static_cast<LONG>(offset >> 32);
    DWORD low = SetFilePointer(handle_.Get(), static_cast<LONG>(offset & 0xFFFFFFFFu), &high,
                               FILE_BEGIN);
    if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR)
      return win32::ResultOfCode(GetLastError());
    char* out = static_cast<char*>(buffer);
    while (done < count) {
      DWORD chunk = static_cast<DWORD>(std::min<size_t>(count - done, 1u << 20));
      DWORD got = 0;
      if (!ReadFile(handle_.Get(), out + done, chunk, &got, nullptr))
        return win32::ResultOfCode(GetLastError());
      if (got == 0) break;
      done += got;
    }
    return {};
  }

  FileResult Size(uint64_t& size) override {
    LARGE_INTEGER large;
    if (!GetFileSizeEx(handle_.Get(), &large)) return win32::ResultOfCode(GetLastError());
    size = static_cast<uint64_t>(large.QuadPart);
    return {};
  }

 private:
  Handle handle_;
};

}  // namespace

FileResult OpenInputFile(const std::string& path, std::unique_ptr<InputFile>& file) {
  file.reset();
  if (path.empty()) return ResultOf(FileOutcome::BadName);
  HANDLE handle = OpenForReading(path);
  if (handle == INVALID_HANDLE_VALUE) return win32::ResultOfCode(GetLastError());
  file = std::make_unique<Win32InputFile>(handle);
  return {};
}

FileResult ReadWholeFile(const std::string& path, std::string& bytes, size_t largest) {
  bytes.clear();
  DWORD attributes = win32::AttributesOf(path);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
    return {FileOutcome::WrongKind, "it is a folder, not a file"};
  Handle file(path.empty() ? INVALID_HANDLE_VALUE : OpenForReading(path));
  if (!file.Valid()) return win32::ResultOfCode(GetLastError());
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.Get(), &size)) return win32::ResultOfCode(GetLastError());
  const FileResult tooLarge = {FileOutcome::WrongKind,
                               "it is larger than " + SizeInWords(largest)};
  if (static_cast<uint64_t>(size.QuadPart) > largest) return tooLarge;
  std::string data;
  if (size.QuadPart > 0) data.reserve(static_cast<size_t>(size.QuadPart));
  char buffer[65536];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr))
      return win32::ResultOfCode(GetLastError());
    if (got == 0) break;
    if (got > largest - data.size()) return tooLarge;
    data.append(buffer, got);
  }
  bytes.swap(data);
  return {};
}

FileResult WriteFileReplacing(const std::string& path, const std::string& bytes) {
  if (path.empty()) return {FileOutcome::BadName, "a file needs a name"};
  DWORD attributes = win32::AttributesOf(path);
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return {FileOutcome::WrongKind, "it is a folder"};
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0)
      return {FileOutcome::ReadOnly, "the file is read-only"};
  }
  const std::string target =
      attributes != INVALID_FILE_ATTRIBUTES ? win32::ExistingSpelling(path) : path;
  HANDLE created = INVALID_HANDLE_VALUE;
  TempEntry temp;
  const FileResult made =
      temp.Create(win32::FolderPart(target), TempEntry::Kind::File,
                  [&created](const std::string& temporary) {
                    created = CreateFileW(win32::FilePath(temporary).c_str(), GENERIC_WRITE, 0,
                                          nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
                    return created != INVALID_HANDLE_VALUE;
                  });
  if (!made) return made;
  DWORD code = 0;
  {
    Handle file(created);
    size_t done = 0;
    while (code == 0 && done < bytes.size()) {
      DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
      DWORD written = 0;
      if (!WriteFile(file.Get(), bytes.data() + done, chunk, &written, nullptr))
        code = GetLastError();
      else if (written == 0)
        code = ERROR_DISK_FULL;
      done += written;
    }
    if (code == 0 && !FlushFileBuffers(file.Get())) code = GetLastError();
    if (!file.Close() && code == 0) code = GetLastError();
  }
  if (code != 0) return win32::ResultOfCode(code);  // the temporary file goes with `temp`
  return temp.Commit(target, /*replace=*/true, /*writeThrough=*/true);
}

}  // namespace plat
