// The bounded XML reader: decoding the stored bytes to UTF-8 (UTF-8 itself
// is read where it stands), then one pass of a recursive reader whose
// depth is bounded, which tells what it reads as it goes and builds
// nothing.
#include "formats/xml_reader.h"

#include <array>
#include <cstdint>
#include <vector>

#include "platform/text_encoding.h"

namespace xml {

namespace {

// `bytes` in UTF-16 as text; false, with `error` saying why, where they
// are not valid UTF-16.
bool DecodeUtf16(std::string_view bytes, bool bigEndian, std::string& text, std::string& error) {
  encoding::Utf16Fault fault;
  text = encoding::DecodeUtf16(bytes, bigEndian, &fault);
  switch (fault) {
    case encoding::Utf16Fault::OddLength:
      error = "it is not valid UTF-16: it ends in half a character";
      return false;
    case encoding::Utf16Fault::HalfSurrogate:
      error = "it is not valid UTF-16: it holds half of a surrogate pair";
      return false;
    case encoding::Utf16Fault::None: break;
  }
  return true;
}

// The encoding an XML declaration at the start of `bytes` names, lower-cased;
// empty when there is none.
std::string DeclaredEncoding(std::string_view bytes) {
  if (bytes.substr(0, 5) != "<?xml") return std::string();
  const std::string_view declaration = bytes.substr(0, bytes.find("?>"));
  const size_t key = declaration.find("encoding");
  if (key == std::string_view::npos) return std::string();
  size_t i = declaration.find_first_of("\"'", key);
  if (i == std::string_view::npos) return std::string();
  const size_t end = declaration.find(declaration[i], i + 1);
  if (end == std::string_view::npos) return std::string();
  std::string name(declaration.substr(i + 1, end - i - 1));
  for (char& c : name)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return name;
}

// What each byte is to the reader, looked up once per byte.
enum : uint8_t {
  kNameStart = 1,  // may begin a name
  kNameChar = 2,   // may stand in a name
  kMarkup = 4,     // '<' or '&': ends character data
  kControl = 8,    // a control character XML does not allow
};
constexpr std::array<uint8_t, 256> kByteClass = [] {
  std::array<uint8_t, 256> classes{};
  for (int c = 0; c < 256; ++c) {
    const bool start = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':' || c >= 0x80;
    if (start) classes[c] |= kNameStart | kNameChar;
    if ((c >= '0' && c <= '9') || c == '-' || c == '.') classes[c] |= kNameChar;
    if (c < 0x20 && c != '\t' && c != '\r' && c != '\n') classes[c] |= kControl;
  }
  classes['<'] |= kMarkup;
  classes['&'] |= kMarkup;
  return classes;
}();
bool Is(char c, uint8_t what) { return (kByteClass[static_cast<unsigned char>(c)] & what) != 0; }

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// One pass over the decoded text, telling the events as it goes.  Each
// method leaves pos_ after what it read; the first error ends the pass.
// The text is followed by a NUL (it is a std::string's), a control
// character that ends every run of names, blanks or characters, so that
// those loops need not also look for the text's end.
class Reader {
 public:
  // `text` must be followed by a NUL.
  explicit Reader(std::string_view text, Events& events) : text_(text), events_(events) {}

  bool Document(std::string& error) {
    if (!Misc() || !Expect('<', "it holds no element")) return Fail(error);
    --pos_;
    std::string_view root;
    if (!ElementAt(1, root) || !Misc()) return Fail(error);
    if (pos_ < text_.size()) {
      problem_ = "there is more after the end of the root element <" + std::string(root) + ">";
      return Fail(error);
    }
    return true;
  }

