// The kept states of a library: their names, their facts files, listing,
// keeping and removing them.  See library_history.h.
#include "scenery/library_history.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>

#include "platform/platform.h"
#include "platform/winpath.h"

namespace {

constexpr std::string_view kStatePrefix = "scenery.";
constexpr size_t kSequenceDigits = 6;  // more when the number needs them
constexpr uint64_t kTicksPerSecond = 10000000;
// Seconds from 1601-01-01 (FILETIME's start) to 1970-01-01.
constexpr int64_t kUnixEpochSeconds = 11644473600;

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar, and
// back.
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int64_t& y, unsigned& m, unsigned& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y = static_cast<int64_t>(yoe) + era * 400 + (m <= 2);
}

// The digits of `text` from `at` on, `count` of them, as a number; false
// when one is not a digit.
bool Digits(std::string_view text, size_t at, size_t count, unsigned& value) {
  if (at + count > text.size()) return false;
  value = 0;
  for (size_t i = at; i < at + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    value = value * 10 + unsigned(text[i] - '0');
  }
  return true;
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.back() == '\r' || text.back() == ' ')) text.remove_suffix(1);
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  return text;
}

bool EndsWithIgnoringCase(std::string_view text, std::string_view end) {
  if (text.size() < end.size()) return false;
  for (size_t i = 0; i < end.size(); ++i) {
    char a = text[text.size() - end.size() + i];
    if (a >= 'A' && a <= 'Z') a = char(a + 32);
    if (a != end[i]) return false;
  }
  return true;
}

}  // namespace

std::string CannotKeep(const std::string& configPath, const std::string& why) {
  return "cannot keep the state of " + configPath + " before changing it: " + why +
         "; nothing was changed (History=0 in layrix.ini turns the history off)";
}

std::string HistoryFolder(const std::string& configPath) {
  return winpath::ExtractFilePath(configPath) + kHistoryFolderName + "\\";
}

std::string StateFactsText(const StateFacts& facts) {
  // A line end inside the command line would start a line of its own.
  std::string command = facts.CommandLine;
  std::replace(command.begin(), command.end(), '\r', ' ');
  std::replace(command.begin(), command.end(), '\n', ' ');
  return "Time=" + facts.Time + " UTC\r\nCommand=" + command + "\r\n";
}

StateFacts ParseStateFacts(std::string_view text) {
  StateFacts facts;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    const std::string_view line = Trimmed(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.substr(0, 5) == "Time=") {
      std::string_view time = Trimmed(line.substr(5));
      if (time.size() > 4 && time.substr(time.size() - 4) == " UTC") time.remove_suffix(4);
      if (ParseTimeText(time)) facts.Time = std::string(time);
    } else if (line.substr(0, 8) == "Command=") {
      facts.CommandLine = std::string(line.substr(8));
    }
  }
  return facts;
}

std::string StateFileName(uint64_t sequence) {
  char digits[32];
  std::snprintf(digits, sizeof digits, "%0*llu", int(kSequenceDigits),
                static_cast<unsigned long long>(sequence));
  return std::string(kStatePrefix) + digits + ".cfg";
}

std::string StateFactsFileName(uint64_t sequence) {
  std::string name = StateFileName(sequence);
  return name.replace(name.size() - 4, 4, ".txt");
}

std::optional<uint64_t> SequenceOfName(std::string_view name, std::string_view extension) {
  if (name.size() < kStatePrefix.size() + 1 + extension.size()) return std::nullopt;
  for (size_t i = 0; i < kStatePrefix.size(); ++i)
    if ((name[i] | 0x20) != kStatePrefix[i] && name[i] != kStatePrefix[i]) return std::nullopt;
  if (!EndsWithIgnoringCase(name, extension)) return std::nullopt;
  const std::string_view digits =
      name.substr(kStatePrefix.size(), name.size() - kStatePrefix.size() - extension.size());
  if (digits.empty() || digits.size() > 18) return std::nullopt;
  uint64_t value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + uint64_t(c - '0');
  }
  return value;
}

