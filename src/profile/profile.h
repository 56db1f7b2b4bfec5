// Profile (INI) files: one reader and one writer for both builds.
//
// A file is parsed once into a Document and written once from it, never one
// key at a time.  The lexical rules are those of the Windows profile functions,
// with their faults mended: sections of the same name are kept apart (each
// with its own keys, written back as its own section), there are no limits on
// sizes or counts, and a CR or LF inside a name or value is written as a blank
// so that a value can never inject a line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace profile {

struct Key {
  std::string Name;
  std::string Value;
};

struct Section {
  std::string Name;
  std::vector<Key> Keys;  // file order; a repeated key is kept, the first one counts

  // The value of the first key of that name (ignoring case), or nullptr.
  const std::string* Find(std::string_view name) const;
};

enum class Encoding { Ansi, Utf8Bom, Utf16LeBom };

struct Document {
  Encoding Enc = Encoding::Ansi;
  std::vector<Section> Sections;  // file order; sections with empty names are left out

  // The first section of that name (ignoring case), or nullptr.
  const Section* Find(std::string_view name) const;
};

// A file parsed in place: names and values are views into the bytes given,
// or into the text decoded from them, held in two flat lists, so that reading
// a large file costs no string per name and value.  The lexical rules and the
// sections listed are those of Parse.  The bytes must outlive the View; a View
// is neither copied nor moved, as its views may point into its own text.
class View {
 public:
  struct KeyRef {
    std::string_view Name;
    std::string_view Value;
  };
  struct SectionRef {
    std::string_view Name;
    size_t FirstKey = 0;  // into the list of all keys
    size_t KeyCount = 0;
  };

  explicit View(std::string_view bytes);
  View(const View&) = delete;
  View& operator=(const View&) = delete;

  Encoding Enc() const { return enc_; }
  const std::vector<SectionRef>& Sections() const { return sections_; }
  std::span<const KeyRef> KeysOf(const SectionRef& section) const {
    return std::span<const KeyRef>(keys_).subspan(section.FirstKey, section.KeyCount);
  }

 private:
  Encoding enc_ = Encoding::Ansi;
  std::string decoded_;  // the text of a file with a byte-order mark
  std::vector<SectionRef> sections_;
  std::vector<KeyRef> keys_;
};

// Looks up a fixed set of key names (at most 32) in the sections of a file,
// with the result of Section::Find for each: the first key whose name equals
// the wanted one ignoring case (plat::SameText).  Each spelling of a key name
// is compared with the wanted names once, not once per section, since the
// sections of a large file repeat the same few spellings.
class KeyFinder {
 public:
  explicit KeyFinder(std::vector<std::string> wanted);

  // Sets values[i] to the value of the first key named as wanted[i] and
  // returns the set of names found (bit i for wanted[i]); values[i] is left
  // as it was where bit i is clear.
  uint32_t Find(std::span<const View::KeyRef> keys, std::string_view* values);

 private:
  struct Spelling {
    std::string Name;
    uint32_t Matches = 0;
  };
  uint32_t MatchesOf(std::string_view name);

  std::vector<std::string> wanted_;
  std::vector<Spelling> seen_;  // bounded, so that a file of many names costs no more per key
  size_t next_ = 0;             // where the next search of seen_ starts
};

// Builds the written form of a file section by section: "[name]" CR LF, then
// "key=value" CR LF for each key, no blank lines; names and values trimmed of
// blanks, a CR or LF inside written as a blank.
class Writer {
 public:
  void Reserve(size_t bytes) { text_.reserve(bytes); }
  void Section(std::string_view name);
  void Key(std::string_view name, std::string_view value);
  // The text written so far, encoded as `enc` says (with its mark).
  std::string Finish(Encoding enc) &&;

 private:
  std::string text_;
};

// Parses the bytes of a profile file.  A UTF-8 or UTF-16LE byte-order mark is
// honoured: the text is decoded to code page 1252 ('?' for characters without
// a form) and the encoding remembered for writing.
Document Parse(std::string_view bytes);

// The written form: "[name]" CR LF, then "key=value" CR LF for each key, no
// blank lines; encoded as Document::Enc says (with its mark).
std::string Serialize(const Document& doc);

}  // namespace profile
