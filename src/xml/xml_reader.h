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
// May use: platform/ (its code page 1252 conversion).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace xml {

struct Attribute {
  std::string Name;
  std::string Value;  // references replaced
};

struct Element {
  std::string Name;
  std::vector<Attribute> Attributes;  // in document order
  // The character data directly inside this element (not its children's),
  // CDATA included, references replaced, in document order.
  std::string Text;
  std::vector<Element> Children;  // in document order

  // The first child element whose name equals `name` ignoring the case of
  // ASCII letters; nullptr when there is none.
  const Element* Child(std::string_view name) const;
  // The value of the attribute of that name (ASCII case ignored); nullptr
  // when there is none.
  const std::string* AttributeValue(std::string_view name) const;
};

// Elements nested deeper than this are refused.
constexpr size_t kMaxDepth = 64;
// Documents larger than this (in bytes, as stored) are refused.
constexpr size_t kMaxBytes = 4 * 1024 * 1024;

// The document's text in UTF-8, decoded as the header says.  False, with
// `error` saying why, for UTF-16 that is not valid or a document too large.
bool DecodeDocument(std::string_view bytes, std::string& text, std::string& error);

// Reads a whole document (bytes as stored) into its root element.  False,
// with `error` saying what is wrong and on which line, when it is malformed;
// `root` is then empty.
bool Parse(std::string_view bytes, Element& root, std::string& error);

}  // namespace xml
