// Profile (INI) files: one reader and one writer for both builds.
//
// A file is parsed once into a Document and written once from it, never one
// key at a time.  The lexical rules are those of the Windows profile functions,
// with their faults mended: sections of the same name are kept apart (each
// with its own keys, written back as its own section), there are no limits on
// sizes or counts, and a CR or LF inside a name or value is written as a blank
// so that a value can never inject a line.
//
// Names and values are the program's text, UTF-8.  A file is in code page
// 1252, UTF-8 (with or without a byte-order mark) or UTF-16LE (with its
// mark); a file with a mark says so itself, and the caller says how one
// without a mark is read (Unmarked).  Writing gives back the encoding read.
//
// May use: platform/ (text comparison and encodings).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
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

// The encoding of a file, as read and as it is written back.
enum class Encoding {
  CodePage1252,  // read as 1252 and written so; a character it lacks is written as '?'
  Utf8,          // no mark; bytes that are not UTF-8 are kept as they are
  Utf8Bom,       // the same after the mark
  Utf16LeBom,
};

// How a file without a byte-order mark is read.
enum class Unmarked {
  CodePage1252,
  Utf8,
  // UTF-8 when its bytes are valid UTF-8 holding a character outside ASCII,
  // else code page 1252 (encoding::ReadsAsUtf8).
  Detect,
};

struct Document {
  Encoding Enc = Encoding::CodePage1252;
  std::vector<Section> Sections;  // file order; sections with empty names are left out

  // The first section of that name (ignoring case), or nullptr.
  const Section* Find(std::string_view name) const;
};

// A key as ForEachSection reports it: views into the file's bytes.
struct KeyRef {
  std::string_view Name;
  std::string_view Value;
};

// The walk behind ForEachSection, which is the one to call: `visit` gets
// `context` back with each section.
using SectionVisitor = void (*)(void* context, std::string_view name, std::span<const KeyRef> keys);
Encoding ScanSections(std::string_view bytes, Unmarked unmarked, SectionVisitor visit,
                      void* context);

// Reads a file without a string per name and value and without a list of all
// its keys, the cheapest way through a large file: calls
// onSection(name, keys) for each listed section in file order, with the
// section's keys in file order, and returns the file's encoding.  The
// lexical rules and the sections listed are those of Parse.  The views point
// into `bytes`, or into the text decoded from them, and last until
// ForEachSection returns.  An exception thrown by onSection ends the walk.
template <typename OnSection>
Encoding ForEachSection(std::string_view bytes, Unmarked unmarked, OnSection&& onSection) {
  return ScanSections(
      bytes, unmarked,
      [](void* context, std::string_view name, std::span<const KeyRef> keys) {
        (*static_cast<std::remove_reference_t<OnSection>*>(context))(name, keys);
      },
      &onSection);
}

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
  uint32_t Find(std::span<const KeyRef> keys, std::string_view* values);

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
  // Room for the text about to be written, so that it is made only once.
  void Reserve(size_t bytes) { Room(bytes); }
  void Section(std::string_view name);
  void Key(std::string_view name, std::string_view value);
  // The text written so far, encoded as `enc` says (with its mark).
  std::string Finish(Encoding enc) &&;

 private:
  // Where the next `bytes` bytes go; the text is sized ahead of what is
  // written (used_), so that each piece is copied without a size check of
  // its own.
  char* Room(size_t bytes) {
    return text_.size() - used_ >= bytes ? text_.data() + used_ : Grow(bytes);
  }
  char* Grow(size_t bytes);

  std::string text_;
  size_t used_ = 0;
};

// Parses the bytes of a profile file: decoded as its mark or `unmarked`
// says, every character kept, and the encoding remembered for writing.
Document Parse(std::string_view bytes, Unmarked unmarked = Unmarked::CodePage1252);

// The written form: "[name]" CR LF, then "key=value" CR LF for each key, no
// blank lines; encoded as Document::Enc says (with its mark).
std::string Serialize(const Document& doc);

}  // namespace profile
