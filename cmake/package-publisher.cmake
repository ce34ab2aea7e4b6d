# Whether a release says who signs its package.
#
# The installer runs elevated and starts the package it downloads. The URL moniker passes
# every download through the installing user's own cache (INetCache in their profile), a file
# that any program of that user may rewrite while the body arrives; what the installer then
# judges and starts is that file's copy. Length, path and TLS checks all pass for a swapped
# file of the same length: only the publisher's signature tells the vendor's package from it.
# So a build for a real vendor's origin names the publisher, or says in so many words that
# its package is unsigned. The default origin (a reserved name that reaches nobody) needs
# neither; the loopback, test and demo programs get their settings apart from these.
#
#   inkvane_check_package_publisher(ORIGIN DEFAULT_ORIGIN PUBLISHER UNSIGNED)
#
# ORIGIN: the configured vendor origin; DEFAULT_ORIGIN: the default one; PUBLISHER: the
# signer's common name, empty for none; UNSIGNED: true when the release has no signed
# package. Stops the configure step on a release that says neither, or both; warns on one
# that says it is unsigned.
function(inkvane_check_package_publisher origin default_origin publisher unsigned)
  if(NOT publisher STREQUAL "" AND unsigned)
    message(FATAL_ERROR
      "INKVANE_PACKAGE_PUBLISHER names a publisher (\"${publisher}\") and "
      "INKVANE_UNSIGNED_PACKAGE is ON: a release either names the publisher whose signature its "
      "package carries or says that it has none, not both. Drop one of the two.")
  endif()
  if(unsigned)
    message(WARNING
      "INKVANE_UNSIGNED_PACKAGE is ON: the installer will start the package from "
      "${origin} without checking a signature. The download passes through the installing "
      "user's own cache (INetCache in their profile), so any program of that user can swap the "
      "package there while it arrives, and the installer starts the swapped one with "
      "administrator rights.")
  elseif(publisher STREQUAL "" AND NOT origin STREQUAL default_origin)
    message(FATAL_ERROR
      "INKVANE_VENDOR_ORIGIN is ${origin}, and INKVANE_PACKAGE_PUBLISHER names no publisher. "
      "The installer runs elevated and starts the package it downloads, and the URL moniker "
      "passes that download through the installing user's own cache (INetCache in their "
      "profile), which any program of that user can rewrite while the package arrives; only "
      "the publisher's signature tells the vendor's package from a swapped one. Set "
      "-DINKVANE_PACKAGE_PUBLISHER=\"<the signer's common name>\", or, for a vendor that does "
      "not sign its package, -DINKVANE_UNSIGNED_PACKAGE=ON.")
  endif()
endfunction()
