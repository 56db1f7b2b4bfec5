// Valve's KeyValues text format (the .vdf files Steam keeps, such as
// libraryfolders.vdf) as a pure parser, so that it can be tested and fuzzed
// on any host.
//
// The text is a list of entries, each a key followed by either a text value
// or a block of entries in braces:
//
//   "libraryfolders"
//   {
//       "0" { "path" "/home/pilot/.local/share/Steam" }  // a comment
//   }
//
// Keys and values are quoted ("..."), or unquoted words ending at a blank,
// a quote or a brace.  Inside quotes \\ is a backslash, \" a quote, \n and
// \t a line feed and a tab; any other backslash is kept as it stands, and a
// quoted text may span lines.  "//" starts a comment up to the end of the
// line.  Text is taken as bytes (Steam writes UTF-8).
//
// May use: the standard library and format_problem.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "formats/format_problem.h"

namespace vdf {

struct Entry {
  std::string Key;
  bool IsBlock = false;
  std::string Value;             // the text value (when not a block)
  std::vector<Entry> Children;   // the block's entries (when a block)

  // The first entry of the block whose key equals `key` ignoring the case of
  // ASCII letters; nullptr when there is none (or this is no block).
  const Entry* Find(std::string_view key) const;
};

// The first of `entries` whose key equals `key` ignoring the case of ASCII
// letters; nullptr when there is none.
const Entry* Find(const std::vector<Entry>& entries, std::string_view key);

// Blocks nested deeper than this are refused as malformed.
constexpr size_t kMaxDepth = 64;

// Parses the whole text into its top-level entries.  On malformed text
// (a quote or a block not closed, a key without a value, a brace where a
// key belongs, blocks nested too deeply) says what and on which line;
// `entries` is then empty.
FormatProblem Parse(std::string_view text, std::vector<Entry>& entries);

}  // namespace vdf
