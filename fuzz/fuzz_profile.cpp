// Fuzzes the profile reader, and the writer through two round trips:
//   1. any bytes are parsed; the document is written and read again, and
//      must give back the same sections, keys and values, up to what the
//      written form cannot hold (blanks at the ends of a value, which reads
//      only keep inside quotes, and one pair of quotes around a value);
//   2. a document built from the bytes (names and values with CR, LF and
//      blanks anywhere, in any encoding) is written and read again, and must
//      give back each name and value with CR/LF as blanks and the ends
//      trimmed, as its encoding holds it: a UTF-8 file every byte, a 1252
//      file '?' for a character it has no form for, a UTF-16 file a byte that
//      is not UTF-8 as its 1252 character.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/text_encoding.h"
#include "formats/profile.h"

namespace {

bool IsBlank(char ch) {
  const unsigned char c = static_cast<unsigned char>(ch);
  return (c >= 0x09 && c <= 0x0D) || c == 0x1A || c == 0x20;
}

std::string Trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return std::string(s.substr(b, e - b));
}

std::string StripQuotes(const std::string& v) {
  if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0]) return v.substr(1, v.size() - 2);
  return v;
}

// A text as a file of that encoding holds it.
std::string Held(std::string_view s, profile::Encoding enc) {
  switch (enc) {
    case profile::Encoding::CodePage1252:
      return encoding::FromCodePage1252(encoding::ToCodePage1252(s));
    case profile::Encoding::Utf16LeBom:
      return encoding::ToValidUtf8(s);
    default:
      return std::string(s);
  }
}

// What a name or value becomes when written and read back.
std::string WrittenName(std::string_view s, profile::Encoding enc) {
  std::string t = Held(Trim(s), enc);
  for (char& c : t)
    if (c == '\r' || c == '\n') c = ' ';
  return t;
}
std::string WrittenValue(std::string_view s, profile::Encoding enc) {
  return StripQuotes(WrittenName(s, enc));
}

[[noreturn]] void Fail(const char* what, const std::string& expected, const std::string& got) {
  std::fprintf(stderr, "round trip: %s differs\n  expected [%s]\n  got      [%s]\n", what,
               expected.c_str(), got.c_str());
  std::abort();
}

// `read` must be `written` read back: same sections in order, same keys.
void Compare(const profile::Document& written, const profile::Document& read) {
  if (read.Enc != written.Enc) Fail("encoding", "", "");
  size_t r = 0;
  for (const profile::Section& s : written.Sections) {
    const std::string name = WrittenName(s.Name, written.Enc);
    if (name.empty()) continue;  // "[]" lists nothing; its keys go with it
    if (r >= read.Sections.size()) Fail("section count", name, "(none)");
    const profile::Section& t = read.Sections[r++];
    if (t.Name != name) Fail("section name", name, t.Name);
    if (t.Keys.size() != s.Keys.size()) Fail("key count", std::to_string(s.Keys.size()), std::to_string(t.Keys.size()));
    for (size_t k = 0; k < s.Keys.size(); ++k) {
      const std::string keyName = WrittenName(s.Keys[k].Name, written.Enc);
      const std::string value = WrittenValue(s.Keys[k].Value, written.Enc);
      if (t.Keys[k].Name != keyName) Fail("key name", keyName, t.Keys[k].Name);
      if (t.Keys[k].Value != value) Fail("value", value, t.Keys[k].Value);
    }
  }
  if (r != read.Sections.size()) Fail("section count", std::to_string(r), std::to_string(read.Sections.size()));
}

// Bytes that a generated name may not hold: they would make another line
// kind ('[' ']' ';'), split the key ('='), or end the text (NUL).
bool NameByte(char c) { return c != '=' && c != '[' && c != ']' && c != ';' && c != '\0'; }

// Builds a document from the bytes: '\x01' starts a section, '\x02' a key,
// '\x03' separates a key's name from its value.
profile::Document Build(std::string_view data) {
  profile::Document doc;
  doc.Enc = profile::Encoding::CodePage1252;
  if (!data.empty()) {
    doc.Enc = static_cast<profile::Encoding>(static_cast<unsigned char>(data[0]) % 4);
    data.remove_prefix(1);
  }
  enum { kNone, kSection, kKeyName, kValue } field = kNone;
  for (char c : data) {
    if (c == '\x01') {
      doc.Sections.push_back({});
      field = kSection;
    } else if (c == '\x02') {
      if (doc.Sections.empty()) doc.Sections.push_back({"s", {}});
      doc.Sections.back().Keys.push_back({});
      field = kKeyName;
    } else if (c == '\x03') {
      if (field == kKeyName) field = kValue;
    } else if (field == kSection && NameByte(c)) {
      doc.Sections.back().Name += c;
    } else if (field == kKeyName && NameByte(c)) {
      doc.Sections.back().Keys.back().Name += c;
    } else if (field == kValue && c != '\0') {
      doc.Sections.back().Keys.back().Value += c;
    }
  }
  return doc;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  // A file without a mark is read back as it was written.
  auto readBack = [](const profile::Document& doc) {
    return profile::Parse(profile::Serialize(doc), doc.Enc == profile::Encoding::Utf8
                                                       ? profile::Unmarked::Utf8
                                                       : profile::Unmarked::CodePage1252);
  };
  const profile::Document parsed = profile::Parse(bytes);
  Compare(parsed, readBack(parsed));

  const profile::Document built = Build(bytes);
  Compare(built, readBack(built));
  return 0;
}