 private:
  bool Fail(std::string& error) {
    size_t line = 1;
    for (size_t i = 0; i < pos_ && i < text_.size(); ++i) line += text_[i] == '\n';
    error = "line " + std::to_string(line) + ": " + problem_;
    return false;
  }
  [[gnu::noinline, gnu::cold]] bool Problem(std::string what) {
    problem_ = std::move(what);
    return false;
  }
  bool At(std::string_view what) const { return text_.substr(pos_, what.size()) == what; }
  bool Expect(char c, const char* otherwise) {
    if (text_.data()[pos_] == c) {  // never the NUL after the text
      ++pos_;
      return true;
    }
    return Problem(otherwise);
  }
  void SkipBlanks() {
    const char* const text = text_.data();
    while (IsBlank(text[pos_])) ++pos_;
  }
  // Moves past `end`, which must follow; `what` names the construct.
  bool SkipPast(std::string_view end, const char* what) {
    const size_t found = text_.find(end, pos_);
    if (found == std::string_view::npos) return Problem(std::string(what) + " is not closed");
    return CheckCharacters(pos_, found) && (pos_ = found + end.size(), true);
  }
  // Control characters other than tab, CR and LF are not XML.
  bool CheckCharacters(size_t from, size_t to) {
    for (size_t i = from; i < to; ++i)
      if (Is(text_[i], kControl)) return ControlCharacterAt(i);
    return true;
  }
  bool ControlCharacterAt(size_t i) {
    pos_ = i;
    const auto c = static_cast<unsigned char>(text_[i]);
    static const char kHex[] = "0123456789ABCDEF";
    return Problem(std::string("the control character 0x") + kHex[c >> 4] + kHex[c & 15] +
                   " is not allowed");
  }

  // Blanks, comments and processing instructions, as they may stand before
  // and after the root element.
  bool Misc() {
    for (;;) {
      SkipBlanks();
      if (At("<!--")) {
        pos_ += 4;
        if (!SkipPast("-->", "a comment")) return false;
      } else if (At("<?")) {
        if (!SkipPast("?>", "a processing instruction")) return false;
      } else if (At("<!DOCTYPE") || At("<!doctype")) {
        return Problem("a document type declaration (<!DOCTYPE>) is not read here");
      } else {
        return pos_ >= text_.size() || text_[pos_] == '<' ||
               Problem("there is text outside the root element");
      }
    }
  }

  bool Name(std::string_view& name) {
    const size_t start = pos_;
    if (!SkipName()) return false;
    name = text_.substr(start, pos_ - start);
    return true;
  }
  bool SkipName() {
    if (pos_ >= text_.size() || !Is(text_[pos_], kNameStart)) return Problem("a name is expected here");
    const char* const text = text_.data();
    size_t end = pos_ + 1;
    while (Is(text[end], kNameChar)) ++end;
    pos_ = end;
    return true;
  }

  // Where the character data from pos_ on ends: its next '<' or '&'; npos
  // when there is none.  `control` is set to the first control character
  // before it, npos when there is none.
  size_t TextEnd(size_t& control) const {
    control = std::string_view::npos;
    const char* const text = text_.data();
    for (size_t i = pos_;; ++i) {
      if (!Is(text[i], kMarkup | kControl)) continue;
      if (Is(text[i], kMarkup)) return i;
      if (i == text_.size()) return std::string_view::npos;
      if (control == std::string_view::npos) control = i;
    }
  }

