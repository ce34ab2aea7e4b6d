// Test helper: adds a DER-encoded CA certificate to the machine's "Root" store of the Wine
// prefix it runs in, so that a loopback HTTPS server's certificate is trusted there.
//   inkvane_trust_root.exe CERT.der     exit code 0 on success
#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fputs("usage: inkvane_trust_root CERT.der\n", stderr);
    return 2;
  }
  std::ifstream file(argv[1], std::ios::binary);
  const std::vector<unsigned char> der{std::istreambuf_iterator<char>(file), {}};
  if (der.empty()) {
    std::fputs("inkvane_trust_root: cannot read the certificate\n", stderr);
    return 1;
  }
  HCERTSTORE store = ::CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0,
                                     CERT_SYSTEM_STORE_LOCAL_MACHINE, L"Root");
  if (!store) {
    std::fprintf(stderr, "inkvane_trust_root: cannot open the Root store (%lu)\n", ::GetLastError());
    return 1;
  }
  const BOOL added = ::CertAddEncodedCertificateToStore(
      store, X509_ASN_ENCODING, der.data(), static_cast<DWORD>(der.size()),
      CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
  ::CertCloseStore(store, 0);
  if (!added) {
    std::fprintf(stderr, "inkvane_trust_root: certificate refused (%lu)\n", ::GetLastError());
    return 1;
  }
  return 0;
}
