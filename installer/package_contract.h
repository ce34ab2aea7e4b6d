#pragma once
// The exchange between the installer and the product package it downloads and starts:
// every name and format that both sides rely on, in this one place. The installer, the
// stand-in package and the test scripts (through tools/vendor/package_contract.py, which reads
// this file) take them from here. Portable: no Windows headers.
//
// Keep each constant on one line as `inline constexpr wchar_t kName[] = L"...";` or
// `inline constexpr int kName = N;`: the script reader understands only these forms.

namespace package_contract {

// Fetch. The installer requests the package at the vendor's origin followed by this path
// and query; the vendor's server answers it with the package, which it keeps under the
// name given in the query.
inline constexpr wchar_t kDownloadPathAndQuery[] = L"/down/down?path=QUILLOMARK_Download.exe";
inline constexpr wchar_t kServerFileName[] = L"QUILLOMARK_Download.exe";

// Written by the installer (the downloaded body), started by the installer: the package's
// file name inside the download folder.
inline constexpr wchar_t kPackageFileName[] = L"Quillomark.exe";

// Made by the installer at the root of the drive that holds the user's desktop
// ("D:\varnix"); holds the package file and the progress folder.
inline constexpr wchar_t kDownloadFolderName[] = L"varnix";

// Written by the package, read and deleted by the installer: the progress file,
// "<download folder>\Quillomark\Percent.ini", a profile file whose section "Percent",
// key "Percent", holds the progress in per cent as a decimal integer.
inline constexpr wchar_t kProgressFolderName[] = L"Quillomark";
inline constexpr wchar_t kProgressFileName[] = L"Percent.ini";
inline constexpr wchar_t kProgressSection[] = L"Percent";
inline constexpr wchar_t kProgressKey[] = L"Percent";
// Read by the installer: a progress of at least this much means the package is done.
inline constexpr int kProgressDone = 100;

// The product's key under HKEY_LOCAL_MACHINE, in the process's default registry view;
// created by the installer, never deleted.
inline constexpr wchar_t kProductKey[] = L"Software\\varnix\\Quillomark";
// Written by the installer at install start, read by the package: the install folder
// (REG_SZ, NUL-filled to kPathValueChars wide characters). The package has no other way to
// learn the folder: it is started without a command line.
inline constexpr wchar_t kPathValue[] = L"Path";
inline constexpr int kPathValueChars = 260;
// Cleared (empty REG_SZ) by the installer at install start; set by the product's own
// programs; read by the installer while it follows the package. kStopWord, exactly,
// ends the following as if the package had reported completion.
inline constexpr wchar_t kOperationValue[] = L"Operation";
inline constexpr wchar_t kStopWord[] = L"UnInstall";

// Installed by the package into the install folder, started by the installer's run
// command as "<install folder>\varnixStart.exe".
inline constexpr wchar_t kLauncherName[] = L"varnixStart.exe";

// The installer's proposal for the install folder: the desktop's drive letter followed by
// this text. Note the capital M, unlike kBrowseFolderName.
inline constexpr wchar_t kDefaultFolderTail[] = L":\\Program Files (x86)\\varnix\\QuilloMark";
// Appended by the installer to the folder the user picks in the folder browser.
inline constexpr wchar_t kBrowseFolderName[] = L"\\Quillomark";

}  // namespace package_contract
