#include "installer/install_location_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::wstring Repeat(wchar_t c, std::size_t n) { return std::wstring(n, c); }

// Records what saving the install folder asks of the key; each step can be made to fail.
struct RecordingKey : ProductKeyWriter {
  bool create = true, open = true, setPath = true;
  std::vector<std::wstring> steps;
  std::vector<wchar_t> pathData;

  bool CreateKey() override {
    steps.push_back(L"create");
    return create;
  }
  bool OpenKey() override {
    steps.push_back(L"open");
    return open;
  }
  bool SetString(const wchar_t* name, std::span<const wchar_t> data) override {
    steps.push_back(std::wstring(name) + L"=" + std::wstring(data.begin(), data.end()));
    if (std::wstring_view(name) != package_contract::kPathValue) return true;
    pathData.assign(data.begin(), data.end());
    return setPath;
  }
};

const std::wstring kClearOperation = std::wstring(package_contract::kOperationValue) + L"=" + L'\0';

}  // namespace

TEST(InstallLocationRules, DefaultFolderTakesTheDesktopsDriveOrElseTheWindowsFolders) {
  EXPECT_EQ(DefaultInstallFolder(L"D:\\Users\\ann\\Desktop", kFixedDrive, L"C:\\Windows"),
            L"D:\\Program Files (x86)\\varnix\\QuilloMark");
  EXPECT_EQ(DefaultInstallFolder(L"", kFixedDrive, L"E:\\Windows"),
            L"E:\\Program Files (x86)\\varnix\\QuilloMark");
  EXPECT_EQ(DefaultInstallFolder(L"", kFixedDrive, L""), L"") << "no drive to name";
  EXPECT_EQ(DefaultInstallFolder(L"\\\\server\\home\\Desktop", kFixedDrive, L"C:\\Windows"),
            L"C:\\Program Files (x86)\\varnix\\QuilloMark")
      << "a desktop on a share names no drive";
}

TEST(InstallLocationRules, TheInstallersDriveIsTheDesktopsOnlyWhenThatIsALocalFixedDisk) {
  // The platform's drive types: 0 unknown, 1 no such drive, 2 removable, 3 fixed, 4 network,
  // 5 optical, 6 RAM disk.
  for (unsigned type = 0; type <= 6; ++type)
    EXPECT_EQ(InstallerDrive(L"F:\\Users\\ann\\Desktop", type, L"C:\\Windows"),
              type == kFixedDrive ? L"F:" : L"C:")
        << "drive type " << type;
  EXPECT_EQ(DesktopDriveRoot(L"F:\\Users\\ann\\Desktop"), L"F:\\") << "the root is asked";
  EXPECT_EQ(DesktopDriveRoot(L"g:\\Desktop"), L"g:\\");
  // A share or no desktop: nothing to ask, and even a fixed-disk answer changes nothing.
  EXPECT_EQ(DesktopDriveRoot(L"\\\\server\\home\\Desktop"), L"");
  EXPECT_EQ(DesktopDriveRoot(L""), L"");
  EXPECT_EQ(InstallerDrive(L"\\\\server\\home\\Desktop", kFixedDrive, L"C:\\Windows"), L"C:");
  EXPECT_EQ(InstallerDrive(L"", kFixedDrive, L"D:\\Windows"), L"D:") << "no desktop";
  EXPECT_EQ(InstallerDrive(L"", kFixedDrive, L""), L"");
  EXPECT_EQ(InstallerDrive(L"\\\\server\\home\\Desktop", kFixedDrive, L""), L"");
  EXPECT_EQ(InstallerDrive(L"g:\\Desktop", kFixedDrive, L"C:\\Windows"), L"g:")
      << "a lower-case letter stays as it is";
}

TEST(InstallLocationRules, BrowsedFolderAppendsTheNameAsItStands) {
  EXPECT_EQ(BrowsedInstallFolder(L"E:\\Tools"), L"E:\\Tools\\Quillomark");
  EXPECT_EQ(BrowsedInstallFolder(L"E:\\"), L"E:\\\\Quillomark") << "a root's separator stays";
  EXPECT_EQ(BrowsedInstallFolder(L"E:\\Quillomark"), L"E:\\Quillomark\\Quillomark");
  EXPECT_EQ(BrowsedInstallFolder(L""), L"") << "cancelled: the field keeps its text";
}

TEST(InstallLocationRules, ChecksAskTheDriveOfTheFirstTwoCharacters) {
  EXPECT_EQ(InstallDriveOf(L"D:\\Apps\\Inkvane"), L"D:");
  EXPECT_EQ(InstallDriveOf(L"C:"), L"C:");
  EXPECT_EQ(InstallDriveOf(L"C"), L"C");
  EXPECT_EQ(InstallDriveOf(L""), L"");
  EXPECT_EQ(InstallDriveOf(L"\\\\server\\share"), L"\\\\");
}

TEST(InstallLocationRules, SpaceMustExceedEightyWholeMebibytes) {
  constexpr std::uint64_t MiB = 1 << 20;
  EXPECT_TRUE(HasEnoughSpace(81 * MiB));
  EXPECT_FALSE(HasEnoughSpace(81 * MiB - 1));
  EXPECT_FALSE(HasEnoughSpace(0));
  EXPECT_TRUE(HasEnoughSpace(std::uint64_t{1} << 50));
  EXPECT_TRUE(HasEnoughSpace(std::nullopt)) << "free space unknown: the install goes on";
}

