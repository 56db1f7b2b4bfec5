// Windows text rules as pure functions, the same on both builds and
// testable on any host: lower-casing, equality ignoring case and its hash
// key, the order of section names, and the NTFS comparison and order of file
// names.
//
// Texts are UTF-8 (a byte that is not UTF-8 means its code page 1252
// character, see text_encoding.h).  For every character of code page 1252
// the results are those of CharLowerBuffA and CompareStringA with
// NORM_IGNORECASE on a Western Windows; characters beyond it are lower-cased
// by their Unicode simple lower-case mapping and compared by their simple
// case folding (unicode_case_tables.inc, made by scripts/gen-unicode-case).
//
// May use: text_encoding and the standard library.
#pragma once

#include <string>
#include <string_view>

namespace textrules {

// The lower-case form of one character: for code page 1252 exactly A-Z,
// À-Ö, Ø-Þ, Š, Œ, Ž and Ÿ change (ß, µ, ª, º, ƒ and × do not); beyond it the
// simple lower-case mapping.
char32_t LowerChar(char32_t c);
// The character under which equality ignoring case compares: as LowerChar
// for code page 1252, the simple case folding beyond it.
char32_t FoldChar(char32_t c);

// The lower-case form of a text, as valid UTF-8.
std::string Lower(std::string_view text);

// Equality ignoring case, linguistic as CompareStringA with NORM_IGNORECASE:
// equal after folding each character, after ß->ss, æ->ae, œ->oe, þ->th,
// ˆ->'^', and after dropping the soft hyphen.  Accents and blanks count.
bool EqualIgnoreCase(std::string_view a, std::string_view b);
// The form in which EqualIgnoreCase compares a text, as UTF-8: two texts are
// equal ignoring case exactly when their folded forms are equal, so the
// folded form serves as a hash key.
std::string Folded(std::string_view text);

// Order ignoring case, used for section names: character by character, a
// character of code page 1252 by the value of its lower-case 1252 byte (so
// that 1252 text orders as its lower-cased bytes), any other after those by
// its lower-case form.  Negative, zero or positive.
int CompareLowerOrder(std::string_view a, std::string_view b);

// The NTFS upper-case form of one UTF-16 code unit.
char16_t UpperUtf16(char16_t c);
// NTFS order of two file names: by their upper-cased UTF-16 code units,
// names equal in that form by their bytes.
int CompareNtfsNames(std::string_view a, std::string_view b);

}  // namespace textrules
