#pragma once
// Whether the downloaded package may start, by its signature. Portable: no Windows headers.
//
// A release build may name the publisher whose signature the package must carry. The
// installer runs elevated and starts the package, so TLS from the vendor's host is then not
// enough: the package starts only when Windows' Authenticode check trusts its signature (the
// file unchanged since signing, the chain up to a trusted root) and the signer certificate's
// subject has exactly one common name, equal to the publisher's name character for
// character. A build that names no publisher starts the package unchecked, as a vendor that
// does not sign needs.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Chain errors that refuse a package even when the trust check itself passed it: Wine's
// WinVerifyTrust returns 0 for a chain that ends at a root nobody trusts, and says so only in
// the chain's status. (The values of the platform's CERT_TRUST_IS_NOT_SIGNATURE_VALID,
// CERT_TRUST_IS_UNTRUSTED_ROOT, CERT_TRUST_IS_PARTIAL_CHAIN, CERT_TRUST_IS_EXPLICIT_DISTRUST.)
// An expired certificate is left to the trust check, which accepts it when the signature
// was timestamped in time.
inline constexpr std::uint32_t kChainSignatureInvalid = 0x00000008;
inline constexpr std::uint32_t kChainUntrustedRoot = 0x00000020;
inline constexpr std::uint32_t kChainPartial = 0x00010000;
inline constexpr std::uint32_t kChainExplicitDistrust = 0x04000000;
inline constexpr std::uint32_t kChainRefusals =
    kChainSignatureInvalid | kChainUntrustedRoot | kChainPartial | kChainExplicitDistrust;

enum class PublisherVerdict {
  kNotRequired,     // the build names no publisher; nothing was checked
  kAccepted,        // trusted, and signed by the publisher
  kNotTrusted,      // Authenticode refused the file (unsigned, changed, ...) or its chain
                    // has one of kChainRefusals
  kNoSigner,        // trusted, but the signer certificate's subject could not be read
  kOtherPublisher,  // trusted, but the signer's common name is not the publisher's (or not one)
};

// What the platform says about the package's signature.
struct PackageSignature {
  // WinVerifyTrust's result (0: trusted), or the HRESULT of what kept the check from running.
  std::uint32_t trustStatus = 0;
  // The error bits of the signer's certificate chain as the check built it (0: none).
  std::uint32_t chainErrors = 0;
  bool signerRead = false;  // the signer certificate's subject was read
  // Every common name of the signer certificate's subject, in order, each whole (an
  // embedded NUL stays part of the name).
  std::vector<std::wstring> signerCommonNames;
};

// The verdict for a package when the build requires `publisher` (empty: none). `read`
// reads the package's signature; it is called only when a publisher is required.
PublisherVerdict JudgePublisher(std::wstring_view publisher,
                                const std::function<PackageSignature()>& read);

// Whether a package with this verdict may start.
inline bool PublisherAllowsStart(PublisherVerdict verdict) {
  return verdict == PublisherVerdict::kNotRequired || verdict == PublisherVerdict::kAccepted;
}
