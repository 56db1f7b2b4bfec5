#include "formats/wine_registry_file.h"

#include <vector>

#include "platform/text_encoding.h"
#include "platform/text_rules.h"

namespace winereg {
namespace {

constexpr std::string_view kHeader = "WINE REGISTRY Version 2";

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

std::u16string Upper(std::u16string text) {
  for (char16_t& c : text) c = textrules::UpperUtf16(c);
  return text;
}

// A key path in the form the table is indexed by: upper-cased, components
// joined by single backslashes, no leading or trailing backslash.
std::u16string NormalKeyPath(std::u16string_view path) {
  std::u16string out;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find(u'\\', start);
    if (end == std::u16string_view::npos) end = path.size();
    if (end > start) {
      if (!out.empty()) out += u'\\';
      out.append(path.substr(start, end - start));
    }
    start = end + 1;
  }
  return Upper(std::move(out));
}

// Reads quoted text from `line` at `pos` (just after the opening character)
// up to the unescaped `terminator`; `pos` is left after the terminator.
// False when the terminator is missing.
bool ParseQuoted(std::u16string_view line, size_t& pos, char16_t terminator,
                 std::u16string& out) {
  out.clear();
  while (pos < line.size()) {
    char16_t c = line[pos++];
    if (c == terminator) return true;
    if (c != u'\\') {
      out += c;
      continue;
    }
    if (pos >= line.size()) return false;
    c = line[pos++];
    switch (c) {
      case u'a': out += u'\a'; break;
      case u'b': out += u'\b'; break;
      case u't': out += u'\t'; break;
      case u'n': out += u'\n'; break;
      case u'v': out += u'\v'; break;
      case u'f': out += u'\f'; break;
      case u'r': out += u'\r'; break;
      case u'e': out += char16_t(27); break;
      case u'x': {
        unsigned unit = 0;
        int digits = 0;
        while (digits < 4 && pos < line.size() && HexDigit(line[pos]) >= 0) {
          unit = unit * 16 + unsigned(HexDigit(line[pos++]));
          ++digits;
        }
        out += digits ? char16_t(unit) : u'x';
        break;
      }
      default:
        if (c >= u'0' && c <= u'7') {
          unsigned unit = c - u'0';
          for (int digits = 1; digits < 3 && pos < line.size() && line[pos] >= u'0' &&
                               line[pos] <= u'7';
               ++digits)
            unit = unit * 8 + unsigned(line[pos++] - u'0');
          out += char16_t(unit);
        } else {
          out += c;  // \\, \" and any other escaped character stand for themselves
        }
    }
  }
  return false;
}

bool StartsWith(std::u16string_view text, size_t pos, std::u16string_view prefix) {
  return text.substr(pos, prefix.size()) == prefix;
}

// "xx,xx,..." as bytes; false on anything else.
bool ParseHexBytes(std::u16string_view line, size_t pos, std::vector<unsigned char>& bytes) {
  bytes.clear();
  while (true) {
    while (pos < line.size() && IsBlank(line[pos])) ++pos;
    if (pos >= line.size()) return true;
    int high = HexDigit(line[pos]);
    if (high < 0) return false;
    int low = pos + 1 < line.size() ? HexDigit(line[pos + 1]) : -1;
    if (low < 0) return false;
    bytes.push_back(static_cast<unsigned char>(high * 16 + low));
    pos += 2;
    while (pos < line.size() && IsBlank(line[pos])) ++pos;
    if (pos >= line.size()) return true;
    if (line[pos] != u',') return false;
    ++pos;
  }
}

// The data after '=' of a value line.  False for a line that cannot be read.
bool ParseData(std::u16string_view line, size_t pos, Value& value) {
  while (pos < line.size() && IsBlank(line[pos])) ++pos;
  value = Value{};
  if (pos < line.size() && line[pos] == u'"') {
    ++pos;
    value.IsString = true;
    return ParseQuoted(line, pos, u'"', value.Text);
  }
  if (StartsWith(line, pos, u"str:\"")) {
    pos += 5;
    value.IsString = true;
    return ParseQuoted(line, pos, u'"', value.Text);
  }
  bool isStr = StartsWith(line, pos, u"str(");
  bool isHex = StartsWith(line, pos, u"hex(");
  if (isStr || isHex) {
    pos += 4;
    unsigned type = 0;
    int digits = 0;
    while (pos < line.size() && HexDigit(line[pos]) >= 0 && digits < 8) {
      type = type * 16 + unsigned(HexDigit(line[pos++]));
      ++digits;
    }
    if (!digits || !StartsWith(line, pos, u"):")) return false;
    pos += 2;
    bool stringType = type == 1 || type == 2;  // REG_SZ, REG_EXPAND_SZ
    if (isStr) {
      if (pos >= line.size() || line[pos] != u'"') return false;
      ++pos;
      std::u16string text;
      if (!ParseQuoted(line, pos, u'"', text)) return false;
      value.IsString = stringType;
      if (stringType) value.Text = std::move(text);
      return true;
    }
    std::vector<unsigned char> bytes;
    if (!ParseHexBytes(line, pos, bytes)) return false;
    value.IsString = stringType;
    if (stringType)  // the data are UTF-16LE units
      for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        value.Text += char16_t(bytes[i] | (bytes[i + 1] << 8));
    return true;
  }
  if (StartsWith(line, pos, u"dword:")) {
    pos += 6;
    int digits = 0;
    while (pos < line.size() && HexDigit(line[pos]) >= 0) ++pos, ++digits;
    return digits > 0 && digits <= 8;
  }
  if (StartsWith(line, pos, u"hex:")) {
    std::vector<unsigned char> bytes;
    return ParseHexBytes(line, pos + 4, bytes);
  }
  return false;
}

// Splits the file into logical lines: CR LF or LF ends a physical line; a
// line ending in '\' is joined with the next one, whose leading blanks are
// dropped.
std::vector<std::string> LogicalLines(std::string_view bytes) {
  std::vector<std::string> lines;
  std::string current;
  bool continuing = false;
  size_t pos = 0;
  while (pos < bytes.size()) {
    size_t end = bytes.find('\n', pos);
    if (end == std::string_view::npos) end = bytes.size();
    std::string_view line = bytes.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (continuing) {
      size_t skip = 0;
      while (skip < line.size() && (line[skip] == ' ' || line[skip] == '\t')) ++skip;
      line.remove_prefix(skip);
    }
    current.append(line);
    continuing = !current.empty() && current.back() == '\\';
    if (continuing) {
      current.pop_back();
      continue;
    }
    lines.push_back(std::move(current));
    current.clear();
  }
  if (continuing || !current.empty()) lines.push_back(std::move(current));
  return lines;
}

}  // namespace