std::string TimeText(uint64_t fileTime) {
  const int64_t seconds = int64_t(fileTime / kTicksPerSecond) - kUnixEpochSeconds;
  const int64_t days = (seconds >= 0 ? seconds : seconds - 86399) / 86400;
  const int64_t inDay = seconds - days * 86400;
  int64_t y = 0;
  unsigned m = 0, d = 0;
  CivilFromDays(days, y, m, d);
  char text[48];
  std::snprintf(text, sizeof text, "%04lld-%02u-%02u %02u:%02u:%02u", static_cast<long long>(y), m,
                d, unsigned(inDay / 3600), unsigned(inDay / 60 % 60), unsigned(inDay % 60));
  return text;
}

std::optional<uint64_t> ParseTimeText(std::string_view text) {
  unsigned y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
  if (text.size() != 19 || text[4] != '-' || text[7] != '-' || text[10] != ' ' ||
      text[13] != ':' || text[16] != ':' || !Digits(text, 0, 4, y) || !Digits(text, 5, 2, mo) ||
      !Digits(text, 8, 2, d) || !Digits(text, 11, 2, h) || !Digits(text, 14, 2, mi) ||
      !Digits(text, 17, 2, s) || y < 1601 || mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 ||
      mi > 59 || s > 59)
    return std::nullopt;
  const int64_t seconds = DaysFromCivil(y, mo, d) * 86400 + h * 3600 + mi * 60 + s;
  return uint64_t(seconds + kUnixEpochSeconds) * kTicksPerSecond;
}

uint64_t NowAsFileTime() {
  const auto since = std::chrono::system_clock::now().time_since_epoch();
  const int64_t ticks = std::chrono::duration_cast<std::chrono::nanoseconds>(since).count() / 100;
  return uint64_t(ticks + kUnixEpochSeconds * int64_t(kTicksPerSecond));
}

std::string CommandLineText(const std::vector<std::string>& words) {
  std::string text;
  for (const std::string& word : words) {
    if (!text.empty()) text += ' ';
    const bool quoted = word.empty() || word.find_first_of(" \t") != std::string::npos;
    text += quoted ? "\"" + word + "\"" : word;
  }
  return text;
}

std::vector<KeptState> ListStates(const std::string& configPath) {
  const std::string folder = HistoryFolder(configPath);
  std::vector<plat::DirEntry> entries;
  const plat::FileResult listed = plat::FindEntries(folder + "*", entries);
  if (!listed.Done() && listed.Outcome != plat::FileOutcome::Missing)
    throw FatalError("cannot list the kept states in " + folder + ": " + listed.Cause);
  std::vector<KeptState> states;
  std::map<uint64_t, std::string> factsNames;
  for (const plat::DirEntry& entry : entries) {
    if (entry.Info.Attributes & plat::kAttrDirectory) continue;
    if (const std::optional<uint64_t> n = SequenceOfName(entry.Name, ".cfg")) {
      KeptState state;
      state.Sequence = *n;
      state.Path = folder + entry.Name;
      state.WriteTime = entry.Info.LastWriteTime;
      states.push_back(std::move(state));
    } else if (const std::optional<uint64_t> t = SequenceOfName(entry.Name, ".txt")) {
      factsNames[*t] = entry.Name;  // as the folder spells it
    }
  }
  // Two spellings of one number ("scenery.12.cfg", "scenery.000012.cfg")
  // are kept apart by their names; the newest has the highest number.
  std::sort(states.begin(), states.end(), [](const KeptState& a, const KeptState& b) {
    return a.Sequence != b.Sequence ? a.Sequence > b.Sequence : a.Path > b.Path;
  });
  for (size_t i = 0; i < states.size(); ++i) {
    KeptState& s = states[i];
    s.Number = int32_t(i + 1);
    const auto facts = factsNames.find(s.Sequence);
    s.FactsPath = folder + (facts != factsNames.end() ? facts->second : StateFactsFileName(s.Sequence));
  }
  return states;
}

