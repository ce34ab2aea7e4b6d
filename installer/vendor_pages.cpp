#include "installer/vendor_pages.h"

std::wstring VendorHomePage(std::wstring_view origin) { return std::wstring(origin); }

std::wstring VendorLicensePage(std::wstring_view origin) {
  return std::wstring(origin) + L"/license-agreement.html";
}
