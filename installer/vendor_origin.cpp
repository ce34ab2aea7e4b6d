#include "installer/vendor_origin.h"

#ifndef INKVANE_VENDOR_ORIGIN
#error "INKVANE_VENDOR_ORIGIN must name the vendor's origin"
#endif
#ifndef INKVANE_DOWNLOAD_HOSTS
#error "INKVANE_DOWNLOAD_HOSTS must list the hosts a redirect may lead to, or be L\"\""
#endif
#ifndef INKVANE_PACKAGE_PUBLISHER
#error "INKVANE_PACKAGE_PUBLISHER must name the package's publisher, or be L\"\""
#endif

const wchar_t* VendorOrigin() { return INKVANE_VENDOR_ORIGIN; }

const wchar_t* DownloadHosts() { return INKVANE_DOWNLOAD_HOSTS; }

const wchar_t* PackagePublisher() { return INKVANE_PACKAGE_PUBLISHER; }