TEST(InstallLocationRules, ADriveLetterIsAToZInEitherCaseFollowedByAColon) {
  for (const wchar_t* path : {L"C:", L"a:\\x", L"Z:foo", L"z:"})
    EXPECT_TRUE(BeginsWithDriveLetter(path)) << "\"" << path << "\"";
  // The characters either side of each letter range, and what is no drive at all.
  for (const wchar_t* path : {L"", L"C", L"C\\", L"@:", L"[:", L"`:", L"{:", L"1:", L"\\\\?\\C:"})
    EXPECT_FALSE(BeginsWithDriveLetter(path)) << "\"" << path << "\"";
}

TEST(InstallLocationRules, InstallCommandRefusesOnceInOrderLengthDriveSpace) {
  int driveAsked = 0, spaceAsked = 0;
  unsigned type = kFixedDrive;
  bool enough = true;
  const auto check = [&](std::wstring_view text) {
    return CheckInstallFolder(
        text, [&] { ++driveAsked; return type; }, [&] { ++spaceAsked; return enough; });
  };
  const std::wstring longest = L"C:\\" + Repeat(L'a', kMaxInstallFolderChars - 3);

  // The launcher's path inside the longest accepted folder just fits a path buffer.
  EXPECT_EQ(longest.size() + 1 + std::wstring_view(package_contract::kLauncherName).size(),
            kPathChars - 1);
  EXPECT_EQ(check(longest), LocationRefusal::None);
  EXPECT_EQ(check(L"C:"), LocationRefusal::None);

  type = 4;  // too long is said first, whatever the drive
  driveAsked = spaceAsked = 0;
  EXPECT_EQ(check(longest + L"b"), LocationRefusal::PathTooLong);
  EXPECT_EQ(driveAsked + spaceAsked, 0);

  for (unsigned other : {0u, 1u, 2u, 4u, 5u, 6u}) {
    type = other;
    spaceAsked = 0;
    EXPECT_EQ(check(L"X:\\Inkvane"), LocationRefusal::NotLocalFixedDisk) << other;
    EXPECT_EQ(spaceAsked, 0) << "space is asked of fixed disks only";
  }

  // Texts that the platform may take for another folder than the one shown are refused as
  // not on a local disk, before the drive is asked; the forms that browsing gives pass.
  type = kFixedDrive;
  for (const wchar_t* form : {L"C:", L"C:\\", L"E:\\\\Quillomark", L"d:/Apps/x",
                              L"C:\\Program Files (x86)\\varnix", L"C:\\a\\b c\\.d"}) {
    driveAsked = 0;
    EXPECT_EQ(check(form), LocationRefusal::None) << "folder \"" << form << "\"";
    EXPECT_EQ(driveAsked, 1);
  }
  for (const wchar_t* form : {L"C:foo", L"C:\\foo ", L"C:\\foo.", L"C:\\foo.\\bar",
                              L"C:\\foo \\bar", L"C:\\..\\Windows", L"\\\\?\\C:\\foo",
                              L"\\\\.\\C:\\foo", L"\\\\server\\share", L"1:\\foo"}) {
    driveAsked = 0;
    EXPECT_EQ(check(form), LocationRefusal::NotLocalFixedDisk) << "folder \"" << form << "\"";
    EXPECT_EQ(driveAsked, 0) << "folder \"" << form << "\"";
  }

  enough = false;
  EXPECT_EQ(check(L"C:\\Inkvane"), LocationRefusal::NotEnoughSpace);
  EXPECT_EQ(NoticeFor(LocationRefusal::None), nullptr);
}

TEST(InstallLocationRules, SavingWritesAFilledPathThenClearsOperationWhateverPathGave) {
  RecordingKey key;
  EXPECT_TRUE(SaveInstallFolder(key, L"C:"));
  ASSERT_EQ(key.steps.size(), 4u);
  EXPECT_EQ(key.steps[3], kClearOperation);
  ASSERT_EQ(key.pathData.size(), 260u) << "always the whole buffer";
  EXPECT_EQ(std::wstring(key.pathData.data()), L"C:");
  EXPECT_EQ(std::count(key.pathData.begin(), key.pathData.end(), L'\0'), 258);

  RecordingKey refused;
  refused.setPath = false;
  EXPECT_FALSE(SaveInstallFolder(refused, L"D:\\x")) << "the caller keeps its folder";
  EXPECT_EQ(refused.steps.back(), kClearOperation);

  RecordingKey tooLong;
  EXPECT_FALSE(SaveInstallFolder(tooLong, Repeat(L'x', 260))) << "never written cut short";
  EXPECT_TRUE(tooLong.pathData.empty());
  EXPECT_EQ(tooLong.steps.back(), kClearOperation);

  for (bool createFails : {true, false}) {
    RecordingKey closed;
    (createFails ? closed.create : closed.open) = false;
    EXPECT_FALSE(SaveInstallFolder(closed, L"C:\\x"));
    EXPECT_EQ(closed.steps.size(), createFails ? 1u : 2u) << "nothing is written";
  }
}
