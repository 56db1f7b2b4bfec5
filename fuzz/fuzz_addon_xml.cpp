// Fuzzes the readers of the add-on packages' files: any bytes are read as
// an XML document, as an add-on.xml and as a package list (add-ons.cfg).
// What comes back must keep the reader's bounds, and what is read from a
// failed parse is nothing.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "scenery/addon_packages.h"
#include "formats/xml_reader.h"

namespace {

// Checks the events as they come: names never empty, attributes only
// right after an element's start, no deeper than the bound, every element
// ended, and one root.
struct Checked : xml::Events {
  size_t Depth = 0, Roots = 0;
  bool InTag = false;
  void ElementStart(std::string_view name) override {
    if (name.empty() || ++Depth > xml::kMaxDepth) std::abort();
    Roots += Depth == 1;
    InTag = true;
  }
  void Attribute(std::string_view name, std::string_view) override {
    if (name.empty() || !InTag) std::abort();
  }
  void Text(std::string_view) override {
    if (Depth == 0) std::abort();
    InTag = false;
  }
  void ElementEnd() override {
    if (Depth-- == 0) std::abort();
    InTag = false;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  Checked events;
  const bool parsed = !xml::Read(bytes, events);
  if (parsed && (events.Depth != 0 || events.Roots != 1)) std::abort();

  AddonPackage package;
  package.Folder = "C:\\Addons\\Fuzz";
  std::vector<std::string> problems;
  std::string error;
  const bool read = ReadPackageDescription(bytes, package, error, problems);
  if (read && !parsed) std::abort();  // the description is read from the same parse
  if (!read && !package.Scenery.empty()) std::abort();
  for (const SceneryComponent& component : package.Scenery)
    if (component.Folder.empty() || (component.Folder.back() == '\\' && component.Folder.size() > 3))
      std::abort();

  const PackageList list = ParsePackageList(bytes);
  for (const PackageListEntry& entry : list.Packages)
    if (entry.Path.empty()) std::abort();
  for (const PackageListEntry& entry : list.DiscoveryPaths)
    if (entry.Path.empty()) std::abort();
  return 0;
}
