// Whether two folder texts name the same folder, or one lies inside the
// other, however each is written: relative to the simulator folder or full,
// through a path variable, in any letter case, with '/' or '\', with or
// without a trailing backslash, with "." and ".." steps.  Finding a layer by
// its folder, refusing to add a folder that is listed already, marking a
// folder listed twice and refusing to remove a folder that holds another
// layer's all compare folders this way.
//
// May use: platform/.
#pragma once

#include <string>
#include <string_view>

#include "platform/platform.h"

// `folder` as one full path: completed against `simulatorFolder` (which
// ends in a backslash) when it is relative, made full by the host's
// full-path rule, '/' written as '\', without a trailing backslash unless
// it is a drive root ("C:\").  Empty for an empty folder, or one that
// cannot be made full.
std::string FullFolder(const std::string& simulatorFolder, const std::string& folder);

// True when FullFolder needs the current folder to make `folder` full (a
// folder without a drive, "\x", or relative to a drive's current folder,
// "C:x").  The host keeps the current folder as state of its own, so such
// folders are made full on the program's main thread only.
bool NeedsCurrentFolder(const std::string& simulatorFolder, const std::string& folder);

// True when the full forms `a` and `b` (from FullFolder) name the same
// folder: equal ignoring case as the library compares text.  An empty form
// names no folder and matches nothing.
bool IsSameFolder(const std::string& a, const std::string& b);

// True when the full form `inner` names a folder somewhere below the full
// form `outer`, not `outer` itself.
bool IsInsideFolder(const std::string& inner, const std::string& outer);

// True for a relative folder that the full-path rule would leave as it is
// behind a plain simulator folder: components separated by single
// backslashes, none empty, none starting with a dot or ending in a dot or a
// blank, none a device name, no '/'.
bool IsPlainRelativeFolder(const std::string& folder);

// Keys for a hash table of folders, consistent with IsSameFolder: the same
// folder, however written, has the same key.  A key is the folded text
// (plat::CaseFoldedKey) of the folder's full form, without the simulator
// folder in front when it lies below it, so that the key of a plain
// relative folder (most folders of a library) is told from its text alone.
// Two different folders may share a key (a relative one and a full one on
// another drive): a match of keys is confirmed with IsSameFolder.
class FolderKeys {
 public:
  explicit FolderKeys(const std::string& simulatorFolder);

  // The key of `folder`; `fullForm()` gives its FullFolder, and is called
  // only when the text alone does not tell the key.
  template <typename FullForm>
  std::string Of(const std::string& folder, const FullForm& fullForm) const {
    return IsPlainBelow(folder) ? plat::CaseFoldedKey(folder) : OfFullForm(fullForm());
  }
  std::string OfFullForm(const std::string& fullForm) const;
  // The key of a full form whose folded text (plat::CaseFoldedKey) is
  // `folded`: the end of that text.
  std::string_view OfFolded(std::string_view folded) const;

  // True when the full form of `folder` is the simulator folder followed by
  // `folder` as it is written: a plain relative folder.
  bool IsPlainBelow(const std::string& folder) const {
    return plainSimulator_ && IsPlainRelativeFolder(folder);
  }
  // The text of the full form `fullForm` after the simulator folder's
  // components, when it lies below the simulator folder; else "".  A folder
  // for which IsPlainBelow holds is the same folder as `fullForm` exactly
  // when its text equals this one ignoring case.
  std::string TextBelow(const std::string& fullForm) const;

 private:
  bool plainSimulator_ = false;  // FullFolder of a plain relative folder is simulatorFolder + it
  std::string simulator_;        // the simulator folder's full form
  std::string prefix_;           // its folded text, ending in a backslash
};
