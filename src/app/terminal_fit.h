// Text made to fit a terminal's width: the columns a text takes on the
// screen (a Chinese or Japanese character two, a combining accent none), a
// text cut at its end or shortened in its middle with an ellipsis, and the
// lines of the listing fitted so.  Pure functions of text and widths; the
// width itself comes from the host (plat::StdoutColumns).
//
// Text is UTF-8; a byte that is not UTF-8 counts as its code page 1252
// character, as everywhere in the program.
//
// May use: every folder of src/ (never the host's headers).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace app {

// The columns character `c` takes on a terminal: 0 (a combining mark, a
// control or format character), 2 (East Asian wide and fullwidth
// characters, most emoji) or 1.
int CharColumns(char32_t c);
// The columns `text` takes.
size_t TextColumns(std::string_view text);
// `text` filled with blanks at its end to `columns` columns (as it is when
// it is wider).
std::string PadToColumns(std::string_view text, size_t columns);
// `text` cut at its end to at most `columns` columns, the last one an
// ellipsis when anything was cut.
std::string CutWithEllipsis(std::string_view text, size_t columns);
// `text` in at most `columns` columns, its middle replaced by an ellipsis
// when it is wider: the beginning and the end of a path stay.
std::string ShortenInMiddle(std::string_view text, size_t columns);

// A line of the listing on a terminal `columns` wide: `lead` (the layer and
// the state), the title in a column `titleColumn` wide, two blanks, the
// folder, and `tail` (what the line says about the area).  The title column
// narrows on a terminal too narrow for it and a folder beside it, the same
// on every line; a longer title is cut with an ellipsis, and a folder
// wider than what is left is shortened in its middle.  A line whose tail
// leaves its folder too little room narrows its own title column; a
// terminal narrower still gets the line cut at its end.  No trailing
// blanks.
std::string FitListingLine(std::string_view lead, std::string_view title, size_t titleColumn,
                           std::string_view folder, std::string_view tail, size_t columns);
// A line that is no row of the listing, in at most `columns` columns: cut
// into two after "; " where it has one (a line of counts), each part then
// cut with an ellipsis.  Without the line end.
std::vector<std::string> FitPlainLine(std::string_view line, size_t columns);

}  // namespace app
