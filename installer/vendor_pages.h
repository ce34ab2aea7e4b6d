#pragma once
// The vendor's two web pages that the installer opens in the user's browser, derived from
// the compiled vendor origin ("https://host[:port]", see vendor_origin.h). Portable.

#include <string>
#include <string_view>

// The home page: the origin exactly as given, scheme and host (and port), with no path and
// no trailing "/". A browser asks the server for "/" either way.
std::wstring VendorHomePage(std::wstring_view origin);

// The licence agreement: the origin followed by "/license-agreement.html".
std::wstring VendorLicensePage(std::wstring_view origin);
