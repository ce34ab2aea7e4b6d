#include "installer/publisher_rules.h"

#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;
constexpr std::wstring_view kPublisher = L"Inkvane Test Publisher";

PackageSignature SignedBy(std::vector<std::wstring> names, std::uint32_t chainErrors = 0) {
  return {0, chainErrors, true, std::move(names)};
}

PackageSignature RefusedWith(std::uint32_t trustStatus) { return {trustStatus, 0, false, {}}; }

PublisherVerdict Judge(const PackageSignature& signature) {
  return JudgePublisher(kPublisher, [&] { return signature; });
}

TEST(PublisherRules, NoPublisherStartsThePackageWithoutReadingItsSignature) {
  bool read = false;
  EXPECT_EQ(JudgePublisher(L"", [&] { read = true; return RefusedWith(0x800B0100); }),
            PublisherVerdict::kNotRequired);
  EXPECT_FALSE(read);
}

TEST(PublisherRules, RefusedByTheTrustCheckOrByItsChainWhateverTheSignerSays) {
  EXPECT_EQ(Judge(RefusedWith(0x800B0100)), PublisherVerdict::kNotTrusted);  // unsigned
  PackageSignature changed = SignedBy({std::wstring(kPublisher)});
  changed.trustStatus = 0x80096010;
  EXPECT_EQ(Judge(changed), PublisherVerdict::kNotTrusted);
  for (std::uint32_t bit : {kChainSignatureInvalid, kChainUntrustedRoot, kChainPartial,
                            kChainExplicitDistrust})
    EXPECT_EQ(Judge(SignedBy({std::wstring(kPublisher)}, bit | 0x1)), PublisherVerdict::kNotTrusted)
        << std::hex << bit;
  // An expired certificate alone is the trust check's call (a timestamp keeps it valid).
  EXPECT_EQ(Judge(SignedBy({std::wstring(kPublisher)}, 0x1)), PublisherVerdict::kAccepted);
}

TEST(PublisherRules, OnlyTheOneCommonNameEqualToThePublisherCharacterForCharacter) {
  EXPECT_EQ(Judge(SignedBy({L"Inkvane Test Publisher"})), PublisherVerdict::kAccepted);
  for (const std::wstring& name : {L"inkvane test publisher"s, L"Inkvane Test Publisher "s,
                                   L"Inkvane Test Publisher\0.evil"s, L"Inkvane Test"s, L""s,
                                   L"Other Test Publisher"s})
    EXPECT_EQ(Judge(SignedBy({name})), PublisherVerdict::kOtherPublisher) << name.size();
  EXPECT_EQ(Judge(SignedBy({})), PublisherVerdict::kOtherPublisher);
  EXPECT_EQ(Judge(SignedBy({L"Inkvane Test Publisher", L"Other"})), PublisherVerdict::kOtherPublisher);
  EXPECT_EQ(Judge(SignedBy({L"Other", L"Inkvane Test Publisher"})), PublisherVerdict::kOtherPublisher);
  EXPECT_EQ(Judge({0, 0, false, {}}), PublisherVerdict::kNoSigner);
}

}  // namespace