  // A reference after its '&', appended to `out`.
  bool Reference(std::string& out) {
    const size_t end = text_.find(';', pos_);
    if (end == std::string_view::npos || end - pos_ > 12)
      return Problem("'&' starts no reference (write &amp; for '&')");
    const std::string_view name = text_.substr(pos_, end - pos_);
    static const struct {
      const char* Name;
      char Char;
    } kEntities[] = {{"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"apos", '\''}, {"quot", '"'}};
    for (const auto& entity : kEntities) {
      if (name == entity.Name) {
        out += entity.Char;
        pos_ = end + 1;
        return true;
      }
    }
    if (name.size() < 2 || name[0] != '#') return Problem("the entity &" + std::string(name) + "; is not known");
    const bool hex = name[1] == 'x';
    const std::string_view digits = name.substr(hex ? 2 : 1);
    uint32_t cp = 0;
    for (char c : digits) {
      int digit = c >= '0' && c <= '9' ? c - '0'
                  : hex && c >= 'a' && c <= 'f' ? c - 'a' + 10
                  : hex && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                : -1;
      if (digit < 0) return Problem("&" + std::string(name) + "; is not a character reference");
      cp = cp * (hex ? 16 : 10) + static_cast<uint32_t>(digit);
      if (cp > 0x10FFFF) break;
    }
    const bool allowed = cp == 0x9 || cp == 0xA || cp == 0xD || (cp >= 0x20 && cp <= 0x10FFFF &&
                                                                 !(cp >= 0xD800 && cp <= 0xDFFF));
    if (digits.empty() || !allowed)
      return Problem("&" + std::string(name) + "; names no character XML allows");
    encoding::AppendUtf8(out, static_cast<char32_t>(cp));
    pos_ = end + 1;
    return true;
  }

  // The attributes of the element `element`, told as they are read.
  bool AttributeList(std::string_view element) {
    attributeNames_.clear();
    for (;;) {
      const size_t before = pos_;
      SkipBlanks();
      if (pos_ >= text_.size())
        return Problem("the tag <" + std::string(element) + "> is not closed");
      if (text_[pos_] == '>' || text_[pos_] == '/') return true;
      if (pos_ == before)
        return Problem("a blank must separate the attributes of <" + std::string(element) + ">");
      std::string_view name;
      if (!Name(name)) return false;
      SkipBlanks();
      if (!Expect('=', "an attribute needs '=' and a quoted value")) return false;
      SkipBlanks();
      if (pos_ >= text_.size() || (text_[pos_] != '"' && text_[pos_] != '\''))
        return Problem("the value of " + std::string(name) + " must be quoted");
      const char quote = text_[pos_++];
      // The value as it stands, unless a reference makes it another text.
      const size_t valueStart = pos_;
      bool replaced = false;
      value_.clear();
      for (;;) {
        // A run of plain characters at once.
        const char* const text = text_.data();
        size_t end = pos_;
        while (text[end] != quote && !Is(text[end], kMarkup | kControl)) ++end;
        if (replaced) value_.append(text_.substr(pos_, end - pos_));
        pos_ = end;
        if (pos_ >= text_.size())
          return Problem("the value of " + std::string(name) + " is not closed");
        const char c = text_[pos_];
        if (c == quote) break;
        if (c == '<') return Problem("'<' is not allowed in the value of " + std::string(name));
        if (c == '&') {
          if (!replaced) value_.assign(text_.substr(valueStart, pos_ - valueStart));
          replaced = true;
          ++pos_;
          if (!Reference(value_)) return false;
          continue;
        }
        return ControlCharacterAt(pos_);
      }
      const std::string_view value =
          replaced ? std::string_view(value_) : text_.substr(valueStart, pos_ - valueStart);
      ++pos_;
      for (const std::string_view other : attributeNames_)
        if (other == name)
          return Problem("<" + std::string(element) + "> has the attribute " + std::string(name) +
                         " twice");
      attributeNames_.push_back(name);
      events_.Attribute(name, value);
    }
  }

  // An element starting at its '<'; `name` is set to its name.
  bool ElementAt(size_t depth, std::string_view& name) {
    if (depth > kMaxDepth)
      return Problem("elements are nested more than " + std::to_string(kMaxDepth) + " deep");
    const size_t start = pos_++;
    if (!Name(name)) return false;
    events_.ElementStart(name);
    if (!AttributeList(name)) return false;
    if (At("/>")) {
      pos_ += 2;
      events_.ElementEnd();
      return true;
    }
    if (!Expect('>', "a '/' in a tag must be followed by '>'")) return false;
    for (;;) {
      size_t control;
      const size_t next = TextEnd(control);
      if (next == std::string_view::npos) {
        pos_ = start;  // where the user looks for it
        return Problem("the element <" + std::string(name) + "> is not closed");
      }
      if (control != std::string_view::npos) return ControlCharacterAt(control);
      if (next > pos_) events_.Text(text_.substr(pos_, next - pos_));
      pos_ = next;
      // After a '&' or a '<': its next character tells what follows.
      const char after = pos_ + 1 < text_.size() ? text_[pos_ + 1] : '\0';
      if (text_[pos_] == '&') {
        ++pos_;
        value_.clear();
        if (!Reference(value_)) return false;
        events_.Text(value_);
      } else if (after == '/') {
        pos_ += 2;
        const size_t nameStart = pos_;
        // Most closing tags name the element they close: compared at once.
        if (text_.substr(pos_, name.size()) == name &&
            (pos_ + name.size() == text_.size() || !Is(text_[pos_ + name.size()], kNameChar))) {
          pos_ += name.size();
        } else {
          if (!SkipName()) return false;
          const std::string_view closing = text_.substr(nameStart, pos_ - nameStart);
          return Problem("</" + std::string(closing) + "> closes <" + std::string(name) + ">");
        }
        SkipBlanks();
        if (!Expect('>', "a closing tag must end in '>'")) return false;
        events_.ElementEnd();
        return true;
      } else if (after == '!' && At("<!--")) {
        pos_ += 4;
        if (!SkipPast("-->", "a comment")) return false;
      } else if (after == '!' && At("<![CDATA[")) {
        pos_ += 9;
        const size_t start = pos_;
        if (!SkipPast("]]>", "a CDATA section")) return false;
        if (pos_ - 3 > start) events_.Text(text_.substr(start, pos_ - 3 - start));
      } else if (after == '?') {
        if (!SkipPast("?>", "a processing instruction")) return false;
      } else if (after == '!') {
        return Problem("a declaration is not allowed inside an element");
      } else {
        std::string_view child;
        if (!ElementAt(depth + 1, child)) return false;
      }
    }
  }

  std::string_view text_;
  Events& events_;
  std::vector<std::string_view> attributeNames_;  // of the element being read
  std::string value_;  // an attribute's value or a reference, where replaced
  size_t pos_ = 0;
  std::string problem_;
};

}  // namespace

bool SameAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  if (a == b) return true;  // most names are written as they are looked for
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

namespace {

// How a document's bytes are stored, as its mark or its start tells.
enum class Stored { Utf8, Utf16LittleEndian, Utf16BigEndian, CodePage1252 };
struct Storage {
  Stored As;
  size_t Start;  // where the text begins, after its mark
};
Storage StorageOf(std::string_view bytes) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") return {Stored::Utf8, 3};
  // A mark, or else the first '<' in two bytes, tells UTF-16 and its order.
  if (bytes.substr(0, 2) == "\xFF\xFE") return {Stored::Utf16LittleEndian, 2};
  if (bytes.substr(0, 2) == "\xFE\xFF") return {Stored::Utf16BigEndian, 2};
  if (bytes.substr(0, 2) == std::string_view("<\0", 2)) return {Stored::Utf16LittleEndian, 0};
  if (bytes.substr(0, 2) == std::string_view("\0<", 2)) return {Stored::Utf16BigEndian, 0};
  const std::string declared = DeclaredEncoding(bytes);
  const bool ansi = declared == "windows-1252" || declared == "iso-8859-1" || declared == "latin1" ||
                    declared == "cp1252";
  return {ansi || !encoding::IsValidUtf8(bytes) ? Stored::CodePage1252 : Stored::Utf8, 0};
}

bool TooLarge(std::string_view bytes, std::string& error) {
  if (bytes.size() <= kMaxBytes) return false;
  error = "it is larger than " + std::to_string(kMaxBytes / (1024 * 1024)) + " MB";
  return true;
}

// The text of `bytes` stored as `storage` in UTF-8 (`bytes` itself is not).
bool Decode(std::string_view bytes, Storage storage, std::string& text, std::string& error) {
  const std::string_view stored = bytes.substr(storage.Start);
  switch (storage.As) {
    case Stored::Utf16LittleEndian: return DecodeUtf16(stored, false, text, error);
    case Stored::Utf16BigEndian: return DecodeUtf16(stored, true, text, error);
    case Stored::CodePage1252: text = encoding::FromCodePage1252(stored); return true;
    case Stored::Utf8: break;
  }
  text.assign(stored);
  return true;
}

}  // namespace

FormatProblem DecodeDocument(std::string_view bytes, std::string& text) {
  text.clear();
  FormatProblem problem;
  if (!TooLarge(bytes, problem.Text)) Decode(bytes, StorageOf(bytes), text, problem.Text);
  return problem;
}

FormatProblem Read(const std::string& bytes, Events& events) {
  FormatProblem problem;
  if (TooLarge(bytes, problem.Text)) return problem;
  const Storage storage = StorageOf(bytes);
  // UTF-8 is read where it stands: a std::string's bytes are followed by
  // the NUL the reader needs after its text.
  if (storage.As == Stored::Utf8) {
    Reader(std::string_view(bytes).substr(storage.Start), events).Document(problem.Text);
  } else {
    std::string text;
    if (Decode(bytes, storage, text, problem.Text)) Reader(text, events).Document(problem.Text);
  }
  return problem;
}

}  // namespace xml
