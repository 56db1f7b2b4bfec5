// Fuzzes the reader of Valve's KeyValues text (Steam's libraryfolders.vdf):
// any bytes are parsed, entries are looked up with keys taken from the
// input itself, and Steam's list of library folders is read from the same
// bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "formats/vdf.h"
#include "formats/steam_libraries.h"

namespace {

// Walks every entry, as a reader of the tree would; the depth bound of the
// parser is the depth of what it returns.
void Visit(const std::vector<vdf::Entry>& entries, size_t depth, std::string_view key) {
  if (depth > vdf::kMaxDepth) std::abort();
  for (const vdf::Entry& entry : entries) {
    if (!entry.IsBlock && !entry.Children.empty()) std::abort();
    if (entry.IsBlock && !entry.Value.empty()) std::abort();
    const vdf::Entry* found = entry.Find(key);
    if (found && !entry.IsBlock) std::abort();
    Visit(entry.Children, depth + 1, key);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::vector<vdf::Entry> entries;
  const bool parsed = !vdf::Parse(bytes, entries);
  if (!parsed && !entries.empty()) std::abort();

  // The first quoted text of the input as a key to look for.
  std::string_view key;
  const size_t q1 = bytes.find('"');
  const size_t q2 = q1 == std::string_view::npos ? q1 : bytes.find('"', q1 + 1);
  if (q2 != std::string_view::npos) key = bytes.substr(q1 + 1, q2 - q1 - 1);
  Visit(entries, 0, key);
  (void)vdf::Find(entries, key);

  std::vector<std::string> folders;
  const bool listed = !steam::LibraryFolders(bytes, folders);
  if (listed && !parsed) std::abort();  // the list is read from the same parse
  if (!listed && !folders.empty()) std::abort();
  for (const std::string& folder : folders)
    if (folder.empty()) std::abort();
  return 0;
}
