#include "installer/install_progress.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace {

// Registry data as the platform stores a string: UTF-16LE, `fill` NUL bytes after it.
std::vector<std::byte> Utf16Data(std::u16string_view text, std::size_t fill = 2) {
  std::vector<std::byte> data;
  for (char16_t c : text) {
    data.push_back(static_cast<std::byte>(c & 0xFF));
    data.push_back(static_cast<std::byte>(c >> 8));
  }
  data.insert(data.end(), fill, std::byte{0});
  return data;
}

TEST(InstallProgress, ValuesAsTheProfileReaderReturnsThem) {
  const struct {
    std::uint32_t read;  // what the reader returned
    int progress;
    bool done;
    std::int64_t bar;
  } cases[] = {
      {0, 0, false, 90},
      {5, 5, false, 90},
      {50, 50, false, 95},
      {99, 99, false, 99},
      {100, 100, true, 100},
      {150, 150, true, 100},                 // stored capped: the bar's range ends at 100
      {4294967291u, 0, false, 90},           // "-5": negative counts as 0, following goes on
      {1849262357u, 1849262357, true, 100},  // a 30-digit number as the reader wrapped it
      {0x7FFFFFFFu, 0x7FFFFFFF, true, 100},  // x 10 does not overflow
      {0x80000000u, 0, false, 90},
  };
  for (const auto& c : cases) {
    const int progress = PackageProgress(c.read);
    EXPECT_EQ(progress, c.progress) << c.read;
    EXPECT_EQ(IsPackageDone(progress), c.done) << c.read;
    EXPECT_EQ(InstallBarValue(progress), c.bar) << c.read;
  }
}

TEST(InstallProgress, BarOnlyMovesForwards) {
  EXPECT_EQ(AdvanceInstallBar(89, 0), 90) << "from the download's last value";
  EXPECT_EQ(AdvanceInstallBar(90, 9), std::nullopt);
  EXPECT_EQ(AdvanceInstallBar(95, 10), std::nullopt) << "a smaller value later";
  EXPECT_EQ(AdvanceInstallBar(95, 150), 100);
}

// Plays a package: progress values in turn (the last repeated), and a stop request from the
// `stopAt`th question on.
struct Package {
  explicit Package(std::vector<int> played, int stopFrom = -1)
      : values(std::move(played)), stopAt(stopFrom) {}

  std::vector<int> values;
  int stopAt;
  std::vector<std::string> calls;
  std::size_t reads = 0;
  int questions = 0;

  void Follow() {
    FollowPackage(
        [&] {
          calls.push_back("read");
          return values[std::min(reads++, values.size() - 1)];
        },
        [&] {
          calls.push_back("stop?");
          return ++questions == stopAt;
        },
        [&] { calls.push_back("wait"); });
  }
};

TEST(InstallProgress, FollowingReadsThenAsksThenWaitsUntilDoneOrStopped) {
  Package normal({0, 99, 100});
  normal.Follow();
  EXPECT_EQ(normal.calls, (std::vector<std::string>{"read", "stop?", "wait", "read", "stop?",
                                                    "wait", "read"}));

  Package early({100});  // written before following began
  early.Follow();
  EXPECT_EQ(early.calls, std::vector<std::string>{"read"});

  Package stopped({0, 40}, 2);
  stopped.Follow();
  EXPECT_EQ(stopped.calls, (std::vector<std::string>{"read", "stop?", "wait", "read", "stop?"}));

  Package garbage({PackageProgress(4294967291u), 0, PackageProgress(1849262357u)});
  garbage.Follow();
  EXPECT_EQ(garbage.reads, 3u) << "a negative value does not end following";
}

}  // namespace

TEST(InstallProgress, OnlyTheExactStopWordIsAStopRequest) {
  EXPECT_TRUE(IsStopRequest(Utf16Data(u"UnInstall")));
  EXPECT_TRUE(IsStopRequest(Utf16Data(u"UnInstall", 0))) << "stored without its terminator";
  EXPECT_TRUE(IsStopRequest(Utf16Data(u"UnInstall", 502))) << "NUL-filled like Path";
  EXPECT_TRUE(IsStopRequest(Utf16Data(std::u16string_view(u"UnInstall\0ling", 14))))
      << "written from a larger buffer: the string ends at its NUL";
  for (std::u16string_view other : {u"uninstall", u"UNINSTALL", u" UnInstall", u"UnInstall ",
                                    u"UnInstallX", u"UnInstal", u""})
    EXPECT_FALSE(IsStopRequest(Utf16Data(other))) << std::string(other.begin(), other.end());
  EXPECT_FALSE(IsStopRequest({})) << "no key or no value";

  // An odd stray byte after the word is a character of its own.
  auto stray = Utf16Data(u"UnInstall", 0);
  stray.push_back(std::byte{'x'});
  EXPECT_FALSE(IsStopRequest(stray));
}
