#include "installer/download_rules.h"

#include <gtest/gtest.h>

namespace {
constexpr wchar_t kOrigin[] = L"https://www.varnix.example";
constexpr std::uint32_t kAbort = 0x80004004, kBadCertificate = 0x800C0019;
}  // namespace

TEST(IsVendorUrl, OnlyHttpsAtTheVendorsHostOrAListedHost) {
  EXPECT_TRUE(IsVendorUrl(kOrigin, L"", L"https://www.varnix.example/down/down?path=x"));
  EXPECT_TRUE(IsVendorUrl(kOrigin, L"", L"HTTPS://WWW.Varnix.Example:8443/moved"));
  EXPECT_TRUE(IsVendorUrl(L"https://localhost:22870", L"", L"https://localhost:22870/moved"));
  EXPECT_FALSE(IsVendorUrl(kOrigin, L"", L"http://www.varnix.example/down"));
  EXPECT_FALSE(IsVendorUrl(kOrigin, L"", L"ftp://www.varnix.example/down"));
  EXPECT_FALSE(IsVendorUrl(kOrigin, L"", L"https://www.varnix.example.evil.test/down"));
  EXPECT_FALSE(IsVendorUrl(kOrigin, L"", L"https://evil.test/?https://www.varnix.example"));
  EXPECT_FALSE(IsVendorUrl(kOrigin, L"", L"https://www.varnix.example@evil.test/down"));
  EXPECT_FALSE(IsVendorUrl(kOrigin, L"", L"https://user@www.varnix.example/down"));
  EXPECT_FALSE(IsVendorUrl(kOrigin, L"", L"https://[::1]/down"));
  EXPECT_FALSE(IsVendorUrl(kOrigin, L"", L""));
  EXPECT_FALSE(IsVendorUrl(kOrigin, L"", L"https:///down"));

  // Content hosts the build lists: each of them, whole names only, https only.
  const wchar_t* const hosts = L"dl.varnix-cdn.example;Files.Example";
  EXPECT_TRUE(IsVendorUrl(kOrigin, hosts, L"https://dl.varnix-cdn.example/pkg?sig=1"));
  EXPECT_TRUE(IsVendorUrl(kOrigin, hosts, L"https://files.example:444/pkg"));
  EXPECT_TRUE(IsVendorUrl(kOrigin, hosts, L"https://www.varnix.example/moved"));
  EXPECT_FALSE(IsVendorUrl(kOrigin, hosts, L"https://other-cdn.example/pkg"));
  EXPECT_FALSE(IsVendorUrl(kOrigin, hosts, L"https://varnix-cdn.example/pkg"));
  EXPECT_FALSE(IsVendorUrl(kOrigin, hosts, L"https://files.example.evil.test/pkg"));
  EXPECT_FALSE(IsVendorUrl(kOrigin, hosts, L"http://dl.varnix-cdn.example/pkg"));
  EXPECT_FALSE(IsVendorUrl(kOrigin, hosts, L"https://user:pw@dl.varnix-cdn.example/pkg"));
  EXPECT_FALSE(IsVendorUrl(kOrigin, hosts, L"https://dl.varnix-cdn.example@evil.test/pkg"));
  // The host ends where a query or a fragment begins, as it does at a path.
  EXPECT_TRUE(IsVendorUrl(kOrigin, hosts, L"https://files.example?path=pkg"));
  EXPECT_TRUE(IsVendorUrl(kOrigin, hosts, L"https://files.example#pkg"));
  EXPECT_FALSE(IsVendorUrl(kOrigin, hosts, L"https://evil.test?@files.example/pkg"));
  EXPECT_FALSE(IsVendorUrl(kOrigin, hosts, L"https://evil.test#@files.example"));
}

TEST(JudgeResponse, TheVendorsHostOverVerifiedTlsWithStatus200) {
  const wchar_t* const url = L"https://www.varnix.example/moved";
  EXPECT_EQ(JudgeResponse(kOrigin, L"", url, true, 200), DownloadResult::kSucceeded);
  EXPECT_EQ(JudgeResponse(kOrigin, L"", url, true, 404), DownloadResult::kHttpStatus);
  EXPECT_EQ(JudgeResponse(kOrigin, L"", url, true, 206), DownloadResult::kHttpStatus);
  EXPECT_EQ(JudgeResponse(kOrigin, L"", url, false, 200), DownloadResult::kNotFromVendor);
  EXPECT_EQ(JudgeResponse(kOrigin, L"", L"http://www.varnix.example/moved", true, 500),
            DownloadResult::kNotFromVendor);
  const wchar_t* const listed = L"https://cdn.example/pkg";
  EXPECT_EQ(JudgeResponse(kOrigin, L"cdn.example", listed, true, 200), DownloadResult::kSucceeded);
  EXPECT_EQ(JudgeResponse(kOrigin, L"cdn.example", listed, false, 200),
            DownloadResult::kNotFromVendor);
  EXPECT_EQ(JudgeResponse(kOrigin, L"", listed, true, 200), DownloadResult::kNotFromVendor);
}