Hive Hive::Parse(std::string_view bytes) {
  Hive hive;
  std::vector<std::string> lines = LogicalLines(bytes);
  if (lines.empty()) return hive;
  std::string_view header = lines[0];
  if (header.substr(0, kHeader.size()) != kHeader) return hive;
  for (char c : header.substr(kHeader.size()))
    if (c != ' ' && c != '\t') return hive;
  hive.keys_.try_emplace(std::u16string());  // the root itself

  Values* current = nullptr;  // the values of the key of the last key line
  std::u16string text;
  for (size_t i = 1; i < lines.size(); ++i) {
    std::u16string line = encoding::ToUtf16(lines[i]);
    size_t pos = 0;
    while (pos < line.size() && IsBlank(line[pos])) ++pos;
    if (pos >= line.size() || line[pos] == u';' || line[pos] == u'#') continue;

    if (line[pos] == u'[') {
      ++pos;
      current = nullptr;
      if (!ParseQuoted(line, pos, u']', text)) continue;
      std::u16string path = NormalKeyPath(text);
      // Every key above this one exists as well, even without a line of its own.
      for (size_t sep = path.find(u'\\'); sep != std::u16string::npos;
           sep = path.find(u'\\', sep + 1))
        hive.keys_.try_emplace(path.substr(0, sep));
      current = &hive.keys_[path];
      continue;
    }

    if (!current) continue;
    std::u16string name;
    if (line[pos] == u'@') {
      ++pos;
    } else if (line[pos] == u'"') {
      ++pos;
      if (!ParseQuoted(line, pos, u'"', name)) continue;
    } else {
      continue;
    }
    while (pos < line.size() && IsBlank(line[pos])) ++pos;
    if (pos >= line.size() || line[pos] != u'=') continue;
    Value value;
    if (!ParseData(line, pos + 1, value)) continue;
    (*current)[Upper(std::move(name))] = std::move(value);
  }
  return hive;
}

bool Hive::HasKey(std::string_view path) const {
  return keys_.count(NormalKeyPath(encoding::ToUtf16(path))) != 0;
}

const Value* Hive::FindValue(std::string_view path, std::string_view name) const {
  auto key = keys_.find(NormalKeyPath(encoding::ToUtf16(path)));
  if (key == keys_.end()) return nullptr;
  auto value = key->second.find(Upper(encoding::ToUtf16(name)));
  return value == key->second.end() ? nullptr : &value->second;
}

}  // namespace winereg
