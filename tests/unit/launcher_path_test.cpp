#include "installer/launcher_path.h"

#include <gtest/gtest.h>

#include "installer/install_location_rules.h"

TEST(LauncherPath, TheLauncherInsideTheFolder) {
  EXPECT_EQ(LauncherPath(L"G:\\Apps\\Inkvane"), L"G:\\Apps\\Inkvane\\varnixStart.exe");
  EXPECT_EQ(LauncherPath(L"C:"), L"C:\\varnixStart.exe");
}

TEST(LauncherPath, EveryFolderTheInstallAcceptsFitsAndNothingIsCutShort) {
  const std::wstring longest = L"C:\\" + std::wstring(kMaxInstallFolderChars - 3, L'a');
  const auto path = LauncherPath(longest);
  ASSERT_TRUE(path);
  EXPECT_EQ(path->size(), 259u) << "the terminator still fits";
  EXPECT_FALSE(LauncherPath(longest + L"a"));
}

TEST(LauncherPath, NothingWhoseFolderDependsOnTheWorkingFolder) {
  for (const wchar_t* folder : {L"", L"Apps", L"\\Apps", L"C:Apps", L"1:\\Apps", L"C:\\Apps ",
                              L"\\\\?\\C:\\Apps"})
    EXPECT_FALSE(LauncherPath(folder)) << "folder \"" << folder << "\"";
  EXPECT_TRUE(LauncherPath(L"d:/Apps"));
}
