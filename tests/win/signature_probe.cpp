// inkvane_signature_probe.exe FILE PUBLISHER: the installer's publisher check on FILE, held
// as the installer holds its package, for a required PUBLISHER. Prints one line,
//   verdict=NAME status=0xXXXXXXXX signer=CN[|CN...]
// and exits 0 when the package could start, 1 when it could not, 2 when FILE cannot be held.
#include <windows.h>

#include <cstdio>
#include <string>

#include "installer/package_signature.h"
#include "installer/publisher_rules.h"
#include "win32/scoped_handles.h"

namespace {

const char* Name(PublisherVerdict verdict) {
  switch (verdict) {
    case PublisherVerdict::kNotRequired: return "not-required";
    case PublisherVerdict::kAccepted: return "accepted";
    case PublisherVerdict::kNotTrusted: return "not-trusted";
    case PublisherVerdict::kNoSigner: return "no-signer";
    case PublisherVerdict::kOtherPublisher: return "other-publisher";
  }
  return "?";
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fputs("usage: inkvane_signature_probe FILE PUBLISHER\n", stderr);
    return 2;
  }
  const UniqueHandle file = AdoptHandle(::CreateFileW(
      argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    std::fprintf(stderr, "cannot hold %ls: error %lu\n", argv[1], ::GetLastError());
    return 2;
  }
  PackageSignature signature;
  const PublisherVerdict verdict = JudgePublisher(argv[2], [&] {
    return signature = ReadPackageSignature(file.get(), argv[1]);
  });
  std::wstring signers;
  for (const std::wstring& name : signature.signerCommonNames)
    signers += (signers.empty() ? L"" : L"|") + name;
  std::printf("verdict=%s status=0x%08X chain=0x%X signer=%ls\n", Name(verdict),
              static_cast<unsigned>(signature.trustStatus),
              static_cast<unsigned>(signature.chainErrors), signers.c_str());
  return PublisherAllowsStart(verdict) ? 0 : 1;
}
