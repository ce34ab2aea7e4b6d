#include "controls/accessible_facts.h"

#include <gtest/gtest.h>

#include <string>

using namespace accessible;

namespace {
std::wstring ActionOf(const AccessibleFacts& facts) {
  const wchar_t* action = AccessibleDefaultAction(facts);
  return action ? action : L"(none)";
}
}  // namespace

TEST(AccessibleFacts, EachKindHasItsRoleAndDefaultAction) {
  EXPECT_EQ(AccessibleRole(AccessibleKind::PushButton), kRolePushButton);
  EXPECT_EQ(AccessibleRole(AccessibleKind::CheckBox), kRoleCheckButton);
  EXPECT_EQ(AccessibleRole(AccessibleKind::Link), kRoleLink);
  EXPECT_EQ(AccessibleRole(AccessibleKind::TextField), kRoleText);

  EXPECT_EQ(ActionOf({AccessibleKind::PushButton}), L"按下");
  EXPECT_EQ(ActionOf({AccessibleKind::Link}), L"跳转");
  // A check box's action says what pressing it would do.
  EXPECT_EQ(ActionOf({AccessibleKind::CheckBox, true, false}), L"选中");
  EXPECT_EQ(ActionOf({AccessibleKind::CheckBox, true, true}), L"取消选中");
  EXPECT_EQ(ActionOf({AccessibleKind::TextField}), L"(none)");
}

TEST(AccessibleFacts, TheCheckIsTheOwnersWhateverThePlatformReads) {
  const AccessibleFacts unchecked{AccessibleKind::CheckBox, true, false};
  const AccessibleFacts checked{AccessibleKind::CheckBox, true, true};
  EXPECT_EQ(AccessibleState(checked, kStateFocusable), kStateFocusable | kStateChecked);
  EXPECT_EQ(AccessibleState(unchecked, kStateFocusable | kStateChecked), kStateFocusable);
  // Only a check box is ever checked.
  EXPECT_EQ(AccessibleState({AccessibleKind::PushButton, true, true}, kStateChecked), 0);
}

TEST(AccessibleFacts, AControlItsOwnerDisabledIsUnavailableAndCannotTakeTheFocus) {
  for (AccessibleKind kind :
       {AccessibleKind::PushButton, AccessibleKind::CheckBox, AccessibleKind::Link}) {
    const std::int32_t state = AccessibleState({kind, false}, kStateFocusable);
    EXPECT_TRUE(state & kStateUnavailable);
    EXPECT_FALSE(state & kStateFocusable);
    EXPECT_FALSE(AccessibleActionPresses({kind, false}, state));
  }
  // Enabled, the platform's bits stay as they were.
  EXPECT_EQ(AccessibleState({AccessibleKind::PushButton}, kStateFocusable | kStateInvisible),
            kStateFocusable | kStateInvisible);
}

TEST(AccessibleFacts, LinksAreLinkedAndSecretFieldsProtected) {
  EXPECT_EQ(AccessibleState({AccessibleKind::Link}, kStateFocusable), kStateFocusable | kStateLinked);
  EXPECT_EQ(AccessibleState({AccessibleKind::TextField, true, false, true}, kStateFocusable),
            kStateFocusable | kStateProtected);
  EXPECT_EQ(AccessibleState({AccessibleKind::TextField}, kStateFocusable), kStateFocusable);
}

TEST(AccessibleFacts, TheDefaultActionPressesOnlyWhatAMouseClickWould) {
  const AccessibleFacts button{AccessibleKind::PushButton};
  EXPECT_TRUE(AccessibleActionPresses(button, kStateFocusable));
  EXPECT_FALSE(AccessibleActionPresses(button, kStateUnavailable));  // a disabled window
  EXPECT_FALSE(AccessibleActionPresses(button, kStateInvisible));    // another screen's control
  EXPECT_TRUE(AccessibleActionPresses({AccessibleKind::CheckBox, true, true}, kStateChecked));
  EXPECT_FALSE(AccessibleActionPresses({AccessibleKind::TextField}, kStateFocusable));
}
