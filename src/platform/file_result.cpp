// The plain words of the outcomes of file operations, shared by both builds.
#include "platform/platform.h"

namespace plat {

FileResult ResultOf(FileOutcome outcome) {
  switch (outcome) {
    case FileOutcome::Done: return {};
    case FileOutcome::Missing: return {outcome, "it does not exist"};
    case FileOutcome::Exists: return {outcome, "it exists already"};
    case FileOutcome::ReadOnly: return {outcome, "it is read-only"};
    case FileOutcome::NotEmpty: return {outcome, "the folder is not empty"};
    case FileOutcome::WrongKind: return {outcome, "it is not the kind of entry expected"};
    case FileOutcome::NoSpace: return {outcome, "there is no space left on the disk"};
    case FileOutcome::Denied: return {outcome, "permission denied"};
    case FileOutcome::InUse: return {outcome, "another program is using it"};
    case FileOutcome::BadName: return {outcome, "no file or folder can have that name"};
    case FileOutcome::IoError: return {outcome, "the disk reported an input/output error"};
    case FileOutcome::OtherFault: break;
  }
  return {FileOutcome::OtherFault, "the system reported an error"};
}

std::string FileResult::Tell(const std::string& action, const std::string& path) const {
  return "cannot " + action + " '" + path + "': " + Cause;
}

std::string SizeInWords(uint64_t bytes) {
  constexpr uint64_t kKilo = 1024, kMega = 1024 * 1024;
  if (bytes >= kMega && bytes % kMega == 0) return std::to_string(bytes / kMega) + " MB";
  if (bytes >= kKilo && bytes % kKilo == 0) return std::to_string(bytes / kKilo) + " KB";
  return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
}

}  // namespace plat
