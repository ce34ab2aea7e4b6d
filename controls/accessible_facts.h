#pragma once
// What the kit's controls tell assistive technology (a screen reader, through Microsoft
// Active Accessibility): the role, the state and the default action of each kind of control,
// decided here without the platform. controls/accessible_object.h answers the client with
// them. The numbers are those of the platform's oleacc.h; accessible_object.cpp checks them
// against it.

#include <cstdint>

enum class AccessibleKind {
  PushButton,  // the picture buttons and the picture-and-text buttons
  CheckBox,    // the agreement box
  Link,        // the text buttons
  TextField,   // the text field inside an edit box
};

// What one control says of itself at the moment a client asks: read afresh from the control
// for every question, so that it follows the owner's flags at every moment.
struct AccessibleFacts {
  AccessibleKind kind = AccessibleKind::PushButton;
  bool enabled = true;   // the owner's input flag (m_bEnabled); its window may still be enabled
  bool checked = false;  // check boxes: the owner's flag (m_bChecked)
  bool secret = false;   // text fields: the field shows "*" for every character
};

namespace accessible {
// Roles (ROLE_SYSTEM_*).
inline constexpr std::int32_t kRoleLink = 0x1E;
inline constexpr std::int32_t kRoleText = 0x2A;
inline constexpr std::int32_t kRolePushButton = 0x2B;
inline constexpr std::int32_t kRoleCheckButton = 0x2C;
// State bits (STATE_SYSTEM_*).
inline constexpr std::int32_t kStateUnavailable = 0x1;
inline constexpr std::int32_t kStateChecked = 0x10;
inline constexpr std::int32_t kStateInvisible = 0x8000;
inline constexpr std::int32_t kStateFocusable = 0x100000;
inline constexpr std::int32_t kStateLinked = 0x400000;
inline constexpr std::int32_t kStateProtected = 0x20000000;
}  // namespace accessible

std::int32_t AccessibleRole(AccessibleKind kind);

// The state a client reads. `standard` is what the platform's own object says of the window
// (visible, focused, focusable, unavailable when the window is disabled); to it come the
// owner's check, the owner's input flag (a control whose owner disabled it is unavailable and
// cannot take the focus, whatever its window says), the link bit and a secret field's
// protection. A check the platform may read from the window itself is replaced by the owner's.
std::int32_t AccessibleState(const AccessibleFacts& facts, std::int32_t standard);

// The name of the default action as a screen reader says it ("按下", "选中", "取消选中",
// "跳转"); null for a text field, which has none.
const wchar_t* AccessibleDefaultAction(const AccessibleFacts& facts);

// Whether the default action presses the control now, given the state the client would read
// (AccessibleState): only a control with an action that is neither unavailable nor invisible,
// as only such a control takes a mouse click.
bool AccessibleActionPresses(const AccessibleFacts& facts, std::int32_t state);
