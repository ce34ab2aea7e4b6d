#pragma once
// The installer window's four screens: the background picture of each, and the controls it
// shows besides the close button, which every screen shows. Portable.

#include <algorithm>
#include <array>
#include <span>
#include <vector>

#include "installer/control_ids.h"
#include "res/resource.h"

enum class Screen { Ready, Installing, Failed, Finished };

struct ScreenLook {
  Screen screen;
  unsigned background;                 // PNG identifier
  std::span<const unsigned> controls;  // in the order the window shows or hides them
};

namespace screen_controls {
inline constexpr unsigned kReady[] = {IDC_TITLE,      IDC_INSTALL, IDC_INSTALL_TO,
                                      IDC_INSTALL_DIR, IDC_CHANGE_DIR, IDC_AGREE,
                                      IDC_AGREE_TEXT, IDC_LICENSE};
inline constexpr unsigned kInstalling[] = {IDC_SMALL_TITLE, IDC_FEATURE1, IDC_FEATURE2,
                                           IDC_FEATURE3,    IDC_FEATURE4, IDC_INSTALLING,
                                           IDC_PROGRESS};
inline constexpr unsigned kFailed[] = {IDC_SMALL_TITLE, IDC_FEATURE1, IDC_FEATURE2,
                                       IDC_FEATURE3,    IDC_FEATURE4, IDC_PROGRESS,
                                       IDC_FAILED,      IDC_WEB_DOWNLOAD, IDC_RETRY};
inline constexpr unsigned kFinished[] = {IDC_RUN, IDC_FINISHED, IDC_SLOGAN, IDC_SMALL_TITLE};
}  // namespace screen_controls

inline constexpr std::array<ScreenLook, 4> kScreens = {{
    {Screen::Ready, IDB_PNG_BACKGROUND_READY, screen_controls::kReady},
    {Screen::Installing, IDB_PNG_BACKGROUND_INSTALLING, screen_controls::kInstalling},
    {Screen::Failed, IDB_PNG_BACKGROUND_INSTALLING, screen_controls::kFailed},
    {Screen::Finished, IDB_PNG_BACKGROUND_FINISHED, screen_controls::kFinished},
}};

constexpr const ScreenLook& LookOf(Screen screen) {
  return kScreens[static_cast<std::size_t>(screen)];
}
static_assert(std::ranges::all_of(kScreens, [](const ScreenLook& look) {
  return &LookOf(look.screen) == &look;
}), "the table is indexed by Screen");

// The controls that `screen` shows and `other` does not, in `screen`'s order: what a switch
// from `other` to `screen` shows, and what one from `screen` to `other` hides.
inline std::vector<unsigned> ControlsOnlyOn(Screen screen, Screen other) {
  const auto shownOnOther = LookOf(other).controls;
  std::vector<unsigned> only;
  for (unsigned id : LookOf(screen).controls)
    if (std::ranges::find(shownOnOther, id) == shownOnOther.end()) only.push_back(id);
  return only;
}
