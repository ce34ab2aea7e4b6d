#include "installer/publisher_rules.h"

PublisherVerdict JudgePublisher(std::wstring_view publisher,
                                const std::function<PackageSignature()>& read) {
  if (publisher.empty()) return PublisherVerdict::kNotRequired;
  const PackageSignature signature = read();
  if (signature.trustStatus != 0 || (signature.chainErrors & kChainRefusals) != 0) return PublisherVerdict::kNotTrusted;
  if (!signature.signerRead) return PublisherVerdict::kNoSigner;
  // A subject with two common names would let a certificate issued for "X, Publisher" pass
  // for either name, whichever a reader takes; only one name counts.
  const auto& names = signature.signerCommonNames;
  if (names.size() != 1 || names.front() != publisher) return PublisherVerdict::kOtherPublisher;
  return PublisherVerdict::kAccepted;
}
