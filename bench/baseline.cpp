// The least work a BGL switch can do: list one folder once, and for every
// file whose name ends in OLDEXT (any letter case) open it, read its first
// bytes and rename it to the same name with NEWEXT, never over an existing
// name.  No classification, no sorting, no name cache: the floor against
// which "-v-" is measured.
//
//   bench_baseline FOLDER OLDEXT NEWEXT
//
// Prints the number of files renamed.
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <strings.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

bool EndsWithIgnoringCase(const std::string& name, const std::string& ext) {
  return name.size() > ext.size() &&
         strcasecmp(name.c_str() + name.size() - ext.size(), ext.c_str()) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    fprintf(stderr, "usage: %s FOLDER OLDEXT NEWEXT\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  const std::string oldExt = argv[2];
  const std::string newExt = argv[3];

  int dirFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (dirFd < 0) {
    perror(folder.c_str());
    return 1;
  }
  // The names first, as a walker that renames while it lists would meet
  // the renamed files again.
  std::vector<std::string> names;
  if (DIR* dir = fdopendir(dup(dirFd))) {
    while (const dirent* d = readdir(dir)) {
      if (d->d_type != DT_REG && d->d_type != DT_UNKNOWN) continue;
      std::string name = d->d_name;
      if (EndsWithIgnoringCase(name, oldExt)) names.push_back(std::move(name));
    }
    closedir(dir);
  }

  long renamed = 0;
  unsigned char header[128];
  for (const std::string& name : names) {
    int fd = openat(dirFd, name.c_str(), O_RDONLY);
    if (fd < 0) continue;
    ssize_t got = pread(fd, header, sizeof header, 0);
    close(fd);
    if (got < 2) continue;
    const std::string target = name.substr(0, name.size() - oldExt.size()) + newExt;
    if (renameat2(dirFd, name.c_str(), dirFd, target.c_str(), RENAME_NOREPLACE) == 0) ++renamed;
  }
  close(dirFd);
  printf("%ld\n", renamed);
  return 0;
}
