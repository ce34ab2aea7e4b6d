#include "installer/vendor_pages.h"

#include <gtest/gtest.h>

TEST(VendorPages, HomeIsTheBareOriginAndTheLicenceHangsOffIt) {
  EXPECT_EQ(VendorHomePage(L"https://www.varnix.example"), L"https://www.varnix.example");
  EXPECT_EQ(VendorLicensePage(L"https://www.varnix.example"),
            L"https://www.varnix.example/license-agreement.html");
  EXPECT_EQ(VendorHomePage(L"https://localhost:20410"), L"https://localhost:20410");
  EXPECT_EQ(VendorLicensePage(L"https://localhost:20410"),
            L"https://localhost:20410/license-agreement.html");
}
