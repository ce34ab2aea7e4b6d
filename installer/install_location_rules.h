#pragma once
// Rules for the install folder. Portable.

#include <string>
#include <string_view>

// The folder proposed before the user chooses: a drive letter followed by a fixed folder,
// e.g. "C:\Program Files (x86)\varnix\QuilloMark". The letter is the first character of the
// desktop folder's path, or of the Windows folder's when the desktop folder could not be had
// (`desktopPath` empty), so that the proposal names a drive rather than starting with ":".
// Empty when both paths are empty.
std::wstring DefaultInstallFolder(std::wstring_view desktopPath, std::wstring_view windowsFolder);
