// The drives of a Wine prefix as path text, pure rules over facts the host
// hands in: which drive's folder holds a host path, and a folder argument
// written on that drive ("/home/me/.wine/drive_c/FS9" and
// "Z:\home\me\.wine\drive_c\FS9" are "C:\FS9"; Z: is the host root, so every
// folder of C: is also a folder of Z:).  The Linux build serves
// plat::DriveFormOf with it.
//
// May use: platform/ (text_encoding) and the standard library.
#pragma once

#include <array>
#include <string>

namespace prefixdrives {

// What the rules need to know of the host, asked only when the text may be
// a path on another drive.
class Host {
 public:
  virtual ~Host() = default;
  // The folder of each drive a-z with links resolved ("" for a drive the
  // prefix lacks).
  virtual std::array<std::string, 26> DriveFolders() const = 0;
  // An absolute host path with links resolved; "" when nothing is there.
  virtual std::string RealPath(const std::string& hostPath) const = 0;
  // The host path a drive path ("Z:\home\me") names; "" when it names none.
  virtual std::string HostPathOf(const std::string& drivePath) const = 0;
};

// A folder argument in the form of the drive that holds it: a host path
// ('/' first, not "//"), or a drive path whose drive's folder holds another
// drive's folder, is written on the drive whose folder is the longest
// leading part of the path that exists, links resolved.  The components
// after that folder keep the spelling typed, and a trailing separator stays.
// Any other text, and a path no other drive holds, comes back unchanged.
std::string DriveFormOf(const std::string& path, const Host& host);

}  // namespace prefixdrives
