#pragma once
// The installed product's launcher, as the run command starts it. Portable.

#include <optional>
#include <string>
#include <string_view>

// "<install folder>\<launcher name>", or nullopt when there is nothing safe to start:
// - the path and its terminator do not fit a path buffer (260 wide characters); cut short,
//   it would name another file;
// - the folder fails IsLocalDrivePath (install_location_rules.h): a relative one would be
//   looked up from the working folder, and the installer runs elevated.
// The install command accepts no folder for which this fails.
std::optional<std::wstring> LauncherPath(std::wstring_view installFolder);
