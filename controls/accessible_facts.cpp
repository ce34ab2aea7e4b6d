#include "controls/accessible_facts.h"

using namespace accessible;

std::int32_t AccessibleRole(AccessibleKind kind) {
  switch (kind) {
    case AccessibleKind::CheckBox: return kRoleCheckButton;
    case AccessibleKind::Link: return kRoleLink;
    case AccessibleKind::TextField: return kRoleText;
    case AccessibleKind::PushButton: break;
  }
  return kRolePushButton;
}

std::int32_t AccessibleState(const AccessibleFacts& facts, std::int32_t standard) {
  std::int32_t state = standard & ~kStateChecked;
  if (facts.kind == AccessibleKind::CheckBox && facts.checked) state |= kStateChecked;
  if (facts.kind == AccessibleKind::Link) state |= kStateLinked;
  if (facts.kind == AccessibleKind::TextField && facts.secret) state |= kStateProtected;
  if (!facts.enabled) state = (state | kStateUnavailable) & ~kStateFocusable;
  return state;
}

const wchar_t* AccessibleDefaultAction(const AccessibleFacts& facts) {
  switch (facts.kind) {
    case AccessibleKind::CheckBox: return facts.checked ? L"取消选中" : L"选中";
    case AccessibleKind::Link: return L"跳转";
    case AccessibleKind::TextField: return nullptr;
    case AccessibleKind::PushButton: break;
  }
  return L"按下";
}

bool AccessibleActionPresses(const AccessibleFacts& facts, std::int32_t state) {
  return AccessibleDefaultAction(facts) && !(state & (kStateUnavailable | kStateInvisible));
}
