#pragma once
// Rules for the install folder. Portable.

#include <string>
#include <string_view>

// The folder proposed before the user chooses: the drive letter of `desktopPath` followed
// by a fixed folder, e.g. "C:\Program Files (x86)\varnix\QuilloMark". Empty when
// `desktopPath` is empty.
std::wstring DefaultInstallFolder(std::wstring_view desktopPath);
