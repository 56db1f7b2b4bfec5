// The names of one folder, found by a key that ignores letter case.
//
// A folder may hold many thousand names, and a walk renaming or adding one
// name after another asks for a key and changes the table each time.  The
// table is one flat array of (hash, name index) slots probed in a line, and
// the names lie side by side in one vector: a question costs about one
// memory access where a node-based map costs several, and loading a folder
// allocates nothing per name.
//
// May use: the standard library only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace plat::posix {

class NameTable {
 public:
  // The key under which a host name is found (names equal ignoring case
  // share it).
  using KeyOf = std::string (*)(const std::string& hostName);

  explicit NameTable(KeyOf keyOf) : keyOf_(keyOf) {}

  // Replaces the whole content by `names` (distinct host names).
  void Assign(std::vector<std::string> names);
  void Clear() { Assign({}); }

  // Adds a host name; one already there stays once.
  void Add(const std::string& hostName);
  // Removes a host name, if there.
  void Remove(const std::string& hostName);
  // `from` becomes `to` (added when `from` is missing).
  void Rename(const std::string& from, const std::string& to);

  // Whether any name has the key `key`.
  bool HasKey(const std::string& key) const;
  // The names with the key `key`, in no particular order.
  std::vector<std::string> NamesWithKey(const std::string& key) const;
  size_t Size() const { return used_; }

 private:
  static constexpr uint32_t kEmpty = UINT32_MAX;
  static constexpr uint32_t kRemoved = UINT32_MAX - 1;
  // The key's hash decides where a name's slot starts and is kept in it, so
  // that most slots of other names are passed over without looking at them.
  struct Slot {
    uint32_t Hash = 0;
    uint32_t Index = kEmpty;  // into names_
  };

  static uint32_t HashOf(const std::string& key);
  // The slot holding exactly `hostName`, or SIZE_MAX.
  size_t FindName(const std::string& hostName, uint32_t hash) const;
  void Place(uint32_t hash, uint32_t index);
  // Calls `visit` with each name whose key is `key` until it returns true;
  // true when one did.
  template <typename Visit>
  bool VisitKey(const std::string& key, Visit visit) const;
  uint32_t StoreName(const std::string& hostName);
  void ReleaseName(uint32_t index);
  // Makes room for one more name: the same array without the slots of
  // removed names, or a larger one.
  void Reserve();
  void Rebuild(size_t slots);

  KeyOf keyOf_;
  std::vector<Slot> slots_;  // a power of two in size, at most half in use
  std::vector<std::string> names_;
  std::vector<uint32_t> freeNames_;
  size_t used_ = 0;
  size_t removed_ = 0;  // slots marked removed
};

}  // namespace plat::posix
