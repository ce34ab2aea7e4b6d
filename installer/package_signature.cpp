#include "installer/package_signature.h"

#include <wincrypt.h>
#include <softpub.h>
#include <wintrust.h>

#include <cstring>
#include <memory>

#include "win32/scoped_handles.h"
#include "win32/system_library.h"

static_assert(kChainSignatureInvalid == CERT_TRUST_IS_NOT_SIGNATURE_VALID &&
              kChainUntrustedRoot == CERT_TRUST_IS_UNTRUSTED_ROOT &&
              kChainPartial == CERT_TRUST_IS_PARTIAL_CHAIN &&
              kChainExplicitDistrust == CERT_TRUST_IS_EXPLICIT_DISTRUST);

namespace {

std::uint32_t StatusOfError(DWORD error) {
  return static_cast<std::uint32_t>(HRESULT_FROM_WIN32(error ? error : ERROR_PROC_NOT_FOUND));
}

// Every common name of `subject`, each whole. False when the name cannot be decoded, or a
// common name is not a string: such a subject names no publisher.
bool ReadCommonNames(SystemLibrary& crypt32, const CERT_NAME_BLOB& subject,
                     std::vector<std::wstring>& names) {
  decltype(&::CryptDecodeObjectEx) decode = nullptr;
  if (!crypt32.Resolve(decode, "CryptDecodeObjectEx")) return false;
  CERT_NAME_INFO* decoded = nullptr;
  DWORD size = 0;
  if (!decode(X509_ASN_ENCODING, X509_UNICODE_NAME, subject.pbData, subject.cbData,
              CRYPT_DECODE_ALLOC_FLAG, nullptr, &decoded, &size))
    return false;
  const std::unique_ptr<CERT_NAME_INFO, LocalFreer> info(decoded);
  for (DWORD r = 0; r < info->cRDN; ++r) {
    const CERT_RDN& rdn = info->rgRDN[r];
    for (DWORD a = 0; a < rdn.cRDNAttr; ++a) {
      const CERT_RDN_ATTR& attribute = rdn.rgRDNAttr[a];
      if (std::strcmp(attribute.pszObjId, szOID_COMMON_NAME) != 0) continue;
      if (attribute.dwValueType == CERT_RDN_ENCODED_BLOB ||
          attribute.dwValueType == CERT_RDN_OCTET_STRING)
        return false;
      // X509_UNICODE_NAME decodes every string type to UTF-16 and ends it with a NUL, which
      // Wine counts in the length and Windows does not: one NUL at the end is the decoder's.
      // Any other NUL stays, so that "Publisher\0.evil" is not "Publisher".
      std::wstring name(reinterpret_cast<const wchar_t*>(attribute.Value.pbData),
                        attribute.Value.cbData / sizeof(wchar_t));
      if (!name.empty() && name.back() == L'\0') name.pop_back();
      names.push_back(std::move(name));
    }
  }
  return true;
}

}  // namespace

PackageSignature ReadPackageSignature(HANDLE file, const wchar_t* path) {
  PackageSignature signature;
  // Declared first so that they outlive the verification state below, which points into them.
  SystemLibrary crypt32(L"crypt32.dll");
  SystemLibrary wintrust(L"wintrust.dll");
  decltype(&::WinVerifyTrust) verify = nullptr;
  decltype(&::WTHelperProvDataFromStateData) providerData = nullptr;
  decltype(&::WTHelperGetProvSignerFromChain) signerOf = nullptr;
  decltype(&::WTHelperGetProvCertFromChain) certificateOf = nullptr;
  if (!crypt32.get()) {
    signature.trustStatus = StatusOfError(crypt32.error());
    return signature;
  }
  if (!wintrust.Resolve(verify, "WinVerifyTrust") ||
      !wintrust.Resolve(providerData, "WTHelperProvDataFromStateData") ||
      !wintrust.Resolve(signerOf, "WTHelperGetProvSignerFromChain") ||
      !wintrust.Resolve(certificateOf, "WTHelperGetProvCertFromChain")) {
    signature.trustStatus = StatusOfError(wintrust.error());
    return signature;
  }

  WINTRUST_FILE_INFO fileInfo{};
  fileInfo.cbStruct = sizeof fileInfo;
  fileInfo.pcwszFilePath = path;
  fileInfo.hFile = file;
  WINTRUST_DATA data{};
  data.cbStruct = sizeof data;
  data.dwUIChoice = WTD_UI_NONE;
  data.fdwRevocationChecks = WTD_REVOKE_NONE;
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &fileInfo;
  data.dwStateAction = WTD_STATEACTION_VERIFY;  // keeps the signer for us until closed below
  data.dwProvFlags = WTD_REVOCATION_CHECK_NONE;
  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  // INVALID_HANDLE_VALUE: there is no interactive user to ask.
  const HWND noUser = static_cast<HWND>(INVALID_HANDLE_VALUE);
  signature.trustStatus = static_cast<std::uint32_t>(verify(noUser, &action, &data));

  if (signature.trustStatus == 0) {
    CRYPT_PROVIDER_DATA* const provider = providerData(data.hWVTStateData);
    CRYPT_PROVIDER_SGNR* const signer = provider ? signerOf(provider, 0, FALSE, 0) : nullptr;
    if (signer && signer->pChainContext)
      signature.chainErrors = signer->pChainContext->TrustStatus.dwErrorStatus;
    CRYPT_PROVIDER_CERT* const certificate = signer ? certificateOf(signer, 0) : nullptr;
    if (certificate && certificate->pCert && certificate->pCert->pCertInfo)
      signature.signerRead = ReadCommonNames(crypt32, certificate->pCert->pCertInfo->Subject,
                                             signature.signerCommonNames);
  }
  data.dwStateAction = WTD_STATEACTION_CLOSE;
  verify(noUser, &action, &data);
  return signature;
}
