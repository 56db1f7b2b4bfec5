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
  names_ = std::move(names);
  freeNames_.clear();
  used_ = names_.size();
  removed_ = 0;
  slots_.assign(SlotsFor(used_), Slot{});
  for (uint32_t i = 0; i < names_.size(); ++i) Place(HashOf(keyOf_(names_[i])), i);
}

size_t NameTable::FindName(const std::string& hostName, uint32_t hash) const {
  if (slots_.empty()) return SIZE_MAX;
  const size_t mask = slots_.size() - 1;
  for (size_t at = hash & mask;; at = (at + 1) & mask) {
    const Slot& slot = slots_[at];
    if (slot.Index == kEmpty) return SIZE_MAX;
    if (slot.Index != kRemoved && slot.Hash == hash && names_[slot.Index] == hostName) return at;
  }
}

void NameTable::Place(uint32_t hash, uint32_t index) {
  const size_t mask = slots_.size() - 1;
  size_t at = hash & mask;
  while (slots_[at].Index != kEmpty && slots_[at].Index != kRemoved) at = (at + 1) & mask;
  if (slots_[at].Index == kRemoved) --removed_;
  slots_[at] = {hash, index};
}

uint32_t NameTable::StoreName(const std::string& hostName) {
  if (!freeNames_.empty()) {
    const uint32_t index = freeNames_.back();
    freeNames_.pop_back();
    names_[index] = hostName;
    return index;
  }
  names_.push_back(hostName);
  return static_cast<uint32_t>(names_.size() - 1);
}

void NameTable::ReleaseName(uint32_t index) {
  std::string().swap(names_[index]);
  freeNames_.push_back(index);
}

void NameTable::Rebuild(size_t slots) {
  std::vector<Slot> old(slots, Slot{});
  old.swap(slots_);
  removed_ = 0;
  for (const Slot& slot : old)
    if (slot.Index != kEmpty && slot.Index != kRemoved) Place(slot.Hash, slot.Index);
}

void NameTable::Reserve() {
  if (slots_.empty()) {
    slots_.assign(SlotsFor(1), Slot{});
    return;
  }
  if ((used_ + removed_ + 1) * 2 <= slots_.size()) return;
  // Renames leave a removed slot each: while the names alone fill at most
  // two fifths, the same size cleaned serves (a walk renaming every file of
  // a large folder would else double the array again and again).
  Rebuild((used_ + 1) * 5 <= slots_.size() * 2 ? slots_.size() : slots_.size() * 2);
}

void NameTable::Add(const std::string& hostName) {
  const uint32_t hash = HashOf(keyOf_(hostName));
  if (FindName(hostName, hash) != SIZE_MAX) return;
  Reserve();
  Place(hash, StoreName(hostName));
  ++used_;
}

void NameTable::Remove(const std::string& hostName) {
  const size_t at = FindName(hostName, HashOf(keyOf_(hostName)));
  if (at == SIZE_MAX) return;
  ReleaseName(slots_[at].Index);
  slots_[at].Index = kRemoved;
  --used_;
  ++removed_;
}

void NameTable::Rename(const std::string& from, const std::string& to) {
  const size_t at = FindName(from, HashOf(keyOf_(from)));
  if (at == SIZE_MAX) {
    Add(to);
    return;
  }
  const uint32_t toHash = HashOf(keyOf_(to));
  const uint32_t index = slots_[at].Index;
  slots_[at].Index = kRemoved;
  --used_;
  ++removed_;
  if (FindName(to, toHash) != SIZE_MAX) {
    ReleaseName(index);
    return;
  }
  // The name keeps its place in names_; only its slot moves.
  names_[index] = to;
  Reserve();
  Place(toHash, index);
  ++used_;
}

template <typename Visit>
bool NameTable::VisitKey(const std::string& key, Visit visit) const {
  if (slots_.empty()) return false;
  const uint32_t hash = HashOf(key);
  const size_t mask = slots_.size() - 1;
  for (size_t at = hash & mask;; at = (at + 1) & mask) {
    const Slot& slot = slots_[at];
    if (slot.Index == kEmpty) return false;
    if (slot.Index != kRemoved && slot.Hash == hash && keyOf_(names_[slot.Index]) == key &&
        visit(names_[slot.Index]))
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
