// The registry keys (below HKEY_CURRENT_USER) in which the installers of the
// simulators served here leave the simulator's program folder, as the value
// "AppPath".  The install locator reads them to find an installation; the
// posix host reads them to tell a Wine prefix that holds a simulator from one
// that does not.  Kept in one place so that the two never disagree.
//
// May use: the standard library only.
#pragma once

#include <array>

namespace simkeys {

inline constexpr const char* kAppPathValue = "AppPath";

inline constexpr const char* kFS9 = "Software\\Microsoft\\Microsoft Games\\Flight Simulator\\9.0";
inline constexpr const char* kFSX = "Software\\Microsoft\\Microsoft Games\\Flight Simulator\\10.0";
inline constexpr const char* kFSXSteamEdition =
    "Software\\Microsoft\\Microsoft Games\\Flight Simulator - Steam Edition\\10.0";
inline constexpr const char* kPrepar3Dv3 = "Software\\Lockheed Martin\\Prepar3D v3";
inline constexpr const char* kPrepar3Dv4 = "Software\\Lockheed Martin\\Prepar3D v4";
inline constexpr const char* kPrepar3Dv5 = "Software\\Lockheed Martin\\Prepar3D v5";
inline constexpr const char* kPrepar3Dv6 = "Software\\Lockheed Martin\\Prepar3D v6";

inline constexpr std::array<const char*, 7> kAll = {
    kFS9, kFSX, kFSXSteamEdition, kPrepar3Dv3, kPrepar3Dv4, kPrepar3Dv5, kPrepar3Dv6};

}  // namespace simkeys
