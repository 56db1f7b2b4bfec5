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
// How long a handle serves before its folder is opened again by its path.
constexpr int64_t kLifetimeNanoseconds = 100 * 1000 * 1000;

struct Handle {
  std::string Path;
  int Fd = -1;
  int64_t Opened = 0;
  uint64_t LastUse = 0;
};

struct Handles {
  std::vector<Handle> Open;
  uint64_t Clock = 0;
  ~Handles() {
    for (const Handle& h : Open) ::close(h.Fd);
  }
};

Handles& TheHandles() {
  static Handles handles;
  return handles;
}

int64_t Now() {
  struct timespec t;
  ::clock_gettime(CLOCK_MONOTONIC_COARSE, &t);
  return int64_t(t.tv_sec) * 1000000000 + t.tv_nsec;
}

bool IsAtOrBelow(const std::string& path, const std::string& top) {
  if (path.compare(0, top.size(), top) != 0) return false;
  return path.size() == top.size() || path[top.size()] == '/' || top == "/";
}

}  // namespace

int FolderHandle(const std::string& hostFolder) {
  Handles& handles = TheHandles();
  const int64_t now = Now();
  for (auto it = handles.Open.begin(); it != handles.Open.end(); ++it) {
    if (it->Path != hostFolder) continue;
    if (now - it->Opened <= kLifetimeNanoseconds) {
      it->LastUse = ++handles.Clock;
      return it->Fd;
    }
    ::close(it->Fd);
    handles.Open.erase(it);
    break;
  }
  int fd = ::open(hostFolder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return -1;
  if (handles.Open.size() >= kMaxHandles) {
    auto oldest = std::min_element(
        handles.Open.begin(), handles.Open.end(),
        [](const Handle& a, const Handle& b) { return a.LastUse < b.LastUse; });
    ::close(oldest->Fd);
    handles.Open.erase(oldest);
  }
  handles.Open.push_back({hostFolder, fd, now, ++handles.Clock});
  return fd;
}

void ForgetFolderHandles(const std::string& hostPath) {
  auto& open = TheHandles().Open;
  open.erase(std::remove_if(open.begin(), open.end(),
                            [&](const Handle& h) {
                              if (!IsAtOrBelow(h.Path, hostPath)) return false;
                              ::close(h.Fd);
                              return true;
                            }),
             open.end());
}

void ClearFolderHandles() {
  Handles& handles = TheHandles();
  for (const Handle& h : handles.Open) ::close(h.Fd);
  handles.Open.clear();
}

At InFolder(const std::string& hostFolder, const std::string& name) {
  int fd = FolderHandle(hostFolder);
  if (fd >= 0) return {fd, name};
  return {AT_FDCWD, JoinHost(hostFolder, name)};
}

At AtOf(const Resolved& r) {
  if (r.Name.empty()) return {AT_FDCWD, r.Host};
  return InFolder(r.Folder, r.Name);
}

}  // namespace plat::posix
