#pragma once
// The gallery's page of controls: every control of the kit in every state, at the screen's
// DPI. The first of each row is live and follows the mouse; the others keep their state.

#include <memory>

// Runs the page modally; returns when it is closed.
void RunControlsPage();
