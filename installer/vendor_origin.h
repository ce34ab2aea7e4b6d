#pragma once
// The release's settings, compiled in by vendor_origin.cpp, which each program links on its
// own: the shipped installer with the vendor's, the tests with the loopback server's. There
// is no run-time override.

// The vendor's origin ("https://host[:port]") that the installer downloads from
// (INKVANE_VENDOR_ORIGIN).
const wchar_t* VendorOrigin();

// Further hosts that the origin's download address may redirect to (INKVANE_DOWNLOAD_HOSTS):
// host names separated by ';'. Empty: only the origin's host.
const wchar_t* DownloadHosts();

// The publisher whose Authenticode signature the package must carry before it starts
// (INKVANE_PACKAGE_PUBLISHER): the signer certificate's subject common name. Empty: the
// package is not checked.
const wchar_t* PackagePublisher();
