// TFSScnLayer and TLayrix: construction, loading and saving of scenery.cfg.
#include <charconv>
#include <iterator>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "platform/winpath.h"
#include "profile/profile.h"
#include "scenery/LbFS.h"

TFSScnLayer::TFSScnLayer(std::string ATitle, std::string ALocal, std::string ARemote,
                         int32_t ALayer, bool AActive, bool ARequired, std::string AExclude)
    : Title(std::move(ATitle)),
      Local(std::move(ALocal)),
      Remote(std::move(ARemote)),
      Exclude(std::move(AExclude)),
      Layer(ALayer),
      Active(AActive),
      Required(ARequired) {}

TLayrix::TLayrix(int32_t FSVersion) {
  CfgFileName = LocateConfigFile(FSVersion);
  if (!CfgFileName.empty() && plat::FileExists(CfgFileName)) {
    LoadFromFile(CfgFileName);
  } else {
    CfgFileName.clear();
  }
}

bool TLayrix::IsGeneralName(const std::string& Name) { return plat::SameText(Name, "General"); }

bool TLayrix::IsAreaEntry(size_t Index) const {
  return Index < Sections.size() && Sections[Index].Layer != nullptr &&
         !IsGeneralName(Sections[Index].Name);
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
  kRecordKeys
};

const char* const kRecordKeyNames[kRecordKeys] = {
    "Title", "Local", "Remote", "Layer", "Active", "Required", "Exclude", "Description",
    "Clean_on_Exit"};

// Reads the records of a parsed file one section at a time.  A key that is
// missing reads as empty text, as it did through Section::Find.
class RecordReader {
 public:
  RecordReader()
      : finder_(std::vector<std::string>(std::begin(kRecordKeyNames), std::end(kRecordKeyNames))) {}

  std::unique_ptr<TFSScnLayer> Read(std::string_view Section, std::span<const profile::KeyRef> Keys,
                                    bool General) {
    std::string_view values[kRecordKeys] = {};
    finder_.Find(Keys, values);
    if (General) {
      const bool cleanOnExit = Bool(values, kCleanOnExit, Section);
      return std::make_unique<TFSScnLayer>(std::string(values[kTitle]), "General",
                                           std::string(values[kDescription]), -1, cleanOnExit,
                                           true, std::string());
    }
    // The order of the conversions decides which bad value is reported first.
    const int32_t layer = Int(values, kLayer, Section);
    const bool active = Bool(values, kActive, Section);
    const bool required = Bool(values, kRequired, Section);
    return std::make_unique<TFSScnLayer>(std::string(values[kTitle]), std::string(values[kLocal]),
                                         std::string(values[kRemote]), layer, active, required,
                                         std::string(values[kExclude]));
  }

 private:
  static std::string Where(std::string_view Section, RecordKey Key) {
    return " (section [" + std::string(Section) + "], key " + kRecordKeyNames[Key] + ")";
  }

  static int32_t Int(const std::string_view* Values, RecordKey Key, std::string_view Section) {
    const std::string text(Values[Key]);
    int32_t value = 0;
    if (!TryStrToInt(text, value))
      throw ELayrixError("'" + text + "' is not a valid integer value" + Where(Section, Key));
    return value;
  }

  // Boolean values repeat the same few spellings: each is converted once.
  bool Bool(const std::string_view* Values, RecordKey Key, std::string_view Section) {
    const std::string_view text = Values[Key];
    for (const auto& [spelling, value] : bools_)
      if (spelling == text) return value;
    const std::string owned(text);
    bool value = false;
    if (!TryStrToBool(owned, value))
      throw ELayrixError("'" + owned + "' is not a valid Boolean value" + Where(Section, Key));
    constexpr size_t kMaxSpellings = 8;
    if (bools_.size() < kMaxSpellings) bools_.emplace_back(owned, value);
    return value;
  }

  profile::KeyFinder finder_;
  std::vector<std::pair<std::string, bool>> bools_;
};

}  // namespace

void TLayrix::LoadFromFile(const std::string& FileName) {
  std::string bytes;
  std::string error;
  if (!plat::ReadWholeFile(FileName, bytes, error))
    throw ELayrixError(error);
  LoadFromText(bytes);
}

