// The scenery library's file: locating scenery.cfg and loading it when a run
// starts, and saving it (with its backup copy) when the run changed it.
#include "scenery/library.h"

#include <charconv>
#include <cstdio>
#include <iterator>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "platform/text_encoding.h"
#include "platform/winpath.h"
#include "formats/profile.h"
#include "scenery/install_locator.h"
#include "scenery/value_syntax.h"

void SceneryLibrary::Locate(const InstallChoice& choice) {
  const InstallLocation install = LocateInstall(choice, Report);
  if (!install.ConfigPath.empty()) {
    SimulatorFolder = install.SimulatorFolder;
    Served = install.Served;
  }
  UnmarkedEncoding = install.Utf8Library ? profile::Unmarked::Utf8 : profile::Unmarked::CodePage1252;
  ConfigPath = install.ConfigPath;
  if (!ConfigPath.empty() && !plat::FileExists(ConfigPath)) ConfigPath.clear();
  NotFoundBecause = ConfigPath.empty() ? WhyNoLibrary(choice, install) : std::string();
}

bool SceneryLibrary::IsGeneralName(const std::string& name) { return plat::SameText(name, "General"); }

bool SceneryLibrary::IsAreaEntry(size_t index) const {
  return index < Sections.size() && Sections[index].Record != nullptr &&
         !IsGeneralName(Sections[index].Name);
}

// ------------------------------------------------------------ encoding

std::string SceneryLibrary::AsStored(const std::string& text, std::u32string* lost) const {
  if (FileEncoding != profile::Encoding::CodePage1252 || encoding::IsAscii(text)) return text;
  return encoding::FromCodePage1252(encoding::ToCodePage1252(text, lost));
}

std::string SceneryLibrary::LettersNamed(const std::u32string& letters) {
  std::string named;
  for (char32_t c : letters) {
    if (!named.empty()) named += ", ";
    encoding::AppendUtf8(named, c);
    char number[16];
    std::snprintf(number, sizeof number, " (U+%04X)", static_cast<unsigned>(c));
    named += number;
  }
  return named;
}

void SceneryLibrary::TellLost(const char* what, const std::string& given, const std::string& stored,
                              const std::u32string& lost) {
  if (lost.empty() || !Report) return;
  Report->Note(ConfigPath + " is kept in code page 1252, which has no " + LettersNamed(lost) +
               ": the " + what + " '" + given + "' is stored as '" + stored + "'");
}

// ------------------------------------------------------------ loading

namespace {

// The keys a record is read from, in the order of the KeyFinder's bits.
enum RecordKey : size_t {
  kTitle,
  kLocal,
  kRemote,
  kLayer,
  kActive,
  kRequired,
  kExclude,
  kDescription,
  kCleanOnExit,
  kTextureId,
  kRecordKeys
};

const char* const kRecordKeyNames[kRecordKeys] = {
    "Title", "Local", "Remote", "Layer", "Active", "Required", "Exclude", "Description",
    "Clean_on_Exit", "Texture_ID"};

constexpr uint32_t Bit(RecordKey key) { return uint32_t{1} << key; }
// The keys each kind of section is read from and written with; every other
// key of the section is kept as it is.
constexpr uint32_t kGeneralKeys = Bit(kTitle) | Bit(kDescription) | Bit(kCleanOnExit);
constexpr uint32_t kAreaKeys = Bit(kTitle) | Bit(kLocal) | Bit(kRemote) | Bit(kLayer) |
                               Bit(kActive) | Bit(kRequired) | Bit(kExclude) | Bit(kTextureId);

// Reads the records of a parsed file one section at a time.  A key that is
// missing reads as empty text, as profile::Section::Find gives it.
class RecordReader {
 public:
  RecordReader()
      : finder_(std::vector<std::string>(std::begin(kRecordKeyNames), std::end(kRecordKeyNames))) {}

