// The difference of two states of a library, area by area.  See
// library_diff.h.
#include "scenery/library_diff.h"

#include <unordered_map>

#include "scenery/folder_match.h"

namespace {

AreaFacts FactsOf(const Area& area) { return {area.Title, area.Local, area.Layer, area.Active}; }

const char* OnOff(bool active) { return active ? "on" : "off"; }

// The areas of a library (the General section and entries without a
// record left out), in file order.
std::vector<const Area*> AreasOf(const SceneryLibrary& library) {
  std::vector<const Area*> areas;
  areas.reserve(library.Sections.size());
  for (size_t i = 0; i < library.Sections.size(); ++i)
    if (library.IsAreaEntry(i)) areas.push_back(library.Sections[i].Record.get());
  return areas;
}

}  // namespace

LibraryDiff CompareLibraries(const SceneryLibrary& before, const SceneryLibrary& after,
                             const std::string& simulatorFolder) {
  const FolderKeys keys(simulatorFolder);
  const auto keyOf = [&](const Area& area) {
    return keys.Of(area.Local, [&] { return FullFolder(simulatorFolder, area.Local); });
  };
  // Two areas whose keys are equal name one folder when their texts are
  // equal, when both are plain folders below the simulator folder (their
  // keys then are their texts folded), or when their full forms are.
  const auto sameFolder = [&](const Area& a, const Area& b) {
    if (a.Local == b.Local) return true;
    if (keys.IsPlainBelow(a.Local) && keys.IsPlainBelow(b.Local)) return true;
    return IsSameFolder(FullFolder(simulatorFolder, a.Local), FullFolder(simulatorFolder, b.Local));
  };

  const std::vector<const Area*> old = AreasOf(before);
  const std::vector<const Area*> now = AreasOf(after);
  std::unordered_map<std::string, std::vector<size_t>> oldByKey;
  oldByKey.reserve(old.size());
  for (size_t i = 0; i < old.size(); ++i) oldByKey[keyOf(*old[i])].push_back(i);

  LibraryDiff diff;
  std::vector<bool> matched(old.size(), false);
  std::vector<AreaChange> changed;
  for (const Area* area : now) {
    const auto found = oldByKey.find(keyOf(*area));
    const Area* partner = nullptr;
    if (found != oldByKey.end()) {
      for (size_t i : found->second) {
        if (matched[i] || !sameFolder(*old[i], *area)) continue;
        matched[i] = true;
        partner = old[i];
        break;
      }
    }
    if (!partner) {
      diff.Changes.push_back({AreaChange::Kind::Added, {}, FactsOf(*area)});
      ++diff.Added;
    } else if (partner->Layer != area->Layer || partner->Active != area->Active ||
               partner->Title != area->Title || partner->Local != area->Local) {
      changed.push_back({AreaChange::Kind::Changed, FactsOf(*partner), FactsOf(*area)});
    }
  }
  for (size_t i = 0; i < old.size(); ++i) {
    if (matched[i]) continue;
    diff.Changes.push_back({AreaChange::Kind::Removed, FactsOf(*old[i]), {}});
    ++diff.Removed;
  }
  diff.Changed = changed.size();
  for (AreaChange& change : changed) diff.Changes.push_back(std::move(change));
  return diff;
}

std::string DiffCountText(const LibraryDiff& diff) {
  return std::to_string(diff.Added) + " added, " + std::to_string(diff.Removed) + " removed, " +
         std::to_string(diff.Changed) + " changed";
}

std::string ChangeLine(const AreaChange& change) {
  const AreaFacts& a = change.Before;
  const AreaFacts& b = change.After;
  switch (change.What) {
    case AreaChange::Kind::Added:
    case AreaChange::Kind::Removed: {
      const bool added = change.What == AreaChange::Kind::Added;
      const AreaFacts& f = added ? b : a;
      return std::string(added ? "added    " : "removed  ") + f.Folder + ": layer " +
             std::to_string(f.Layer) + ", " + OnOff(f.Active) + ", \"" + f.Title + "\"";
    }
    case AreaChange::Kind::Changed:
      break;
  }
  std::string what;
  const auto add = [&](const std::string& part) { what += (what.empty() ? "" : ", ") + part; };
  if (a.Layer != b.Layer)
    add("layer " + std::to_string(a.Layer) + " -> " + std::to_string(b.Layer));
  if (a.Active != b.Active) add(std::string(OnOff(a.Active)) + " -> " + OnOff(b.Active));
  if (a.Title != b.Title) add("title \"" + a.Title + "\" -> \"" + b.Title + "\"");
  if (a.Folder != b.Folder) add("folder \"" + a.Folder + "\" -> \"" + b.Folder + "\"");
  return "changed  " + b.Folder + ": " + what;
}
