// Profile (INI) files: the reader and the writer.  See profile.h and the
// "Profile files" rules of host.md.
#include "formats/profile.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "platform/text_encoding.h"

namespace profile {

namespace {

// Blanks: the bytes 09-0D, 1A and 20 (Wine's PROFILE_isspaceW).
inline bool IsBlank(char ch) {
  const unsigned char c = static_cast<unsigned char>(ch);
  return (c >= 0x09 && c <= 0x0D) || c == 0x1A || c == 0x20;
}

inline std::string_view Trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

// Removes one pair of equal quotes (" or ') around a value of two or more
// characters.
inline std::string_view StripQuotes(std::string_view v) {
  if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0]) return v.substr(1, v.size() - 2);
  return v;
}

// The name and keys of one section of a code page 1252 file as UTF-8: each
// that holds a byte beyond ASCII is converted into `arena` and its view
// moved there.  The arena is sized first, so that it never moves while
// views point into it.
void ConvertSection(std::string_view& name, std::vector<KeyRef>& keys, std::string& arena) {
  // Which texts need converting is learnt once (bit k for the k-th text,
  // the name first; texts past the 64th are looked at again).
  uint64_t beyondAscii = 0;
  size_t room = 0;
  size_t k = 0;
  auto need = [&](std::string_view s) {
    if (!encoding::IsAscii(s)) {
      room += 3 * s.size();
      if (k < 64) beyondAscii |= uint64_t{1} << k;
    }
    ++k;
  };
  need(name);
  for (const KeyRef& key : keys) {
    need(key.Name);
    need(key.Value);
  }
  if (room == 0) return;
  arena.clear();
  arena.reserve(room);
  k = 0;
  auto move = [&](std::string_view& s) {
    const bool convert = k < 64 ? (beyondAscii >> k & 1) != 0 : !encoding::IsAscii(s);
    ++k;
    if (!convert) return;
    const size_t start = arena.size();
    encoding::AppendFromCodePage1252(arena, s);
    s = std::string_view(arena).substr(start);
  };
  move(name);
  for (KeyRef& key : keys) {
    move(key.Name);
    move(key.Value);
  }
}

// Walks the lines of a profile text and reports each listed section
// (onSection(name)) and each key of a listed section (onKey(name, value)).
template <typename OnSection, typename OnKey>
void ScanText(std::string_view text, OnSection onSection, OnKey onKey) {
  const char* const data = text.data();
  const size_t n = text.size();
  if (n == 0) return;
  // False before the first section and inside a section with an empty name:
  // the keys there belong to nothing.
  bool inSection = false;
  // The next CR and the next LF, each searched again only once passed, so
  // that all searches together read the text once.
  auto find = [&](size_t from, char c) {
    const void* hit = std::memchr(data + from, c, n - from);
    return hit ? static_cast<size_t>(static_cast<const char*>(hit) - data) : n;
  };
  size_t nextCr = find(0, '\r');
  size_t nextLf = find(0, '\n');
  // The same for NUL bytes, which end the name or value they are in: the
  // bytes from..to up to the first NUL among them.  Names and values come in
  // file order, so the next NUL is searched again only once passed.
  size_t nextNul = find(0, '\0');
  auto cut = [&](size_t from, size_t to) {
    if (nextNul < from) nextNul = find(from, '\0');
    return text.substr(from, (nextNul < to ? nextNul : to) - from);
  };
  size_t pos = 0;
  while (pos < n) {
    // One line: up to the next CR or LF; any run of CR and LF ends it.
    if (nextCr < pos) nextCr = find(pos, '\r');
    if (nextLf < pos) nextLf = find(pos, '\n');
    size_t start = pos;
    size_t end = nextCr < nextLf ? nextCr : nextLf;
    pos = end;
    while (pos < n && (data[pos] == '\r' || data[pos] == '\n')) ++pos;

    while (start < end && IsBlank(data[start])) ++start;
    while (end > start && IsBlank(data[end - 1])) --end;
    if (start >= end) continue;

    if (data[start] == '[') {
      // A section line holds a ']': the name runs to the last one.
      size_t close = end - 1;
      while (close > start && data[close] != ']') --close;
      if (close > start) {
        const std::string_view name = Trim(cut(start + 1, close));
        inSection = !name.empty();  // an empty name is not listed
        if (inSection) onSection(name);
        continue;
      }
      // A '[' line without ']' is an ordinary line.
    }
    if (data[start] == ';') continue;  // a comment
    if (!inSection) continue;

    const void* eq = std::memchr(data + start, '=', end - start);
    if (!eq) continue;  // no key
    const size_t eqPos = static_cast<size_t>(static_cast<const char*>(eq) - data);
    const std::string_view name = Trim(cut(start, eqPos));
    onKey(name, StripQuotes(Trim(cut(eqPos + 1, end))));
  }
}