  std::unique_ptr<Area> Read(std::string_view section, std::span<const profile::KeyRef> keys,
                             bool general) {
    // The first key of each name read counts, as the simulator reads the
    // file; a repeat of one of those is written over by the save.  Every
    // other key is kept for the save, in its order.
    std::string_view values[kRecordKeys] = {};
    std::string_view scratch[kRecordKeys];
    std::vector<KeptKey> others;
    const uint32_t used = general ? kGeneralKeys : kAreaKeys;
    found_ = 0;
    for (const profile::KeyRef& key : keys) {
      // The names this key is wanted under: a look-up of the key alone.
      const uint32_t matches = finder_.Find(std::span(&key, 1), scratch) & used;
      if (matches == 0) {
        others.push_back(KeptKey{std::string(key.Name), std::string(key.Value)});
        continue;
      }
      uint32_t fresh = matches & ~found_;
      found_ |= fresh;
      for (size_t k = 0; fresh != 0; ++k, fresh >>= 1)
        if (fresh & 1) values[k] = key.Value;
    }
    std::unique_ptr<Area> record;
    if (general) {
      const bool cleanOnExit = Bool(values, kCleanOnExit, section);
      record = std::make_unique<Area>(std::string(values[kTitle]), "General",
                                      std::string(values[kDescription]), -1, cleanOnExit, true,
                                      std::string());
    } else {
      // The order of the conversions decides which bad value is reported first.
      const int32_t layer = Int(values, kLayer, section);
      const bool active = Bool(values, kActive, section);
      const bool required = Bool(values, kRequired, section);
      record = std::make_unique<Area>(std::string(values[kTitle]), std::string(values[kLocal]),
                                      std::string(values[kRemote]), layer, active, required,
                                      std::string(values[kExclude]));
      if (found_ & Bit(kTextureId)) record->TextureId = std::string(values[kTextureId]);
    }
    record->OtherKeys = std::move(others);
    return record;
  }

 private:
  static std::string Where(std::string_view section, RecordKey key) {
    return " (section [" + std::string(section) + "], key " + kRecordKeyNames[key] + ")";
  }

  // A key that is not there at all is told as missing, with what it holds.
  void RequireKey(RecordKey key, std::string_view section, const char* holds) const {
    if (found_ & (uint32_t{1} << key)) return;
    throw FatalError(std::string("the key ") + kRecordKeyNames[key] + " is missing (section [" +
                     std::string(section) + "]); it holds " + holds);
  }

  int32_t Int(const std::string_view* values, RecordKey key, std::string_view section) const {
    RequireKey(key, section, "a whole number");
    const std::string text(values[key]);
    int32_t value = 0;
    if (!ParseInteger(text, value))
      throw FatalError("'" + text + "' is not a valid integer value" + Where(section, key));
    return value;
  }

  // Boolean values repeat the same few spellings: each is converted once.
  bool Bool(const std::string_view* values, RecordKey key, std::string_view section) {
    RequireKey(key, section, "TRUE or FALSE");
    const std::string_view text = values[key];
    for (const auto& [spelling, value] : bools_)
      if (spelling == text) return value;
    const std::string owned(text);
    bool value = false;
    if (!ParseBoolean(owned, value))
      throw FatalError("'" + owned + "' is not a valid Boolean value" + Where(section, key));
    constexpr size_t kMaxSpellings = 8;
    if (bools_.size() < kMaxSpellings) bools_.emplace_back(owned, value);
    return value;
  }

  profile::KeyFinder finder_;
  std::vector<std::pair<std::string, bool>> bools_;
  uint32_t found_ = 0;  // the keys of the section read last, bit i for kRecordKeyNames[i]
};

}  // namespace

void SceneryLibrary::LoadFromFile(const std::string& fileName) {
  std::string bytes;
  if (const plat::FileResult read = plat::ReadWholeFile(fileName, bytes); !read)
    throw FatalError(read.Tell("read", fileName));
  try {
    LoadFromText(bytes);
  } catch (const FatalError& e) {
    // The user learns which file holds the value, and the ways to mend it.
    std::string remedy = "; correct it with a text editor";
    const std::string backup = winpath::ExtractFilePath(fileName) + "scenery.~cfg";
    if (plat::FileExists(backup))
      remedy += ", or put back the copy saved before the last change, " + backup;
    throw FatalError(fileName + ": " + e.what() + remedy);
  }
}

void SceneryLibrary::LoadFromText(const std::string& bytes) {
  // A value that does not convert stops the load with all names listed, the
  // earlier entries complete and the later ones without a record: the walk
  // goes on to the end, converting nothing more, and the error is thrown then.
  Sections.clear();
  Sections.reserve(bytes.size() / 128 + 1);  // a library's usual section size
  RecordReader reader;
  std::optional<FatalError> failure;
  FileEncoding = profile::ForEachSection(
      bytes, UnmarkedEncoding, [&](std::string_view name, std::span<const profile::KeyRef> keys) {
        Section& entry = Sections.emplace_back(Section{std::string(name), nullptr});
        if (failure) return;
        try {
          entry.Record = reader.Read(name, keys, IsGeneralName(entry.Name));
        } catch (const FatalError& e) {
          failure = e;
        }
      });
  if (failure) throw *failure;
  Modified = false;
}

