// The drive form of a folder argument: on Windows every path is already
// written on the drive that holds it.
#include "platform/platform.h"

namespace plat {

std::string DriveFormOf(const std::string& path) { return path; }

}  // namespace plat