// True when the bytes hold a CR or LF.  Eight bytes at a time: the names
// and values of a library are short, and a byte loop would cost more than
// everything else in writing them.  A word is looked at byte by byte only
// when it holds a byte below 0x0E (CR, LF, but also a tab), which is rare.
bool HasLineBreak(const char* p, size_t n) {
  constexpr uint64_t kOnes = 0x0101010101010101u;
  constexpr uint64_t kHighs = 0x8080808080808080u;
  auto exact = [](const char* q, size_t m) {
    for (size_t i = 0; i < m; ++i)
      if (q[i] == '\r' || q[i] == '\n') return true;
    return false;
  };
  if (n < 8) return exact(p, n);
  // (w - 0x0E in every byte) & ~w has a high bit set exactly when some byte
  // of w is below 0x0E.
  auto low = [](uint64_t w) { return ((w - kOnes * 0x0E) & ~w & kHighs) != 0; };
  uint64_t w;
  size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    std::memcpy(&w, p + i, 8);
    if (low(w) && exact(p + i, 8)) return true;
  }
  if (i == n) return false;
  std::memcpy(&w, p + n - 8, 8);  // the last eight bytes, overlapping the ones seen
  return low(w) && exact(p + n - 8, 8);
}

// Writes every CR or LF among the n bytes at p as a blank, so that no name
// or value can end its line early.
void BlankLineBreaks(char* p, size_t n) {
  if (!HasLineBreak(p, n)) return;
  for (char* end = p + n; p != end; ++p)
    if (*p == '\r' || *p == '\n') *p = ' ';
}

}  // namespace

const std::string* Section::Find(std::string_view name) const {
  const std::string wanted(name);
  for (const Key& key : Keys)
    if (plat::SameText(key.Name, wanted)) return &key.Value;
  return nullptr;
}

const Section* Document::Find(std::string_view name) const {
  const std::string wanted(name);
  for (const Section& section : Sections)
    if (plat::SameText(section.Name, wanted)) return &section;
  return nullptr;
}

Encoding ScanSections(std::string_view bytes, Unmarked unmarked, SectionVisitor visit,
                      void* context) {
  // A UTF-8 file is its own text, kept byte for byte (also where a byte is
  // not UTF-8); the others are decoded.
  Encoding enc;
  std::string decoded;
  std::string_view text = bytes;
  if (encoding::HasUtf8Mark(bytes)) {
    enc = Encoding::Utf8Bom;
    text = bytes.substr(3);
  } else if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
             static_cast<unsigned char>(bytes[1]) == 0xFE) {
    enc = Encoding::Utf16LeBom;
    decoded = encoding::DecodeUtf16(bytes.substr(2), false);
    text = decoded;
  } else if (unmarked == Unmarked::Utf8 ||
             (unmarked == Unmarked::Detect && encoding::ReadsAsUtf8(bytes))) {
    enc = Encoding::Utf8;
  } else {
    enc = Encoding::CodePage1252;
  }
  // A code page 1252 file is scanned as it is (every byte that gives the
  // lines their form is ASCII, the same in both), and only the names and
  // values that hold a byte beyond ASCII are converted, section by section.
  const bool convert = enc == Encoding::CodePage1252 && !encoding::IsAscii(bytes);
  std::string converted;
  // A section is reported once its last key is known, that is at the next
  // section line or at the end; `keys` keeps its capacity from one section
  // to the next.
  bool pending = false;
  std::string_view name;
  std::vector<KeyRef> keys;
  auto report = [&] {
    if (convert) ConvertSection(name, keys, converted);
    visit(context, name, keys);
  };
  ScanText(
      text,
      [&](std::string_view sectionName) {
        if (pending) report();
        pending = true;
        name = sectionName;
        keys.clear();
      },
      [&](std::string_view keyName, std::string_view value) { keys.push_back(KeyRef{keyName, value}); });
  if (pending) report();
  return enc;
}

KeyFinder::KeyFinder(std::vector<std::string> wanted) : wanted_(std::move(wanted)) {
  if (wanted_.size() > 32) wanted_.resize(32);
}