// ------------------------------------------------------------ saving

namespace {

const char* BoolText(bool value) { return value ? "TRUE" : "FALSE"; }

// The bytes a section takes beyond its name and texts (key names, '=',
// line ends, numbers and Boolean words), or somewhat more.
constexpr size_t kSectionOverhead = 112;

// The keys the program writes, in their order, then the section's other
// keys as they were read.
void WriteSection(profile::Writer& out, const std::string& name, const Area& rec) {
  out.Section(name);
  if (SceneryLibrary::IsGeneralName(name)) {
    out.Key("Title", rec.Title);
    out.Key("Description", rec.Remote);
    out.Key("Clean_on_Exit", BoolText(rec.Active));
  } else {
    out.Key("Title", rec.Title);
    if (rec.TextureId)
      out.Key("Texture_ID", *rec.TextureId);
    else if (rec.Local == "Scenery\\World")  // exact bytes, case included
      out.Key("Texture_ID", "1");
    out.Key("Local", rec.Local);
    char layer[16];
    const std::to_chars_result end = std::to_chars(layer, layer + sizeof layer, rec.Layer);
    out.Key("Layer", std::string_view(layer, static_cast<size_t>(end.ptr - layer)));
    out.Key("Active", BoolText(rec.Active));
    out.Key("Required", BoolText(rec.Required));
    out.Key("Remote", rec.Remote);
    if (!rec.Exclude.empty()) out.Key("Exclude", rec.Exclude);
  }
  for (const KeptKey& key : rec.OtherKeys) out.Key(key.Name, key.Value);
}

}  // namespace

std::string SceneryLibrary::SaveToText() const {
  // An entry without a record has no values to write (only a load that
  // stopped on a bad value leaves such entries).
  size_t size = 0;
  for (const Section& entry : Sections) {
    if (!entry.Record) continue;
    const Area& rec = *entry.Record;
    size += entry.Name.size() + rec.Title.size() + rec.Local.size() + rec.Remote.size() +
            rec.Exclude.size() + kSectionOverhead;
    if (rec.TextureId) size += rec.TextureId->size();
    for (const KeptKey& key : rec.OtherKeys) size += key.Name.size() + key.Value.size() + 3;
  }
  profile::Writer out;
  out.Reserve(size);
  for (const Section& entry : Sections)
    if (entry.Record) WriteSection(out, entry.Name, *entry.Record);
  return std::move(out).Finish(FileEncoding);
}

void SceneryLibrary::SaveToFile(const std::string& fileName, bool backup,
                                const std::function<void(const std::string& text)>& beforeWriting) {
  const std::string target = fileName.empty() ? ConfigPath : fileName;
  if (target.empty()) throw FatalError("cannot save scenery.cfg: no file name is known");
  const std::string text = SaveToText();
  ReplaceLibraryFile(target, text, backup, [&] {
    if (beforeWriting) beforeWriting(text);
  });
  Modified = false;
}

// A read-only target is detected before the backup is made, so neither the
// file nor its backup changes; any later failure leaves the old file whole,
// as the new text is written to a temporary file that only replaces the
// target once it is complete.
void SceneryLibrary::ReplaceLibraryFile(const std::string& target, const std::string& text,
                                        bool backup, const std::function<void()>& beforeWriting) {
  plat::FileInfo info;
  const bool exists = plat::GetFileInfo(target, info);
  const bool isFile = exists && (info.Attributes & plat::kAttrDirectory) == 0;
  if (isFile && (info.Attributes & plat::kAttrReadOnly) != 0)
    throw FatalError("cannot write '" + target +
                     "': the file is read-only; clear its read-only attribute and run again");
  if (beforeWriting) beforeWriting();

  if (backup && isFile) {
    const std::string backupPath = winpath::ExtractFilePath(target) + "scenery.~cfg";
    const plat::FileResult copied = plat::FileCopier().Copy(target, backupPath, false);
    if (!copied.Done())
      throw FatalError("cannot copy " + target + " to " + backupPath + ": " + copied.Cause +
                       "; scenery.cfg was not written");
  }

  if (const plat::FileResult written = plat::WriteFileReplacing(target, text); !written)
    throw FatalError(written.Tell("write", target) + "; the previous file is unchanged");
}
