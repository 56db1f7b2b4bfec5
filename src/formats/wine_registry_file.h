// Wine's registry files (user.reg, system.reg) as a pure parser, so that it
// can be tested and fuzzed on any host.
//
// The text format: a header line "WINE REGISTRY Version 2", then key lines
// "[Software\\Vendor\\Product] 1796672504" (the path relative to the hive's
// root, backslashes doubled, an optional timestamp) each followed by its value
// lines ("Name"="text", "Name"=str:"text", "Name"=str(2):"text", @=...,
// dword:..., hex:..., hex(N):..., str(N):"...").  Comment lines (';'),
// option lines ('#') and blank lines are ignored; a line ending in '\'
// continues on the next one.  Quoted text knows the escapes \\ \" \a \b \t
// \n \v \f \r \e, \ooo (octal) and \xHHHH (a UTF-16 unit); everything else is
// UTF-8.  A line that cannot be read is passed over.
//
// May use: the pure text rules of platform/ (text_encoding, text_rules).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>

namespace winereg {

struct Value {
  bool IsString = false;  // REG_SZ or REG_EXPAND_SZ (given as text or as hex(1)/hex(2))
  std::u16string Text;    // the string's UTF-16 units, for string values
};

class Hive {
 public:
  // Reads the text of a registry file.  Text without the header holds no keys.
  static Hive Parse(std::string_view bytes);

  // `path` is text (UTF-8) relative to the root ("Software\X");
  // empty components are passed over.  A key exists when it has a line of its
  // own or lies above one that has.
  bool HasKey(std::string_view path) const;
  // The value `name` (empty for the default value) of the key `path`;
  // nullptr when the key or the value is missing.
  const Value* FindValue(std::string_view path, std::string_view name) const;

  size_t KeyCount() const { return keys_.size(); }

 private:
  using Values = std::unordered_map<std::u16string, Value>;  // by upper-cased name
  std::unordered_map<std::u16string, Values> keys_;            // by upper-cased path
};

}  // namespace winereg
