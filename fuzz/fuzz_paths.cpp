// Fuzzes the resolution of Windows paths over a generated tree.  Each input
// describes a small tree and a list of paths:
//   byte 0          the number of tree entries (modulo 9)
//   then lines      the first lines are the entries (host names, '/'
//                   between folders, a trailing '/' makes a folder, a
//                   leading '@' a link to the drive root, which the
//                   resolver must never loop through); the other lines are
//                   Windows paths to resolve on drive C:
// The tree is made on disk below a fresh drive C:, the caches are dropped,
// and every path is made full, resolved and tested.  Checked: a path that
// resolves to an existing entry names one on disk in a folder of the drive
// (never above it, whatever dots it holds); and every entry of the
// tree whose name has a plain Windows spelling is found by that spelling in
// upper case.
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "platform/posix/posix_internal.h"
#include "platform/text_encoding.h"
#include "platform/winpath.h"

namespace fs = std::filesystem;

namespace {

std::string g_base;  // holds prefix/ and the drive of the current input

void RemoveAll() {
  std::error_code ec;
  fs::remove_all(g_base, ec);
}

std::vector<std::string> SplitAt(std::string_view text, char sep) {
  std::vector<std::string> out;
  size_t from = 0;
  for (;;) {
    size_t at = text.find(sep, from);
    out.emplace_back(text.substr(from, at == std::string_view::npos ? std::string_view::npos : at - from));
    if (at == std::string_view::npos) break;
    from = at + 1;
  }
  return out;
}

// A host name whose Windows spelling is plain: letters, digits, '_' '-'
// and bytes of 0x80 and above that are no UTF-8 (taken as code page 1252
// letters), not ending in a dot or blank, not a device name.
bool PlainName(const std::string& name) {
  if (name.empty() || name.size() > 64) return false;
  for (unsigned char c : name) {
    const bool ascii = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '_' || c == '-';
    if (!ascii && c < 0xC0) return false;  // 0xC0.. are 1252 letters
  }
  return !winpath::IsDeviceName(encoding::ToValidUtf8(name));
}

std::string UpperAscii(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  g_base = "/tmp/layrix-fuzz-paths-" + std::to_string(getpid());
  fs::create_directories(g_base + "/prefix/dosdevices");
  setenv("WINEPREFIX", (g_base + "/prefix").c_str(), 1);
  std::atexit(RemoveAll);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0 || size > 2048) return 0;
  const size_t entryCount = data[0] % 9;
  const std::vector<std::string> lines =
      SplitAt(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1), '\n');

  // A fresh drive C: for this input.
  static unsigned long run = 0;
  const std::string drive = g_base + "/c" + std::to_string(run++);
  const std::string link = g_base + "/prefix/dosdevices/c:";
  fs::create_directories(drive);
  ::unlink(link.c_str());
  if (::symlink(drive.c_str(), link.c_str()) != 0) std::abort();

  std::vector<std::string> made;  // host paths below the drive that exist
  for (size_t i = 0; i < entryCount && i < lines.size(); ++i) {
    std::string entry = lines[i];
    if (entry.find('\0') != std::string::npos || entry.size() > 200) continue;
    const bool isLink = !entry.empty() && entry[0] == '@';
    if (isLink) entry.erase(0, 1);
    const bool isFolder = !entry.empty() && entry.back() == '/';
    std::vector<std::string> parts;
    for (const std::string& p : SplitAt(entry, '/'))
      if (!p.empty() && p != "." && p != "..") parts.push_back(p);
    if (parts.empty()) continue;
    std::string path = drive;
    for (size_t k = 0; k + 1 < parts.size(); ++k) {
      path += "/" + parts[k];
      ::mkdir(path.c_str(), 0755);
    }
    path += "/" + parts.back();
    if (isLink) {
      (void)::symlink(drive.c_str(), path.c_str());
    } else if (isFolder) {
      ::mkdir(path.c_str(), 0755);
    } else if (FILE* f = std::fopen(path.c_str(), "wb")) {
      std::fclose(f);
    }
    struct stat st;
    if (::lstat(path.c_str(), &st) == 0) made.push_back(path.substr(drive.size() + 1));
  }
  plat::posix::ResetCaches();

  const std::string current = "C:\\x\\";
  const std::string driveReal = fs::canonical(drive).string();
  for (size_t i = entryCount; i < lines.size(); ++i) {
    const std::string& path = lines[i];
    (void)winpath::FullPath(path, current);
    const std::string onC = "C:\\" + path;
    // A path taken as its own full form must be one.
    for (const std::string* p : {&path, &onC})
      if (winpath::IsPlainFullPath(*p) && winpath::FullPath(*p, current) != *p) std::abort();
    // A plain name after the folder of a full path, when that folder is a
    // plain full path, makes a full path.
    const std::string full = winpath::FullPath(onC, current);
    const size_t cut = full.rfind('\\');
    if (i + 1 < lines.size() && cut != std::string::npos && winpath::IsPlainName(lines[i + 1]) &&
        lines[i + 1].find('\0') == std::string::npos &&
        winpath::IsPlainFullPath(std::string_view(full).substr(0, cut))) {
      const std::string joined = full.substr(0, cut) + "\\" + lines[i + 1];
      if (winpath::FullPath(joined, current) != joined) {
        std::fprintf(stderr, "not full: [%s]\n", joined.c_str());
        std::abort();
      }
    }
    const plat::posix::Resolved r = plat::posix::Resolve(onC);
    if (r.Exists) {
      struct stat st;
      if (!r.Valid || ::lstat(r.Host.c_str(), &st) != 0) std::abort();
      if (r.Host.compare(0, link.size(), link) != 0) std::abort();
      // The folder holding the entry lies on the drive, links followed.
      std::error_code ec;
      const std::string folder = fs::canonical(r.Folder, ec).string();
      if (!ec && folder.compare(0, driveReal.size(), driveReal) != 0) {
        std::fprintf(stderr, "escaped the drive: [%s] -> %s\n", onC.c_str(), folder.c_str());
        std::abort();
      }
    }
    (void)plat::FolderExists(onC);
    (void)plat::FileExists(onC);
    (void)plat::FullPath(path);
  }

  // Every entry with plain names is found by its upper-case spelling,
  // unless two host spellings share one Windows spelling on its way (then
  // the first in listing order wins, which may be the other one).
  auto windowsOf = [](const std::string& rel) {
    std::string windows = "C:";
    for (const std::string& part : SplitAt(rel, '/')) windows += "\\" + UpperAscii(encoding::ToValidUtf8(part));
    return windows;
  };
  // Names are told apart as the resolver does: by their upper case in
  // every letter of the code page, not only A-Z (so "Caf\xE9" and
  // "caf\xC9" share a spelling).
  auto keyOf = [](const std::string& rel) {
    std::u16string key;
    for (const std::string& part : SplitAt(rel, '/')) key += plat::posix::NameKey(part) + u'\\';
    return key;
  };
  std::map<std::u16string, std::string> spelling;  // folded Windows spelling -> host spelling
  std::set<std::u16string> ambiguous;
  {
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(drive, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
      const std::string rel = it->path().string().substr(drive.size() + 1);
      auto [at, added] = spelling.emplace(keyOf(rel), rel);
      if (!added && at->second != rel) ambiguous.insert(at->first);
    }
  }
  for (const std::string& rel : made) {
    const std::string windows = windowsOf(rel);
    bool plain = true;
    std::string prefix;
    for (const std::string& part : SplitAt(rel, '/')) {
      prefix += prefix.empty() ? part : "/" + part;
      plain = plain && PlainName(part) && !ambiguous.count(keyOf(prefix));
    }
    if (!plain) continue;
    if (!plat::posix::Resolve(windows).Exists) {
      std::fprintf(stderr, "not found: %s (host %s)\n", windows.c_str(), rel.c_str());
      std::abort();
    }
  }

  std::error_code ec;
  fs::remove_all(drive, ec);
  return 0;
}