StateFacts ReadStateFacts(const KeptState& state) {
  std::string bytes;
  StateFacts facts;
  if (plat::ReadWholeFile(state.FactsPath, bytes, 64 * 1024).Done()) facts = ParseStateFacts(bytes);
  if (facts.Time.empty() && state.WriteTime != 0) facts.Time = TimeText(state.WriteTime);
  return facts;
}

std::string StateNumbersText(const std::vector<KeptState>& states) {
  if (states.empty()) return "none";
  if (states.size() == 1) return "1";
  return "1 to " + std::to_string(states.size());
}

void KeepState(const std::string& configPath, const std::string& bytes, const StateFacts& facts,
               int32_t keep, Notices* notes) {
  const std::string folder = HistoryFolder(configPath);
  const std::string folderPath = winpath::ExcludeTrailingBackslash(folder);
  if (!plat::FolderExists(folderPath)) {
    const plat::FileResult made = plat::MakeHiddenFolder(folderPath);
    if (!made.Done() && made.Outcome != plat::FileOutcome::Exists)
      throw FatalError(CannotKeep(configPath, made.Tell("make the folder", folderPath)));
  }
  // The next number follows every number in use, that of a facts file left
  // without its state included.
  std::vector<plat::DirEntry> entries;
  const plat::FileResult listed = plat::FindEntries(folder + "*", entries, plat::FileFacts::KindOnly);
  if (!listed.Done())
    throw FatalError(CannotKeep(configPath, listed.Tell("list the folder", folderPath)));
  uint64_t highest = 0;
  std::vector<std::pair<uint64_t, std::string>> named;  // every state and facts file
  for (const plat::DirEntry& entry : entries) {
    std::optional<uint64_t> n = SequenceOfName(entry.Name, ".cfg");
    if (!n) n = SequenceOfName(entry.Name, ".txt");
    if (!n) continue;
    highest = std::max(highest, *n);
    named.emplace_back(*n, entry.Name);
  }
  const uint64_t sequence = highest + 1;
  const std::string factsPath = folder + StateFactsFileName(sequence);
  const std::string statePath = folder + StateFileName(sequence);
  if (const plat::FileResult written = plat::WriteFileReplacing(factsPath, StateFactsText(facts));
      !written)
    throw FatalError(CannotKeep(configPath, written.Tell("write", factsPath)));
  if (const plat::FileResult written = plat::WriteFileReplacing(statePath, bytes); !written) {
    (void)plat::RemoveFile(factsPath);
    throw FatalError(CannotKeep(configPath, written.Tell("write", statePath)));
  }

  // The oldest go: every file numbered below the newest `keep` states,
  // each state before its facts file, so that a state never stays without
  // the number that orders it.
  std::vector<uint64_t> stateNumbers = {sequence};
  for (const auto& [n, name] : named)
    if (EndsWithIgnoringCase(name, ".cfg")) stateNumbers.push_back(n);
  std::sort(stateNumbers.begin(), stateNumbers.end(), std::greater<>());
  const size_t kept = size_t(std::max<int32_t>(keep, 1));
  if (stateNumbers.size() <= kept) return;
  const uint64_t oldestKept = stateNumbers[kept - 1];
  std::stable_sort(named.begin(), named.end(), [](const auto& a, const auto& b) {
    return EndsWithIgnoringCase(a.second, ".cfg") && !EndsWithIgnoringCase(b.second, ".cfg");
  });
  for (const auto& [n, name] : named) {
    if (n >= oldestKept) continue;
    const plat::FileResult removed = plat::RemoveFile(folder + name);
    if (!removed.Done() && removed.Outcome != plat::FileOutcome::Missing && notes)
      notes->Note("the old state " + folder + name + " could not be removed: " + removed.Cause);
  }
}