TEST(DownloadFolderFor, VarnixAtTheRootOfTheInstallersDrive) {
  constexpr unsigned kFixed = 3, kNetwork = 4;
  EXPECT_EQ(DownloadFolderFor(L"C:\\users\\me\\Desktop", kFixed, L"C:\\Windows"), L"C:\\varnix");
  EXPECT_EQ(DownloadFolderFor(L"d:\\Desktop", kFixed, L"C:\\Windows"), L"d:\\varnix");
  EXPECT_EQ(DownloadFolderFor(L"F:\\Desktop", kNetwork, L"C:\\Windows"), L"C:\\varnix");
  EXPECT_EQ(DownloadFolderFor(L"", kFixed, L"C:\\Windows"), L"C:\\varnix");
  EXPECT_EQ(DownloadFolderFor(L"\\\\server\\share\\Desktop", kFixed, L"C:\\Windows"),
            L"C:\\varnix");
  EXPECT_EQ(DownloadFolderFor(L"", kFixed, L""), L"") << "no drive: no folder";
}

TEST(FinalPathWithin, TheHeldFoldersFinalPathAndTheName) {
  EXPECT_EQ(FinalPathWithin(L"\\\\?\\C:\\", L"varnix"), L"C:\\varnix") << "a drive's root";
  EXPECT_EQ(FinalPathWithin(L"\\\\?\\C:\\subst\\here", L"varnix"), L"C:\\subst\\here\\varnix")
      << "the root of a drive letter that stands for a folder";
  EXPECT_EQ(FinalPathWithin(L"C:\\varnix", L"Quillomark.exe"), L"C:\\varnix\\Quillomark.exe");
  EXPECT_EQ(FinalPathWithin(L"", L"varnix"), L"");
  EXPECT_EQ(FinalPathWithin(L"\\\\?\\", L"varnix"), L"");
}

TEST(JudgeDownload, SuccessNeedsAJudgedResponseAndExactlyTheDeliveredBytesHeldAtThePath) {
  constexpr wchar_t kPath[] = L"C:\\varnix\\Quillomark.exe";
  const auto held = [](std::uint64_t size, const wchar_t* path = L"\\\\?\\c:\\VARNIX\\quillomark.exe") {
    return std::optional<HeldFile>(HeldFile{size, path});
  };
  ResponseCheck good;
  good.checked = true;
  good.httpStatus = 200;
  good.announcedLength = 1000;
  good.bytesDelivered = 1000;
  EXPECT_EQ(JudgeDownload(0, good, held(1000), kPath).result, DownloadResult::kSucceeded);
  // The moniker reports success for a body cut short, and for a file it could not write:
  // whatever stands at the path then (a planted program held open) is not the download.
  ResponseCheck cut = good;
  cut.bytesDelivered = 999;
  EXPECT_EQ(JudgeDownload(0, cut, held(999), kPath).result, DownloadResult::kIncomplete);
  EXPECT_EQ(JudgeDownload(0, good, held(1001), kPath).result, DownloadResult::kNotTheDownload);
  EXPECT_EQ(JudgeDownload(0, good, held(999), kPath).result, DownloadResult::kNotTheDownload);
  EXPECT_EQ(JudgeDownload(0, good, held(1000, L"\\\\?\\D:\\elsewhere\\Quillomark.exe"), kPath).result,
            DownloadResult::kNotTheDownload)
      << "the name led somewhere else";
  EXPECT_EQ(JudgeDownload(0, good, std::nullopt, kPath).result, DownloadResult::kNotHeld);
  EXPECT_EQ(JudgeDownload(0, good, held(1000, L""), L"").result, DownloadResult::kNotTheDownload)
      << "neither final path could be had: nothing says the file is the package";
  EXPECT_EQ(JudgeDownload(0, good, held(1000, L"\\\\?\\C:\\subst\\varnix\\Quillomark.exe"),
                          FinalPathWithin(L"\\\\?\\C:\\subst\\varnix", L"Quillomark.exe"))
                .result,
            DownloadResult::kSucceeded)
      << "judged by the held folder's final path, not by the drive letter's text";
  ResponseCheck unannounced = good;
  unannounced.announcedLength.reset();
  unannounced.bytesDelivered = 5;
  EXPECT_EQ(JudgeDownload(0, unannounced, held(5, kPath), kPath).result,
            DownloadResult::kSucceeded);
  EXPECT_EQ(JudgeDownload(0, ResponseCheck{}, held(0), kPath).result,
            DownloadResult::kNotFromVendor)
      << "nothing vouched for the bytes";

  ResponseCheck refused = good;
  refused.refusal = DownloadResult::kHttpStatus;
  refused.httpStatus = 404;
  const DownloadOutcome notFound = JudgeDownload(kAbort, refused, std::nullopt, L"");
  EXPECT_EQ(notFound.result, DownloadResult::kHttpStatus);
  EXPECT_EQ(notFound.httpStatus, 404u);
  EXPECT_EQ(notFound.platformError, kAbort);

  ResponseCheck aborted = good;
  aborted.abortRequested = true;
  EXPECT_EQ(JudgeDownload(kAbort, aborted, std::nullopt, L"").result, DownloadResult::kAborted);
  ResponseCheck stalled = good;
  stalled.stalled = true;
  EXPECT_EQ(JudgeDownload(kAbort, stalled, std::nullopt, L"").result, DownloadResult::kStalled);
  const DownloadOutcome refusedCertificate =
      JudgeDownload(kBadCertificate, ResponseCheck{}, std::nullopt, L"");
  EXPECT_EQ(refusedCertificate.result, DownloadResult::kFailed);
  EXPECT_EQ(refusedCertificate.platformError, kBadCertificate);
}
