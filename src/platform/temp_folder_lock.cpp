// The lock files of this run's temporary entries, one per folder, shared
// while anything needs them.
#include "platform/temp_folder_lock.h"

#include <map>
#include <vector>

namespace plat {
namespace {

std::map<std::string, std::weak_ptr<TempFolderLock>>& HeldLocks() {
  static auto& held = *new std::map<std::string, std::weak_ptr<TempFolderLock>>;
  return held;
}

// Lock files kept to the end of the run (KeepToTheEnd).
std::vector<std::shared_ptr<TempFolderLock>>& KeptLocks() {
  static std::vector<std::shared_ptr<TempFolderLock>> kept;
  return kept;
}

}  // namespace

TempFolderLock::~TempFolderLock() {
  release_(keepFile_);
  auto found = HeldLocks().find(folder_);
  if (found != HeldLocks().end() && found->second.expired()) HeldLocks().erase(found);
}

std::shared_ptr<TempFolderLock> TempFolderLock::Held(const std::string& folder) {
  auto found = HeldLocks().find(folder);
  return found == HeldLocks().end() ? nullptr : found->second.lock();
}

std::shared_ptr<TempFolderLock> TempFolderLock::Share(const std::string& folder, Release release) {
  auto lock = std::make_shared<TempFolderLock>(folder, std::move(release));
  HeldLocks()[folder] = lock;
  return lock;
}

void TempFolderLock::KeepToTheEnd() {
  if (keepFile_) return;
  keepFile_ = true;
  if (std::shared_ptr<TempFolderLock> self = Held(folder_)) KeptLocks().push_back(std::move(self));
}

}  // namespace plat
