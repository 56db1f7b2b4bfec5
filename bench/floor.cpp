// The least the tree commands cost in system calls alone, each two ways:
//
// - a copy as cp -r makes it (open, look, create the final name,
//   copy_file_range, close); as layrix makes it into an existing folder,
//   whole-or-nothing (open, look, create a temporary name, read and write,
//   carry the hidden/system attribute and the time, close, rename into
//   place without replacing); and as layrix makes it into a new folder,
//   which is built under a hidden name and renamed once (the same without
//   the temporary name and the rename of each file);
// - a removal as rm -rf makes it (unlink) and as layrix makes it, keeping
//   read-only files (look at the file, then unlink).
//
// No path text, no walking: files and folders are found before the clock
// starts, and each folder is reached through an open handle.  What one way
// costs over the other is the floor under "-c" against cp -r and under "-r"
// against rm -rf.
//
//   bench_floor SOURCE DEST ROUNDS
//
// SOURCE is a tree; DEST must not exist.  Each round copies the whole tree
// the three ways (which goes first turns) into DEST/cp, DEST/temp and
// DEST/new, then removes two copies one way each (in turn) and the third
// as rm does.  Prints the median microseconds per file of each way and
// their ratios.
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

struct Tree {
  std::vector<std::string> Folders;                             // relative, parents first
  std::vector<std::pair<size_t, std::string>> Files;            // folder index, name
};

void Collect(const std::string& root, const std::string& relative, Tree& tree) {
  const size_t index = tree.Folders.size();
  tree.Folders.push_back(relative);
  DIR* dir = opendir((root + relative).c_str());
  if (!dir) return;
  std::vector<std::string> folders;
  while (const dirent* d = readdir(dir)) {
    std::string name = d->d_name;
    if (name == "." || name == "..") continue;
    if (d->d_type == DT_DIR) folders.push_back(name);
    else if (d->d_type == DT_REG) tree.Files.emplace_back(index, name);
  }
  closedir(dir);
  for (const std::string& name : folders) Collect(root, relative + "/" + name, tree);
}

double Now() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec + t.tv_nsec * 1e-9;
}

char gBuffer[256 * 1024];

