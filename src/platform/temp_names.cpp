// Names of temporary entries and their lock files.
#include "platform/temp_names.h"

#include <random>

namespace tempnames {
namespace {

bool IsRunChar(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsRun(std::string_view run) {
  if (run.empty() || run.size() > 32) return false;
  for (char c : run)
    if (!IsRunChar(c)) return false;
  return true;
}

}  // namespace

bool IsWorkingName(std::string_view name) { return name.substr(0, kPrefix.size()) == kPrefix; }

std::string NewRunId(uint64_t processId, char build) {
  std::random_device random;
  const char* digits = "0123456789abcdefghijklmnopqrstuvwxyz";
  std::string id = std::to_string(processId) + build;
  for (int i = 0; i < 6; ++i) id += digits[random() % 36];
  return id;
}

std::string TempName(std::string_view run, uint64_t number) {
  std::string name(kPrefix);
  name += run;
  name += '-';
  name += std::to_string(number);
  name += ".tmp";
  return name;
}

std::string LockName(std::string_view run) {
  std::string name(kPrefix);
  name += run;
  name += ".lock";
  return name;
}

Kind Parse(std::string_view name, std::string& run) {
  // Names are compared as the file system spells them: the program makes
  // them in lower case only.
  if (name.substr(0, kPrefix.size()) != kPrefix) return Kind::None;
  name.remove_prefix(kPrefix.size());
  constexpr std::string_view kLock = ".lock", kTemp = ".tmp";
  if (name.size() > kLock.size() && name.substr(name.size() - kLock.size()) == kLock) {
    const std::string_view id = name.substr(0, name.size() - kLock.size());
    if (!IsRun(id)) return Kind::None;
    run = id;
    return Kind::Lock;
  }
  if (name.size() <= kTemp.size() || name.substr(name.size() - kTemp.size()) != kTemp)
    return Kind::None;
  name.remove_suffix(kTemp.size());
  const size_t dash = name.rfind('-');
  if (dash == std::string_view::npos || dash + 1 == name.size()) return Kind::None;
  for (char c : name.substr(dash + 1))
    if (c < '0' || c > '9') return Kind::None;
  if (!IsRun(name.substr(0, dash))) return Kind::None;
  run = name.substr(0, dash);
  return Kind::Temp;
}

}  // namespace tempnames
