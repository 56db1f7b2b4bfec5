// A small, bounded reader of XML documents, for the description files of
// add-on packages (add-on.xml).  It reads the part of XML that such files use
// and refuses the rest as malformed:
//
//   - encodings: UTF-8 (with or without its byte-order mark) and UTF-16 in
//     either byte order with its mark (or, without one, told from a first
//     "<" as XML allows); a file without a mark whose XML declaration names
//     windows-1252 or ISO-8859-1, or whose bytes are not valid UTF-8, is read
//     as code page 1252.  The text handed out is always UTF-8;
//   - elements with attributes (quoted with " or '), text, CDATA sections,
//     comments and processing instructions (the XML declaration among them);
//   - references: the five predefined entities (&lt; &gt; &amp; &apos;
//     &quot;) and numeric character references (&#65; &#x41;).
// A document type declaration, any other entity, a control character other
// than tab, CR and LF, an element not closed or closed by another name, and
// text outside the one root element are errors.  The reader never recurses
// deeper than kMaxDepth and reads at most kMaxBytes, so that no file can
// exhaust the stack or the memory.
//
// May use: format_problem and platform/ (text_encoding: code page 1252 and UTF-16
// decoding).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "formats/format_problem.h"

namespace xml {

// What a reading tells, in document order, to the one who reads.  The texts
// handed over are UTF-8 and last only for the call.
class Events {
 public:
  virtual ~Events() = default;
  // An element begins: its name, then each of its attributes (references
  // replaced), then its content, then ElementEnd.
  virtual void ElementStart(std::string_view name) = 0;
  virtual void Attribute(std::string_view name, std::string_view value) = 0;
  // A piece of the character data directly inside the innermost element
  // begun and not ended (CDATA included, references replaced); its
  // character data may come in several pieces.
  virtual void Text(std::string_view text) = 0;
  virtual void ElementEnd() = 0;
};

// Elements nested deeper than this are refused.
constexpr size_t kMaxDepth = 64;
// Documents larger than this (in bytes, as stored) are refused.
constexpr size_t kMaxBytes = 4 * 1024 * 1024;

// The document's text in UTF-8, decoded as the header says.  A problem for
// UTF-16 that is not valid or a document too large.
FormatProblem DecodeDocument(std::string_view bytes, std::string& text);

// Reads a whole document (bytes as stored), telling `events` what it holds.
// A problem, saying what is wrong and on which line, when it is malformed;
// `events` may then have been told of a part of it.  Nothing is kept of
// what was read: a reader keeps what it needs from the events.
FormatProblem Read(const std::string& bytes, Events& events);

// True when `a` and `b` are the same name, the case of ASCII letters aside.
bool SameAsciiCase(std::string_view a, std::string_view b);

}  // namespace xml
