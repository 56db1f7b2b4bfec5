// The Windows rules the Linux build keeps, whoever runs the program (tests
// and CI run as root, whom the host would let do anything):
//   - a read-only file, one with no write permission bit at all as Wine
//     shows it, is neither deleted nor replaced;
//   - a folder is never deleted or replaced as a file;
//   - a rename never replaces an existing name in any letter case; only the
//     entry itself may take another spelling of its name;
//   - names are compared as NTFS compares them: by their upper-cased UTF-16
//     code units.
// Pure decisions on facts the callers looked up; the calls that act on
// them are in posix_files.cpp and posix_io.cpp.
//
// May use: platform/ (text_encoding, text_rules) and <sys/stat.h>.
#pragma once

#include <sys/stat.h>

#include <string>
#include <string_view>

#include "platform/platform.h"

namespace plat::posix {

// Read-only as Wine shows it: no write permission bit at all.
inline bool IsReadOnlyMode(mode_t mode) { return (mode & 0222) == 0; }

// Whether a file may be removed, from its stat with a link followed (its
// lstat for a broken link, which goes): a link to a file counts as that
// file.  Done, WrongKind for a folder, or ReadOnly.
FileOutcome RemovalOutcome(const struct stat& followed);

// Whether the existing entry whose stat (links followed) is `target` may be
// replaced by a new file: Done, WrongKind for a folder, or ReadOnly.
FileOutcome ReplacingOutcome(const struct stat& target);

// Whether a rename may go onto a name that exists already: only when that
// name is the source itself, in another spelling (`sameEntry`).
inline bool MayRenameOnto(bool sameEntry) { return sameEntry; }

// The key names are compared by, as NTFS compares them: the name in UTF-16,
// upper-cased.  A host name and a name of a Windows path are both UTF-8 (a
// byte that is not UTF-8 taken as its code page 1252 character), so a host
// name that is not UTF-8 is still found through the character it means.
std::u16string NameKey(const std::string& name);

// `name` upper-cased into `upper` when it is all ASCII (then its order and
// matching as upper-cased UTF-16 are those of these bytes); false otherwise.
bool AsciiUpper(std::string_view name, std::string& upper);

}  // namespace plat::posix