uint32_t KeyFinder::MatchesOf(std::string_view name) {
  // The sections of a file mostly list their keys in one order, so the
  // search starts after the spelling found last.
  const size_t count = seen_.size();
  if (next_ < count && seen_[next_].Name == name) return seen_[next_++].Matches;
  for (size_t k = 0; k < count; ++k) {
    size_t i = next_ + k;
    if (i >= count) i -= count;
    const Spelling& s = seen_[i];
    if (s.Name.size() == name.size() && std::memcmp(s.Name.data(), name.data(), name.size()) == 0) {
      next_ = i + 1;
      return s.Matches;
    }
  }
  Spelling spelling{std::string(name), 0};
  for (size_t w = 0; w < wanted_.size(); ++w)
    if (plat::SameText(spelling.Name, wanted_[w])) spelling.Matches |= uint32_t{1} << w;
  const uint32_t matches = spelling.Matches;
  constexpr size_t kMaxSpellings = 64;
  if (count < kMaxSpellings) {
    seen_.push_back(std::move(spelling));
    next_ = count + 1;
  }
  return matches;
}

uint32_t KeyFinder::Find(std::span<const KeyRef> keys, std::string_view* values) {
  const uint32_t all = wanted_.size() == 32 ? ~uint32_t{0} : (uint32_t{1} << wanted_.size()) - 1;
  uint32_t found = 0;
  for (const KeyRef& key : keys) {
    uint32_t fresh = MatchesOf(key.Name) & ~found;
    if (fresh == 0) continue;
    found |= fresh;
    for (size_t w = 0; fresh != 0; ++w, fresh >>= 1)
      if (fresh & 1) values[w] = key.Value;
    if (found == all) break;
  }
  return found;
}

char* Writer::Grow(size_t bytes) {
  text_.resize(std::max(2 * text_.size(), used_ + bytes));
  return text_.data() + used_;
}

// Names and values are written trimmed of blanks, and with each CR or LF
// inside written as a blank.
void Writer::Section(std::string_view name) {
  name = Trim(name);
  char* const start = Room(name.size() + 4);
  char* p = start;
  *p++ = '[';
  std::memcpy(p, name.data(), name.size());
  BlankLineBreaks(p, name.size());
  p += name.size();
  std::memcpy(p, "]\r\n", 3);
  used_ += name.size() + 4;
}

void Writer::Key(std::string_view name, std::string_view value) {
  name = Trim(name);
  value = Trim(value);
  char* const start = Room(name.size() + value.size() + 3);
  char* p = start;
  std::memcpy(p, name.data(), name.size());
  p += name.size();
  *p++ = '=';
  std::memcpy(p, value.data(), value.size());
  p += value.size();
  BlankLineBreaks(start, static_cast<size_t>(p - start));  // the '=' between them stays
  std::memcpy(p, "\r\n", 2);
  used_ += name.size() + value.size() + 3;
}

std::string Writer::Finish(Encoding enc) && {
  text_.resize(used_);
  switch (enc) {
    case Encoding::CodePage1252:
      encoding::MakeCodePage1252(text_);
      return std::move(text_);
    case Encoding::Utf8:
      return std::move(text_);
    case Encoding::Utf8Bom:
      return "\xEF\xBB\xBF" + text_;
    case Encoding::Utf16LeBom: {
      const std::u16string units = encoding::ToUtf16(text_);
      std::string out;
      out.resize(2 + 2 * units.size());
      out[0] = '\xFF';
      out[1] = '\xFE';
      for (size_t i = 0; i < units.size(); ++i) {
        out[2 + 2 * i] = static_cast<char>(units[i] & 0xFF);
        out[3 + 2 * i] = static_cast<char>(units[i] >> 8);
      }
      return out;
    }
  }
  return std::move(text_);
}

Document Parse(std::string_view bytes, Unmarked unmarked) {
  Document doc;
  doc.Enc = ForEachSection(bytes, unmarked, [&doc](std::string_view name, std::span<const KeyRef> keys) {
    Section& section = doc.Sections.emplace_back();
    section.Name = name;
    section.Keys.reserve(keys.size());
    for (const KeyRef& key : keys)
      section.Keys.push_back(Key{std::string(key.Name), std::string(key.Value)});
  });
  return doc;
}

std::string Serialize(const Document& doc) {
  size_t size = 0;
  for (const Section& section : doc.Sections) {
    size += section.Name.size() + 4;
    for (const Key& key : section.Keys) size += key.Name.size() + key.Value.size() + 3;
  }
  Writer out;
  out.Reserve(size);
  for (const Section& section : doc.Sections) {
    out.Section(section.Name);
    for (const Key& key : section.Keys) out.Key(key.Name, key.Value);
  }
  return std::move(out).Finish(doc.Enc);
}

}  // namespace profile