void TLayrix::LoadFromText(const std::string& Bytes) {
  // A value that does not convert stops the load with all names listed, the
  // earlier entries complete and the later ones without a record: the walk
  // goes on to the end, converting nothing more, and the error is thrown then.
  Sections.clear();
  Sections.reserve(Bytes.size() / 128 + 1);  // a library's usual section size
  RecordReader reader;
  std::optional<ELayrixError> failure;
  FileEncoding = profile::ForEachSection(
      Bytes, [&](std::string_view name, std::span<const profile::KeyRef> keys) {
        TSectionEntry& entry = Sections.emplace_back(TSectionEntry{std::string(name), nullptr});
        if (failure) return;
        try {
          entry.Layer = reader.Read(name, keys, IsGeneralName(entry.Name));
        } catch (const ELayrixError& e) {
          failure = e;
        }
      });
  if (failure) throw *failure;
  Modified = false;
}

// ------------------------------------------------------------ saving

namespace {

const char* BoolText(bool Value) { return Value ? "TRUE" : "FALSE"; }

// The bytes a section takes beyond its name and texts (key names, '=',
// line ends, numbers and Boolean words), or somewhat more.
constexpr size_t kSectionOverhead = 112;

void WriteSection(profile::Writer& Out, const std::string& Name, const TFSScnLayer& Rec) {
  Out.Section(Name);
  if (TLayrix::IsGeneralName(Name)) {
    Out.Key("Title", Rec.Title);
    Out.Key("Description", Rec.Remote);
    Out.Key("Clean_on_Exit", BoolText(Rec.Active));
    return;
  }
  Out.Key("Title", Rec.Title);
  if (Rec.Local == "Scenery\\World") Out.Key("Texture_ID", "1");  // exact bytes, case included
  Out.Key("Local", Rec.Local);
  char layer[16];
  const std::to_chars_result end = std::to_chars(layer, layer + sizeof layer, Rec.Layer);
  Out.Key("Layer", std::string_view(layer, static_cast<size_t>(end.ptr - layer)));
  Out.Key("Active", BoolText(Rec.Active));
  Out.Key("Required", BoolText(Rec.Required));
  Out.Key("Remote", Rec.Remote);
  if (!Rec.Exclude.empty()) Out.Key("Exclude", Rec.Exclude);
}

}  // namespace

std::string TLayrix::SaveToText() const {
  // An entry without a record has no values to write (only a load that
  // stopped on a bad value leaves such entries).
  size_t size = 0;
  for (const TSectionEntry& entry : Sections) {
    if (!entry.Layer) continue;
    const TFSScnLayer& rec = *entry.Layer;
    size += entry.Name.size() + rec.Title.size() + rec.Local.size() + rec.Remote.size() +
            rec.Exclude.size() + kSectionOverhead;
  }
  profile::Writer out;
  out.Reserve(size);
  for (const TSectionEntry& entry : Sections)
    if (entry.Layer) WriteSection(out, entry.Name, *entry.Layer);
  return std::move(out).Finish(FileEncoding);
}

// Two kinds of failure, kept apart on purpose:
//  - the backup copy fails: the result is -1 and nothing else happens (the
//    target is untouched, Modified stays set).  The caller must report it as a
//    failed save; it is not an exception because the backup is a separate,
//    optional step.
//  - the target cannot be written (read-only, disk full, no such folder):
//    ELayrixError naming the file.  A read-only target is detected before the
//    backup is made, so neither the file nor its backup changes; any later
//    failure leaves the old file whole, as the new text is written to a
//    temporary file that only replaces the target once it is complete.
int TLayrix::SaveToFile(const std::string& FileName, bool Backup) {
  const std::string target = FileName.empty() ? CfgFileName : FileName;
  if (target.empty()) throw ELayrixError("Cannot save scenery.cfg: no file name is known");

  plat::FileInfo info;
  const bool exists = plat::GetFileInfo(target, info);
  const bool isFile = exists && (info.Attributes & plat::kAttrDirectory) == 0;
  if (isFile && (info.Attributes & plat::kAttrReadOnly) != 0)
    throw ELayrixError("Cannot write '" + target + "': the file is read-only");

  const std::string text = SaveToText();

  if (Backup && isFile) {
    const std::string backupPath = winpath::ExtractFilePath(target) + "scenery.~cfg";
    if (!plat::CopyFileTo(target, backupPath, false)) return -1;
  }

  std::string error;
  if (!plat::WriteFileReplacing(target, text, error))
    throw ELayrixError(error + "; the previous file is unchanged");
  Modified = false;
  return 0;
}
