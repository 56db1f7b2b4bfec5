// TFSScnLayer and TLayrix: construction, loading and saving of scenery.cfg.
#include <string>
#include <utility>

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

std::string KeyText(const profile::Section& Section, const char* Key) {
  const std::string* value = Section.Find(Key);
  return value ? *value : std::string();
}

std::string Where(const profile::Section& Section, const char* Key) {
  return " (section [" + Section.Name + "], key " + Key + ")";
}

int32_t KeyInt(const profile::Section& Section, const char* Key) {
  const std::string text = KeyText(Section, Key);
  int32_t value = 0;
  if (!TryStrToInt(text, value))
    throw ELayrixError("'" + text + "' is not a valid integer value" + Where(Section, Key));
  return value;
}

bool KeyBool(const profile::Section& Section, const char* Key) {
  const std::string text = KeyText(Section, Key);
  bool value = false;
  if (!TryStrToBool(text, value))
    throw ELayrixError("'" + text + "' is not a valid Boolean value" + Where(Section, Key));
  return value;
}

std::unique_ptr<TFSScnLayer> ReadGeneral(const profile::Section& Section) {
  std::string description = KeyText(Section, "Description");
  const bool cleanOnExit = KeyBool(Section, "Clean_on_Exit");
  std::string title = KeyText(Section, "Title");
  return std::make_unique<TFSScnLayer>(std::move(title), "General", std::move(description), -1,
                                       cleanOnExit, true, std::string());
}

std::unique_ptr<TFSScnLayer> ReadArea(const profile::Section& Section) {
  // The order of the conversions decides which bad value is reported first.
  std::string local = KeyText(Section, "Local");
  std::string remote = KeyText(Section, "Remote");
  const int32_t layer = KeyInt(Section, "Layer");
  const bool active = KeyBool(Section, "Active");
  const bool required = KeyBool(Section, "Required");
  std::string exclude = KeyText(Section, "Exclude");
  std::string title = KeyText(Section, "Title");
  return std::make_unique<TFSScnLayer>(std::move(title), std::move(local), std::move(remote),
                                       layer, active, required, std::move(exclude));
}

}  // namespace

void TLayrix::LoadFromFile(const std::string& FileName) {
  std::string bytes;
  std::string error;
  if (!plat::ReadWholeFile(FileName, bytes, error))
    throw ELayrixError(error);
  LoadFromText(bytes);
}

void TLayrix::LoadFromText(const std::string& Bytes) {
  profile::Document doc = profile::Parse(Bytes);
  FileEncoding = doc.Enc;
  // All names first, then the records one by one: a value that does not
  // convert stops the load with the earlier entries complete and the later
  // ones without a record.
  Sections.clear();
  Sections.reserve(doc.Sections.size());
  for (const profile::Section& section : doc.Sections)
    Sections.push_back(TSectionEntry{section.Name, nullptr});
  for (size_t i = 0; i < doc.Sections.size(); ++i) {
    const profile::Section& section = doc.Sections[i];
    Sections[i].Layer = IsGeneralName(section.Name) ? ReadGeneral(section) : ReadArea(section);
  }
  Modified = false;
}

// ------------------------------------------------------------ saving

namespace {

const char* BoolText(bool Value) { return Value ? "TRUE" : "FALSE"; }

profile::Section WrittenSection(const std::string& Name, const TFSScnLayer& Rec) {
  profile::Section out;
  out.Name = Name;
  auto add = [&out](const char* key, std::string value) {
    out.Keys.push_back(profile::Key{key, std::move(value)});
  };
  if (TLayrix::IsGeneralName(Name)) {
    add("Title", Rec.Title);
    add("Description", Rec.Remote);
    add("Clean_on_Exit", BoolText(Rec.Active));
    return out;
  }
  add("Title", Rec.Title);
  if (Rec.Local == "Scenery\\World") add("Texture_ID", "1");  // exact bytes, case included
  add("Local", Rec.Local);
  add("Layer", std::to_string(Rec.Layer));
  add("Active", BoolText(Rec.Active));
  add("Required", BoolText(Rec.Required));
  add("Remote", Rec.Remote);
  if (!Rec.Exclude.empty()) add("Exclude", Rec.Exclude);
  return out;
}

}  // namespace

std::string TLayrix::SaveToText() const {
  profile::Document doc;
  doc.Enc = FileEncoding;
  doc.Sections.reserve(Sections.size());
  for (const TSectionEntry& entry : Sections) {
    // An entry without a record has no values to write (only a load that
    // stopped on a bad value leaves such entries).
    if (entry.Layer) doc.Sections.push_back(WrittenSection(entry.Name, *entry.Layer));
  }
  return profile::Serialize(doc);
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
