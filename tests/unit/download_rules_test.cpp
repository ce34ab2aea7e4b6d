#include "installer/download_rules.h"

#include <gtest/gtest.h>

namespace {
constexpr wchar_t kOrigin[] = L"https://www.varnix.example";
constexpr std::uint32_t kAbort = 0x80004004, kBadCertificate = 0x800C0019;
}  // namespace

TEST(IsVendorUrl, OnlyHttpsAtTheVendorsHost) {
  EXPECT_TRUE(IsVendorUrl(kOrigin, L"https://www.varnix.example/down/down?path=x"));
  EXPECT_TRUE(IsVendorUrl(kOrigin, L"HTTPS://WWW.Varnix.Example:8443/moved"));
  EXPECT_TRUE(IsVendorUrl(L"https://localhost:22870", L"https://localhost:22870/moved"));
  EXPECT_FALSE(IsVendorUrl(kOrigin, L"http://www.varnix.example/down"));
  EXPECT_FALSE(IsVendorUrl(kOrigin, L"ftp://www.varnix.example/down"));
  EXPECT_FALSE(IsVendorUrl(kOrigin, L"https://www.varnix.example.evil.test/down"));
  EXPECT_FALSE(IsVendorUrl(kOrigin, L"https://evil.test/?https://www.varnix.example"));
  EXPECT_FALSE(IsVendorUrl(kOrigin, L"https://www.varnix.example@evil.test/down"));
  EXPECT_FALSE(IsVendorUrl(kOrigin, L"https://user@www.varnix.example/down"));
  EXPECT_FALSE(IsVendorUrl(kOrigin, L"https://[::1]/down"));
  EXPECT_FALSE(IsVendorUrl(kOrigin, L""));
  EXPECT_FALSE(IsVendorUrl(kOrigin, L"https:///down"));
}

TEST(JudgeResponse, TheVendorsHostOverVerifiedTlsWithStatus200) {
  const wchar_t* const url = L"https://www.varnix.example/moved";
  EXPECT_EQ(JudgeResponse(kOrigin, url, true, 200), DownloadResult::kSucceeded);
  EXPECT_EQ(JudgeResponse(kOrigin, url, true, 404), DownloadResult::kHttpStatus);
  EXPECT_EQ(JudgeResponse(kOrigin, url, true, 206), DownloadResult::kHttpStatus);
  EXPECT_EQ(JudgeResponse(kOrigin, url, false, 200), DownloadResult::kNotFromVendor);
  EXPECT_EQ(JudgeResponse(kOrigin, L"http://www.varnix.example/moved", true, 500),
            DownloadResult::kNotFromVendor);
}

TEST(DownloadFolderFor, TheDesktopsDriveLetterOrNone) {
  EXPECT_EQ(DownloadFolderFor(L"C:\\users\\me\\Desktop"), L"C:\\varnix");
  EXPECT_EQ(DownloadFolderFor(L"d:\\Desktop"), L"d:\\varnix");
  EXPECT_EQ(DownloadFolderFor(L""), L":\\varnix");
  EXPECT_EQ(DownloadFolderFor(L"\\\\server\\share\\Desktop"), L":\\varnix");
}

TEST(JudgeDownload, SuccessNeedsAJudgedResponseAndTheAnnouncedBytesOnDisk) {
  ResponseCheck good;
  good.checked = true;
  good.httpStatus = 200;
  good.announcedLength = 1000;
  EXPECT_EQ(JudgeDownload(0, good, 1000).result, DownloadResult::kSucceeded);
  // The moniker reports success for a body cut short, and for a file it could not write.
  EXPECT_EQ(JudgeDownload(0, good, 999).result, DownloadResult::kIncomplete);
  EXPECT_EQ(JudgeDownload(0, good, std::nullopt).result, DownloadResult::kIncomplete);
  ResponseCheck unannounced = good;
  unannounced.announcedLength.reset();
  EXPECT_EQ(JudgeDownload(0, unannounced, 5).result, DownloadResult::kSucceeded);
  EXPECT_EQ(JudgeDownload(0, ResponseCheck{}, 1000).result, DownloadResult::kNotFromVendor)
      << "nothing vouched for the bytes";

  ResponseCheck refused = good;
  refused.refusal = DownloadResult::kHttpStatus;
  refused.httpStatus = 404;
  const DownloadOutcome notFound = JudgeDownload(kAbort, refused, 18);
  EXPECT_EQ(notFound.result, DownloadResult::kHttpStatus);
  EXPECT_EQ(notFound.httpStatus, 404u);
  EXPECT_EQ(notFound.platformError, kAbort);

  ResponseCheck aborted = good;
  aborted.abortRequested = true;
  EXPECT_EQ(JudgeDownload(kAbort, aborted, 500).result, DownloadResult::kAborted);
  ResponseCheck stalled = good;
  stalled.stalled = true;
  EXPECT_EQ(JudgeDownload(kAbort, stalled, 65536).result, DownloadResult::kStalled);
  const DownloadOutcome refusedCertificate = JudgeDownload(kBadCertificate, ResponseCheck{}, {});
  EXPECT_EQ(refusedCertificate.result, DownloadResult::kFailed);
  EXPECT_EQ(refusedCertificate.platformError, kBadCertificate);
}
