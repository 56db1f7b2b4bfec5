// Profile (INI) files: one reader and one writer for both builds.
//
// A file is parsed once into a Document and written once from it, never one
// key at a time.  The lexical rules are those of the Windows profile functions,
// with their faults mended: sections of the same name are kept apart (each
// with its own keys, written back as its own section), there are no limits on
// sizes or counts, and a CR or LF inside a name or value is written as a blank
// so that a value can never inject a line.
#pragma once

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

// Parses the bytes of a profile file.  A UTF-8 or UTF-16LE byte-order mark is
// honoured: the text is decoded to code page 1252 ('?' for characters without
// a form) and the encoding remembered for writing.
Document Parse(std::string_view bytes);

// The written form: "[name]" CR LF, then "key=value" CR LF for each key, no
// blank lines; encoded as Document::Enc says (with its mark).
std::string Serialize(const Document& doc);

}  // namespace profile
