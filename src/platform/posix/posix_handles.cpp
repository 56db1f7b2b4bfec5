// Open handles of the folders used last.  A walk calls the host many times
// for names in one folder; through the folder's handle each call looks up
// one name instead of every component of a long path (the prefix, the
// drive's link, the folders down to this one).
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>

#include "platform/posix/posix_internal.h"

namespace plat::posix {
namespace {

constexpr size_t kMaxHandles = 8;

struct Handle {
  std::string Path;
  HeldFolder Fd;
  int64_t Opened = 0;
  uint64_t LastUse = 0;
};

struct Handles {
  std::vector<Handle> Open;
  uint64_t Clock = 0;
};

Handles& TheHandles() {
  static Handles handles;
  return handles;
}

// Whether `path` is `name` in `folder` or below it, told without making
// that path: a walk renames or removes many files and few folders.
bool IsAtOrBelow(const std::string& path, const std::string& folder, const std::string& name) {
  const size_t lead = folder == "/" ? 1 : folder.size() + 1;  // up to the name
  const size_t end = lead + name.size();
  return path.size() >= end && path.compare(0, folder.size(), folder) == 0 &&
         path[lead - 1] == '/' && path.compare(lead, name.size(), name) == 0 &&
         (path.size() == end || path[end] == '/');
}

// Whether the folder `folder` holds `path` at some depth below it.
bool IsAbove(const std::string& folder, const std::string& path) {
  if (folder == "/") return path.size() > 1 && path[0] == '/';
  return path.size() > folder.size() + 1 && path.compare(0, folder.size(), folder) == 0 &&
         path[folder.size()] == '/';
}

}  // namespace

int64_t MonotonicNow() {
  struct timespec t;
  ::clock_gettime(CLOCK_MONOTONIC_COARSE, &t);
  return int64_t(t.tv_sec) * 1000000000 + t.tv_nsec;
}

HeldFolder KeptFolderHandle(const std::string& hostFolder) {
  Handles& handles = TheHandles();
  for (auto it = handles.Open.begin(); it != handles.Open.end(); ++it) {
    if (it->Path != hostFolder) continue;
    if (MonotonicNow() - it->Opened <= kShortTrustNanoseconds) {
      it->LastUse = ++handles.Clock;
      return it->Fd;
    }
    handles.Open.erase(it);
    break;
  }
  return nullptr;
}

HeldFolder FolderHandle(const std::string& hostFolder) {
  if (HeldFolder kept = KeptFolderHandle(hostFolder)) return kept;
  Handles& handles = TheHandles();
  int64_t opened = MonotonicNow();
  // Below a folder whose handle is kept, the folder is opened through it:
  // a lookup of the names below it, not of the whole host path (package
  // folders side by side, each looked into once).  The new handle is
  // trusted only as long as the one it was opened through.
  Handle* above = nullptr;
  for (Handle& h : handles.Open)
    if ((!above || h.Path.size() > above->Path.size()) && IsAbove(h.Path, hostFolder) &&
        opened - h.Opened <= kShortTrustNanoseconds)
      above = &h;
  int fd;
  if (above) {
    above->LastUse = ++handles.Clock;
    opened = above->Opened;
    const size_t lead = above->Path == "/" ? 1 : above->Path.size() + 1;
    fd = ::openat(*above->Fd, hostFolder.c_str() + lead, O_PATH | O_DIRECTORY | O_CLOEXEC);
  } else {
    fd = ::open(hostFolder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  }
  if (fd < 0) return nullptr;
  HeldFolder held(new int(fd), [](const int* p) {
    ::close(*p);
    delete p;
  });
  if (handles.Open.size() >= kMaxHandles) {
    // The one used longest ago goes, but one that a caller still holds (a
    // batch of looks, through which more folders are opened) only when all
    // are held.
    const auto before = [](const Handle& a, const Handle& b) {
      const bool aHeld = a.Fd.use_count() > 1, bHeld = b.Fd.use_count() > 1;
      return aHeld != bHeld ? bHeld : a.LastUse < b.LastUse;
    };
    handles.Open.erase(std::min_element(handles.Open.begin(), handles.Open.end(), before));
  }
  handles.Open.push_back({hostFolder, held, opened, ++handles.Clock});
  return held;
}

void ForgetFolderHandles(const std::string& hostFolder, const std::string& name) {
  auto& open = TheHandles().Open;
  open.erase(std::remove_if(open.begin(), open.end(),
                            [&](const Handle& h) { return IsAtOrBelow(h.Path, hostFolder, name); }),
             open.end());
}

void ClearFolderHandles() { TheHandles().Open.clear(); }

At InFolder(const std::string& hostFolder, const std::string& name) {
  HeldFolder held = FolderHandle(hostFolder);
  if (held) return {*held, name, std::move(held)};
  return {AT_FDCWD, JoinHost(hostFolder, name), nullptr};
}

At AtOf(const Resolved& r) {
  if (r.Name.empty()) return {AT_FDCWD, r.Host, nullptr};
  return InFolder(r.Folder, r.Name);
}

At AtOf(const SpelledName& s) {
  if (s.Name.empty()) return {AT_FDCWD, s.Full->Host, nullptr};
  return InFolder(*s.Folder, s.Name);
}

}  // namespace plat::posix
