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
