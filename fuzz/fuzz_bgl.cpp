// Fuzzes the BGL classifier: each input is written to a file, which the
// classifier opens through the host layer like any scenery file.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bgl/bgl_info.h"

namespace {

std::string g_host;     // host path of the input file
std::string g_windows;  // the same as a Windows path on drive Z:

void RemoveInput() { std::remove(g_host.c_str()); }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // An empty prefix: drive Z: is the host root, nothing else exists.
  const std::string base = "/tmp/layrix-fuzz-bgl-" + std::to_string(getpid());
  setenv("WINEPREFIX", (base + "-prefix").c_str(), 1);
  g_host = base + ".bgl";
  g_windows = "Z:" + g_host;
  for (char& c : g_windows)
    if (c == '/') c = '\\';
  std::atexit(RemoveInput);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FILE* f = std::fopen(g_host.c_str(), "wb");
  if (!f) std::abort();
  if (size && std::fwrite(data, 1, size, f) != size) std::abort();
  std::fclose(f);

  const BglInfo bgl = ReadBglInfo(g_windows);
  const bool known = bgl.Version == -2 || bgl.Version == 6 || bgl.Version == 7 || bgl.Version == 9 ||
                     bgl.Version == 10;
  if (!known) std::abort();
  if (bgl.Version == -2 && bgl.ContentFlags != 0) std::abort();
  if (bgl.ContentFlags >= (1u << 31)) std::abort();  // elements 0..30
  return 0;
}
