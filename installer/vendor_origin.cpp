#include "installer/vendor_origin.h"

#ifndef INKVANE_VENDOR_ORIGIN
#error "INKVANE_VENDOR_ORIGIN must name the vendor's origin"
#endif

const wchar_t* VendorOrigin() { return INKVANE_VENDOR_ORIGIN; }
