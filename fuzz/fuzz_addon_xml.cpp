// Fuzzes the readers of the add-on packages' files: any bytes are read as
// an XML document, as an add-on.xml and as a package list (add-ons.cfg).
// What comes back must keep the reader's bounds, and an error is said
// exactly when the reading fails.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "scenery/addon_packages.h"
#include "xml/xml_reader.h"

namespace {

void Visit(const xml::Element& element, size_t depth) {
  if (depth > xml::kMaxDepth || element.Name.empty()) std::abort();
  for (const xml::Attribute& attribute : element.Attributes)
    if (attribute.Name.empty() || element.AttributeValue(attribute.Name) == nullptr) std::abort();
  for (const xml::Element& child : element.Children) Visit(child, depth + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  xml::Element root;
  std::string error;
  const bool parsed = xml::Parse(bytes, root, error);
  if (parsed == !error.empty()) std::abort();
  if (parsed) Visit(root, 1);
  else if (!root.Name.empty() || !root.Children.empty()) std::abort();

  AddonPackage package;
  package.Folder = "C:\\Addons\\Fuzz";
  std::vector<std::string> problems;
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
