// The least the folder test of "-l" and "-x" costs: one stat of each
// area's "scenery" sub-folder, nothing else.  No path text is spelled out
// and no name looked up in other letter cases: each path is given as the
// host spells it, relative to an open handle of the folder two levels up
// (the folder that holds the areas' folders), one after the other on one
// thread, as layrix looks at them.
//
//   bench_stat_floor PATHS ROUNDS
//
// PATHS is a file of host paths, one per line ("/.../Addon Scenery/Pack
// 00001/scenery").  Prints the number of paths and the median seconds of
// ROUNDS rounds.
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

struct Probe {
  int Dir;
  std::string Path;
};

double Now() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: %s PATHS ROUNDS\n", argv[0]);
    return 2;
  }
  const int rounds = std::max(1, atoi(argv[2]));
  std::ifstream in(argv[1]);
  std::map<std::string, int> handles;
  std::vector<Probe> probes;
  for (std::string line; std::getline(in, line);) {
    if (line.empty()) continue;
    // The folder two levels up holds the areas' folders side by side.
    size_t cut = line.rfind('/');
    if (cut != std::string::npos && cut > 0) cut = line.rfind('/', cut - 1);
    if (cut == std::string::npos || cut == 0) {
      probes.push_back({AT_FDCWD, line});
      continue;
    }
    const std::string folder = line.substr(0, cut);
    auto found = handles.find(folder);
    if (found == handles.end()) {
      const int fd = open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
      found = handles.emplace(folder, fd < 0 ? AT_FDCWD : fd).first;
    }
    probes.push_back({found->second, found->second == AT_FDCWD ? line : line.substr(cut + 1)});
  }
  if (probes.empty()) {
    fprintf(stderr, "%s: no paths in %s\n", argv[0], argv[1]);
    return 1;
  }
  std::vector<double> times;
  size_t found = 0;
  for (int round = 0; round < rounds; ++round) {
    found = 0;
    const double start = Now();
    for (const Probe& probe : probes) {
      struct stat st;
      if (fstatat(probe.Dir, probe.Path.c_str(), &st, 0) == 0 && S_ISDIR(st.st_mode)) ++found;
    }
    times.push_back(Now() - start);
  }
  std::sort(times.begin(), times.end());
  printf("%zu folders (%zu there): one stat each: %.3f s\n", probes.size(), found,
         times[times.size() / 2]);
  return 0;
}
