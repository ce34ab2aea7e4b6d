#include "installer/layout.h"

#include <gtest/gtest.h>

namespace {
const InstallerLayout at96({96, 96});
const InstallerLayout at120({120, 120});
const InstallerLayout at144({144, 144});
// Each axis at its own DPI: a value scaled by the wrong one shows.
const InstallerLayout wide({144, 96});
}  // namespace

TEST(InstallerLayout, WindowAndPictureControlsAtEachDpi) {
  EXPECT_EQ(at96.Window(600, 400), (PixelRect{0, 0, 600, 400}));
  EXPECT_EQ(at120.Window(600, 400), (PixelRect{0, 0, 750, 500}));
  EXPECT_EQ(at144.Window(600, 400), (PixelRect{0, 0, 900, 600}));

  EXPECT_EQ(at96.CloseButton(14, 14), (PixelRect{566, 20, 14, 14}));
  EXPECT_EQ(at144.CloseButton(21, 21), (PixelRect{849, 30, 21, 21}));
  EXPECT_EQ(at120.CloseButton(18, 17), (PixelRect{708, 25, 18, 17}));

  EXPECT_EQ(at96.InstallButton(160, 40), (PixelRect{220, 210, 160, 40}));
  EXPECT_EQ(at144.InstallButton(240, 60), (PixelRect{330, 315, 240, 60}));
  EXPECT_EQ(at120.RunButton(200, 50), (PixelRect{275, 418, 200, 50}));  // 417.5 rounds up

  EXPECT_EQ(at96.ProgressBar(520, 10), (PixelRect{40, 364, 520, 10}));
  EXPECT_EQ(at144.ProgressBar(780, 15), (PixelRect{60, 546, 780, 15}));
  EXPECT_EQ(at120.AgreeCheckBox(17, 17), (PixelRect{25, 350, 17, 17}));

  EXPECT_EQ(wide.Window(600, 400), (PixelRect{0, 0, 900, 400}));
  EXPECT_EQ(wide.CloseButton(21, 14), (PixelRect{849, 20, 21, 14}));
  EXPECT_EQ(wide.InstallButton(240, 40), (PixelRect{330, 210, 240, 40}));
  EXPECT_EQ(wide.RunButton(240, 40), (PixelRect{330, 334, 240, 40}));
  EXPECT_EQ(wide.ProgressBar(780, 10), (PixelRect{60, 364, 780, 10}));
  EXPECT_EQ(wide.AgreeCheckBox(21, 14), (PixelRect{30, 280, 21, 14}));
}

TEST(InstallerLayout, CentresTextsWithTruncatingDivision) {
  EXPECT_EQ(at96.Title(101), (PixelRect{249, 137, 101, 25}));
  EXPECT_EQ(at144.Title(101), (PixelRect{399, 206, 101, 38}));  // 205.5 rounds up
  EXPECT_EQ(at120.Finished(161), (PixelRect{294, 213, 161, 50}));
  EXPECT_EQ(at96.Slogan(281), (PixelRect{159, 210, 281, 20}));
  // Text heights follow the horizontal DPI, places the vertical one.
  EXPECT_EQ(wide.Title(101), (PixelRect{399, 137, 101, 38}));
  EXPECT_EQ(wide.Finished(161), (PixelRect{369, 170, 161, 60}));
  // Wider than the window: negative, still truncated toward zero.
  EXPECT_EQ(at96.Title(603).x, -1);
}

TEST(InstallerLayout, FolderRowFollowsTheLabelsMeasuredWidth) {
  // "install to" label 60 wide at 96 DPI: field 5 to its right, button 5 right of the field.
  const PixelRect label = at96.InstallToLabel(60);
  EXPECT_EQ(label, (PixelRect{20, 345, 60, 20}));
  const PixelRect field = at96.FolderField(label.right());
  EXPECT_EQ(field, (PixelRect{85, 338, 414, 32}));
  EXPECT_EQ(at96.ChangeButton(field.right(), 74, 32), (PixelRect{504, 338, 74, 32}));

  // The same row at 120 DPI with a wider label moves as a whole.
  const PixelRect label120 = at120.InstallToLabel(81);
  const PixelRect field120 = at120.FolderField(label120.right());
  EXPECT_EQ(field120, (PixelRect{112, 423, 518, 40}));
  EXPECT_EQ(at120.ChangeButton(field120.right(), 93, 40).x, 636);

  // Before the move the field stands at its own place, its height scaled horizontally.
  EXPECT_EQ(at96.FolderFieldAtCreation(), (PixelRect{76, 338, 414, 32}));
  EXPECT_EQ((InstallerLayout({144, 96}).FolderFieldAtCreation()), (PixelRect{114, 338, 621, 48}));
}

TEST(InstallerLayout, LinkRowsChainFromTheTextBefore) {
  const PixelRect agree = at144.AgreeLabel(150);
  EXPECT_EQ(agree, (PixelRect{66, 419, 150, 26}));  // 418.5 up; 25.5 up
  EXPECT_EQ(at144.LicenseLink(agree.right(), 100), (PixelRect{221, 419, 100, 26}));

  const PixelRect failed = at96.Failed(90);
  const PixelRect retry = at96.RetryLink(failed.right(), 50);
  EXPECT_EQ(retry, (PixelRect{132, 334, 50, 20}));
  EXPECT_EQ(at96.WebDownloadLink(retry.right(), 90), (PixelRect{184, 334, 90, 20}));
}

TEST(InstallerLayout, FeatureBlurbsStandOneUnderTheOther) {
  EXPECT_EQ(at96.Feature(0, 64).y, 89);
  EXPECT_EQ(at96.Feature(1, 64).y, 125);
  EXPECT_EQ(at96.Feature(2, 64).y, 161);
  EXPECT_EQ(at96.Feature(3, 64), (PixelRect{78, 197, 64, 20}));
  EXPECT_EQ(at144.Feature(3, 64), (PixelRect{117, 296, 64, 30}));  // 295.5 rounds up
  EXPECT_EQ(at144.SmallTitle(70), (PixelRect{81, 30, 70, 30}));
  EXPECT_EQ(wide.Feature(3, 64), (PixelRect{117, 197, 64, 30}));
  EXPECT_EQ(wide.SmallTitle(70), (PixelRect{81, 20, 70, 30}));
  EXPECT_EQ(wide.Installing(90), (PixelRect{60, 334, 90, 30}));
}

TEST(InstallerLayout, FontHeightsScaleHorizontally) {
  EXPECT_EQ((InstallerLayout({120, 96}).TitleFont()), 28);  // 27.5 rounds up
  EXPECT_EQ(at144.FinishedFont(), 60);
  EXPECT_EQ(at96.LinkRowFont(), 17);
  EXPECT_EQ(at120.LinkRowFont(), 21);
}
