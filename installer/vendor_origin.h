#pragma once
// The vendor's origin ("https://host[:port]") that the installer downloads from. Compiled in
// from the build's INKVANE_VENDOR_ORIGIN by vendor_origin.cpp, which each program links on
// its own: the shipped installer with the vendor's origin, the tests with the loopback
// server's. There is no run-time override.
const wchar_t* VendorOrigin();
