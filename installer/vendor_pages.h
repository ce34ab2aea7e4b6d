#pragma once
// The vendor's two web pages that the installer opens in the user's browser, derived from
// the compiled vendor origin ("https://host[:port]", see vendor_origin.h). Portable.

#include <string>
#include <string_view>

// The home page: the origin's root, "https://host[:port]/" (scheme and host, no path beyond
// the root). The trailing "/" is the address's canonical form: the shell hands the bare
// origin on to the browser with it added, and every browser requests "/" either way.
std::wstring VendorHomePage(std::wstring_view origin);

// The licence agreement: the origin followed by "/license-agreement.html".
std::wstring VendorLicensePage(std::wstring_view origin);
