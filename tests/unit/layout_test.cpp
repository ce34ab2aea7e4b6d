#include "installer/layout.h"

#include <gtest/gtest.h>

namespace {
const InstallerLayout at96({96, 96});
const InstallerLayout at120({120, 120});
const InstallerLayout at144({144, 144});
}  // namespace

TEST(InstallerLayout, WindowAndPictureControlsAtEachDpi) {
  EXPECT_EQ(at96.Window(600, 400), (Placement{0, 0, 600, 400}));
  EXPECT_EQ(at120.Window(600, 400), (Placement{0, 0, 750, 500}));
  EXPECT_EQ(at144.Window(600, 400), (Placement{0, 0, 900, 600}));

  EXPECT_EQ(at96.CloseButton(14, 14), (Placement{566, 20, 14, 14}));
  EXPECT_EQ(at144.CloseButton(21, 21), (Placement{849, 30, 21, 21}));
  EXPECT_EQ(at120.CloseButton(18, 17), (Placement{708, 25, 18, 17}));

  EXPECT_EQ(at96.InstallButton(160, 40), (Placement{220, 210, 160, 40}));
  EXPECT_EQ(at144.InstallButton(240, 60), (Placement{330, 315, 240, 60}));
  EXPECT_EQ(at120.RunButton(200, 50), (Placement{275, 418, 200, 50}));  // 417.5 rounds up

  EXPECT_EQ(at96.ProgressBar(520, 10), (Placement{40, 364, 520, 10}));
  EXPECT_EQ(at144.ProgressBar(780, 15), (Placement{60, 546, 780, 15}));
  EXPECT_EQ(at120.AgreeCheckBox(17, 17), (Placement{25, 350, 17, 17}));
}

TEST(InstallerLayout, CentresTextsWithTruncatingDivision) {
  EXPECT_EQ(at96.Title(101), (Placement{249, 137, 101, 25}));
  EXPECT_EQ(at144.Title(101), (Placement{399, 206, 101, 38}));  // 205.5 rounds up
  EXPECT_EQ(at120.Finished(161), (Placement{294, 213, 161, 50}));
  EXPECT_EQ(at96.Slogan(281), (Placement{159, 210, 281, 20}));
  // Wider than the window: negative, still truncated toward zero.
  EXPECT_EQ(at96.Title(603).x, -1);
}

TEST(InstallerLayout, FolderRowFollowsTheLabelsMeasuredWidth) {
  // "install to" label 60 wide at 96 DPI: field 5 to its right, button 5 right of the field.
  const Placement label = at96.InstallToLabel(60);
  EXPECT_EQ(label, (Placement{20, 345, 60, 20}));
  const Placement field = at96.FolderField(label.right());
  EXPECT_EQ(field, (Placement{85, 338, 414, 32}));
  EXPECT_EQ(at96.ChangeButton(field.right(), 74, 32), (Placement{504, 338, 74, 32}));

  // The same row at 120 DPI with a wider label moves as a whole.
  const Placement label120 = at120.InstallToLabel(81);
  const Placement field120 = at120.FolderField(label120.right());
  EXPECT_EQ(field120, (Placement{112, 423, 518, 40}));
  EXPECT_EQ(at120.ChangeButton(field120.right(), 93, 40).x, 636);

  // Before the move the field stands at its own place, its height scaled horizontally.
  EXPECT_EQ(at96.FolderFieldAtCreation(), (Placement{76, 338, 414, 32}));
  EXPECT_EQ((InstallerLayout({144, 96}).FolderFieldAtCreation()), (Placement{114, 338, 621, 48}));
}

TEST(InstallerLayout, LinkRowsChainFromTheTextBefore) {
  const Placement agree = at144.AgreeLabel(150);
  EXPECT_EQ(agree, (Placement{66, 419, 150, 26}));  // 418.5 up; 25.5 up
  EXPECT_EQ(at144.LicenseLink(agree.right(), 100), (Placement{221, 419, 100, 26}));

  const Placement failed = at96.Failed(90);
  const Placement retry = at96.RetryLink(failed.right(), 50);
  EXPECT_EQ(retry, (Placement{132, 334, 50, 20}));
  EXPECT_EQ(at96.WebDownloadLink(retry.right(), 90), (Placement{184, 334, 90, 20}));
}

TEST(InstallerLayout, FeatureBlurbsStandOneUnderTheOther) {
  EXPECT_EQ(at96.Feature(0, 64).y, 89);
  EXPECT_EQ(at96.Feature(1, 64).y, 125);
  EXPECT_EQ(at96.Feature(2, 64).y, 161);
  EXPECT_EQ(at96.Feature(3, 64), (Placement{78, 197, 64, 20}));
  EXPECT_EQ(at144.Feature(3, 64), (Placement{117, 296, 64, 30}));  // 295.5 rounds up
  EXPECT_EQ(at144.SmallTitle(70), (Placement{81, 30, 70, 30}));
}

TEST(InstallerLayout, FontHeightsScaleHorizontally) {
  EXPECT_EQ((InstallerLayout({120, 96}).TitleFont()), 28);  // 27.5 rounds up
  EXPECT_EQ(at144.FinishedFont(), 60);
  EXPECT_EQ(at96.LinkRowFont(), 17);
  EXPECT_EQ(at120.LinkRowFont(), 21);
}
