#pragma once
// The installer window's keyboard filter, decided without the platform: which key presses
// (WM_KEYDOWN) the window drops before the dialog machinery sees them. Only presses are
// filtered: key releases and system keys (Alt+F4) always pass.

// Virtual-key codes, as the platform's winuser.h numbers them.
inline constexpr unsigned kKeyReturn = 0x0D;
inline constexpr unsigned kKeyEscape = 0x1B;
inline constexpr unsigned kKeySpace = 0x20;

// Escape would cancel the window, Enter press a default button and Space click the focused
// button, box or link: their presses are dropped wherever the focus is, with one exception.
// In a text field (the folder field) Space types a blank, with or without modifiers, so it
// passes there; a folder name with a blank ("D:\My Apps") must arrive as typed.
constexpr bool DropsKeyPress(unsigned virtualKey, bool focusInTextField) {
  if (virtualKey == kKeySpace) return !focusInTextField;
  return virtualKey == kKeyEscape || virtualKey == kKeyReturn;
}
