#pragma once
// The gallery's page of controls: every control of the kit in every state, at the screen's
// DPI. The first of each row is live and follows the mouse; the others keep their state.

#include <memory>

enum class OpenBox { None, Notice, Question };

// Runs the page modally, opening a message box over it at once when asked; returns when
// the page is closed.
void RunControlsPage(OpenBox open = OpenBox::None);
