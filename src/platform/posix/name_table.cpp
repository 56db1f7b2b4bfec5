#include "platform/posix/name_table.h"

#include <functional>
#include <string_view>

namespace plat::posix {
namespace {

size_t SlotsFor(size_t names) {
  size_t slots = 16;
  while (slots < names * 2 + 2) slots *= 2;
  return slots;
}

}  // namespace

uint32_t NameTable::HashOf(const std::string& key) {
  const uint64_t hash = std::hash<std::string_view>{}(key);
  return static_cast<uint32_t>(hash ^ (hash >> 32));
}

void NameTable::Assign(std::vector<std::string> names) {
  Names_ = std::move(names);
  FreeNames_.clear();
  Used_ = Names_.size();
  Removed_ = 0;
  Slots_.assign(SlotsFor(Used_), Slot{});
  for (uint32_t i = 0; i < Names_.size(); ++i) Place(HashOf(KeyOf_(Names_[i])), i);
}

size_t NameTable::FindName(const std::string& hostName, uint32_t hash) const {
  if (Slots_.empty()) return SIZE_MAX;
  const size_t mask = Slots_.size() - 1;
  for (size_t at = hash & mask;; at = (at + 1) & mask) {
    const Slot& slot = Slots_[at];
    if (slot.Index == kEmpty) return SIZE_MAX;
    if (slot.Index != kRemoved && slot.Hash == hash && Names_[slot.Index] == hostName) return at;
  }
}

void NameTable::Place(uint32_t hash, uint32_t index) {
  const size_t mask = Slots_.size() - 1;
  size_t at = hash & mask;
  while (Slots_[at].Index != kEmpty && Slots_[at].Index != kRemoved) at = (at + 1) & mask;
  if (Slots_[at].Index == kRemoved) --Removed_;
  Slots_[at] = {hash, index};
}

uint32_t NameTable::StoreName(const std::string& hostName) {
  if (!FreeNames_.empty()) {
    const uint32_t index = FreeNames_.back();
    FreeNames_.pop_back();
    Names_[index] = hostName;
    return index;
  }
  Names_.push_back(hostName);
  return static_cast<uint32_t>(Names_.size() - 1);
}

void NameTable::ReleaseName(uint32_t index) {
  std::string().swap(Names_[index]);
  FreeNames_.push_back(index);
}

void NameTable::Rebuild(size_t slots) {
  std::vector<Slot> old(slots, Slot{});
  old.swap(Slots_);
  Removed_ = 0;
  for (const Slot& slot : old)
    if (slot.Index != kEmpty && slot.Index != kRemoved) Place(slot.Hash, slot.Index);
}

void NameTable::Reserve() {
  if (Slots_.empty()) {
    Slots_.assign(SlotsFor(1), Slot{});
    return;
  }
  if ((Used_ + Removed_ + 1) * 2 <= Slots_.size()) return;
  // Renames leave a removed slot each: while the names alone fill at most
  // two fifths, the same size cleaned serves (a walk renaming every file of
  // a large folder would else double the array again and again).
  Rebuild((Used_ + 1) * 5 <= Slots_.size() * 2 ? Slots_.size() : Slots_.size() * 2);
}

void NameTable::Add(const std::string& hostName) {
  const uint32_t hash = HashOf(KeyOf_(hostName));
  if (FindName(hostName, hash) != SIZE_MAX) return;
  Reserve();
  Place(hash, StoreName(hostName));
  ++Used_;
}

void NameTable::Remove(const std::string& hostName) {
  const size_t at = FindName(hostName, HashOf(KeyOf_(hostName)));
  if (at == SIZE_MAX) return;
  ReleaseName(Slots_[at].Index);
  Slots_[at].Index = kRemoved;
  --Used_;
  ++Removed_;
}

void NameTable::Rename(const std::string& from, const std::string& to) {
  const size_t at = FindName(from, HashOf(KeyOf_(from)));
  if (at == SIZE_MAX) {
    Add(to);
    return;
  }
  const uint32_t toHash = HashOf(KeyOf_(to));
  const uint32_t index = Slots_[at].Index;
  Slots_[at].Index = kRemoved;
  --Used_;
  ++Removed_;
  if (FindName(to, toHash) != SIZE_MAX) {
    ReleaseName(index);
    return;
  }
  // The name keeps its place in Names_; only its slot moves.
  Names_[index] = to;
  Reserve();
  Place(toHash, index);
  ++Used_;
}

template <typename Visit>
bool NameTable::VisitKey(const std::string& key, Visit visit) const {
  if (Slots_.empty()) return false;
  const uint32_t hash = HashOf(key);
  const size_t mask = Slots_.size() - 1;
  for (size_t at = hash & mask;; at = (at + 1) & mask) {
    const Slot& slot = Slots_[at];
    if (slot.Index == kEmpty) return false;
    if (slot.Index != kRemoved && slot.Hash == hash && KeyOf_(Names_[slot.Index]) == key &&
        visit(Names_[slot.Index]))
      return true;
  }
}

bool NameTable::HasKey(const std::string& key) const {
  return VisitKey(key, [](const std::string&) { return true; });
}

std::vector<std::string> NameTable::NamesWithKey(const std::string& key) const {
  std::vector<std::string> names;
  VisitKey(key, [&names](const std::string& name) {
    names.push_back(name);
    return false;
  });
  return names;
}

}  // namespace plat::posix
