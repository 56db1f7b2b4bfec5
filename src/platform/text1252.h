// Windows text rules as pure functions, so that they can be tested on any
// host: code page 1252 case mapping and comparison, conversions between code
// page 1252, UTF-8 and UTF-16, and the NTFS order of file names.
// The posix build uses them for its host services; the win32 build leaves
// case mapping and comparison to Windows itself.
//
// May use: the standard library only.
#pragma once

#include <string>
#include <string_view>

namespace text1252 {

// CharLowerBuffA: changes exactly A-Z, 0xC0-0xD6, 0xD8-0xDE, and
// 0x8A->0x9A, 0x8C->0x9C, 0x8E->0x9E, 0x9F->0xFF.
unsigned char LowerChar(unsigned char c);
std::string Lower(std::string_view text);

// Equality ignoring case, linguistic as CompareStringA with NORM_IGNORECASE:
// equal after lower-casing, after ß->ss, æ->ae, œ->oe, þ->th, 0x88->'^',
// and after dropping the soft hyphen 0xAD.  Accents and blanks count.
bool EqualIgnoreCase(std::string_view a, std::string_view b);
// The form in which EqualIgnoreCase compares a text: lower-cased, with
// ß, æ, œ, þ written as two letters, 0x88 as '^' and soft hyphens dropped.
// Two texts are equal ignoring case exactly when their folded forms are
// equal, so the folded form can serve as a hash key.
std::string Folded(std::string_view text);

// Order ignoring case used for section names: the lower-cased bytes compared
// as unsigned values.  Negative, zero or positive.
int CompareLowerBytes(std::string_view a, std::string_view b);

// Text of bytes below 0x80 only, which is the same in code page 1252 and
// UTF-8.
bool IsAscii(std::string_view text);

// UTF-8 to code page 1252.  A character without a 1252 form becomes '?';
// bytes that are not valid UTF-8 are taken as 1252 bytes as they are.
std::string FromUtf8(std::string_view utf8);
// Code page 1252 to UTF-8.  The five bytes that 1252 leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to U+0081 ... as Windows does.
std::string ToUtf8(std::string_view ansi);

// Code page 1252 to UTF-16 and back ('?' for characters without a form).
std::u16string ToUtf16(std::string_view ansi);
std::string FromUtf16(std::u16string_view utf16);
// UTF-8 to UTF-16 (invalid bytes taken as 1252 bytes, as FromUtf8 does).
std::u16string Utf8ToUtf16(std::string_view utf8);

// The NTFS upper-case form of one UTF-16 code unit.
char16_t UpperUtf16(char16_t c);

// NTFS order of two host file names given in UTF-8: by their upper-cased
// UTF-16 code units, names equal in that form by their bytes.
int CompareNtfsNames(std::string_view utf8a, std::string_view utf8b);
// True when two host file names (UTF-8) are the same name ignoring case,
// as NTFS decides it (upper-cased UTF-16 code units; so ß and SS differ).
bool SameNtfsName(std::string_view utf8a, std::string_view utf8b);

}  // namespace text1252
