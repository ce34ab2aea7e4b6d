#pragma once
// The package's Authenticode signature as Windows judges it, and who signed it. wintrust.dll
// and crypt32.dll are loaded from the system folder for the check and freed after it.

#include <windows.h>

#include "installer/publisher_rules.h"

// Checks the open file `file` (named `path`) with WinVerifyTrust: the generic Authenticode
// action, the chain built up to a trusted root, no revocation check, no user interface.
// `file` is read through the handle given, so what is checked is the file the caller holds.
// For a trusted file also reads the common names of the signer certificate's subject. A DLL
// or function that cannot be loaded gives its error as the trust status: not trusted.
PackageSignature ReadPackageSignature(HANDLE file, const wchar_t* path);