void CopyAsCp(int from, int to, const char* name) {
  struct stat st;
  if (fstatat(from, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return;  // the walk's look
  int in = openat(from, name, O_RDONLY | O_CLOEXEC);
  if (in < 0) return;
  fstat(in, &st);
  int out = openat(to, name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, st.st_mode & 0777);
  if (out >= 0) {
    fstat(out, &st);
    while (copy_file_range(in, nullptr, out, nullptr, 1 << 30, 0) > 0) {
    }
    close(out);
  }
  close(in);
}

enum class Way { AsCp, Whole, InNewFolder };

void CopyWhole(int from, int to, const char* name, unsigned& counter, bool inPlace) {
  int in = openat(from, name, O_RDONLY | O_CLOEXEC);
  if (in < 0) return;
  struct stat st;
  fstat(in, &st);
  const std::string temp = inPlace ? name : ".copy-" + std::to_string(++counter) + ".tmp";
  int out = openat(to, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (out >= 0) {
    off_t done = 0;
    while (done < st.st_size) {
      ssize_t got = read(in, gBuffer, sizeof gBuffer);
      if (got <= 0 || write(out, gBuffer, size_t(got)) != got) break;
      done += got;
    }
    char attrs[64];
    ssize_t size = fgetxattr(in, "user.DOSATTRIB", attrs, sizeof attrs);
    if (size > 0) fsetxattr(out, "user.DOSATTRIB", attrs, size_t(size), 0);
    timespec times[2] = {{0, UTIME_NOW}, st.st_mtim};
    futimens(out, times);
    close(out);
    if (!inPlace) renameat2(to, temp.c_str(), to, name, RENAME_NOREPLACE);
  }
  close(in);
}

// Copies every file of `tree` into `dest` one way; returns the seconds the
// file copies took (making the folders is not timed).
double CopyTree(const std::string& source, const std::string& dest, const Tree& tree, Way way) {
  std::vector<int> from, to;
  for (const std::string& folder : tree.Folders) {
    mkdir((dest + folder).c_str(), 0777);
    from.push_back(open((source + folder).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    to.push_back(open((dest + folder).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  }
  unsigned counter = 0;
  const double start = Now();
  for (const auto& [folder, name] : tree.Files) {
    if (way == Way::AsCp) CopyAsCp(from[folder], to[folder], name.c_str());
    else CopyWhole(from[folder], to[folder], name.c_str(), counter, way == Way::InNewFolder);
  }
  const double seconds = Now() - start;
  for (int fd : from) close(fd);
  for (int fd : to) close(fd);
  return seconds;
}

// Removes the copy of `tree` at `path`, each file as rm -rf does or after a
// look at it as layrix does; returns the seconds the files took.
double RemoveTree(const std::string& path, const Tree& tree, bool look) {
  std::vector<int> at;
  for (const std::string& folder : tree.Folders)
    at.push_back(open((path + folder).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  const double start = Now();
  for (const auto& [folder, name] : tree.Files) {
    struct stat st;
    if (look && (fstatat(at[folder], name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
                 (st.st_mode & 0222) == 0))
      continue;
    unlinkat(at[folder], name.c_str(), 0);
  }
  const double seconds = Now() - start;
  for (int fd : at) close(fd);
  for (size_t i = tree.Folders.size(); i-- > 0;) rmdir((path + tree.Folders[i]).c_str());
  return seconds;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    fprintf(stderr, "usage: %s SOURCE DEST ROUNDS\n", argv[0]);
    return 2;
  }
  const std::string source = argv[1];
  const std::string dest = argv[2];
  const int rounds = std::max(1, atoi(argv[3]));
  Tree tree;
  Collect(source, "", tree);
  if (tree.Files.empty() || mkdir(dest.c_str(), 0777) != 0) {
    fprintf(stderr, "%s: no files, or %s cannot be made\n", argv[0], dest.c_str());
    return 1;
  }
  std::vector<double> cp, whole, inNew, unlinked, looked;
  const Way ways[] = {Way::AsCp, Way::Whole, Way::InNewFolder};
  for (int round = 0; round < rounds; ++round) {
    for (int turn = 0; turn < 3; ++turn) {
      switch (ways[(turn + round) % 3]) {
        case Way::AsCp: cp.push_back(CopyTree(source, dest + "/cp", tree, Way::AsCp)); break;
        case Way::Whole: whole.push_back(CopyTree(source, dest + "/temp", tree, Way::Whole)); break;
        case Way::InNewFolder:
          inNew.push_back(CopyTree(source, dest + "/new", tree, Way::InNewFolder));
          break;
      }
    }
    RemoveTree(dest + "/new", tree, false);
    // The two copies are alike; which way removes first, and which copy,
    // alternates too.
    for (int turn = 0; turn < 2; ++turn) {
      const bool look = (turn == 0) == (round % 2 == 0);
      (look ? looked : unlinked).push_back(RemoveTree(dest + (look ? "/cp" : "/temp"), tree, look));
    }
  }
  rmdir(dest.c_str());
  const double perFile = 1e6 / double(tree.Files.size());
  printf("%zu files: copy %.2f us/file as cp, %.2f whole-or-nothing file by file (ratio %.2f), "
         "%.2f into a new folder renamed once (ratio %.2f); "
         "removal %.2f us/file as rm, %.2f looking first, ratio %.2f\n",
         tree.Files.size(), Median(cp) * perFile, Median(whole) * perFile,
         Median(whole) / Median(cp), Median(inNew) * perFile, Median(inNew) / Median(cp),
         Median(unlinked) * perFile, Median(looked) * perFile, Median(looked) / Median(unlinked));
  return 0;
}
