// One section of scenery.cfg in memory: its name and its record.  An area
// section names a scenery folder with its title, layer number and state; the
// General section is kept in the same record shape (see Area).
//
// May use: the standard library only.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// A key of a section that the program does not read (another tool's, or an
// editor's), kept as it was read so that a save writes it back.
struct KeptKey {
  std::string Name;
  std::string Value;
};

// The values of one section.  For an area they are the keys of the same
// names; for the General section Title is its "Title", Local the fixed text
// "General", Remote its "Description", Active its "Clean_on_Exit", Layer -1
// and Required true.  The keys the program does not read stay with the
// record, so that a section keeps them wherever sorts and moves take it.
struct Area {
  Area(std::string title, std::string local, std::string remote, int32_t layer, bool active,
       bool required, std::string exclude)
      : Title(std::move(title)),
        Local(std::move(local)),
        Remote(std::move(remote)),
        Exclude(std::move(exclude)),
        Layer(layer),
        Active(active),
        Required(required) {}

  std::string Title;
  std::string Local;    // the scenery folder as stored: relative to the simulator folder or absolute
  std::string Remote;
  std::string Exclude;  // empty when the key is absent or empty
  int32_t Layer = 0;    // drawing priority: a higher number draws over a lower one
  bool Active = false;
  bool Required = false;  // a required area is never deleted, toggled or removed from disk
  // An area's "Texture_ID" as read; none when it had none (the world area
  // then gets the simulator's 1 when written).
  std::optional<std::string> TextureId;
  // The section's other keys in file order, written after those above.
  std::vector<KeptKey> OtherKeys;
};

// A section as listed in scenery.cfg: the name written to the file (its area
// number is the number in it) and its record.  Every section this program
// creates carries a record; only a load stopped by a bad value leaves later
// sections without one.
struct Section {
  std::string Name;
  std::unique_ptr<Area> Record;
};
