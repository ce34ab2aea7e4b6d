// What the kit's controls tell a screen reader, asked in this process as a client would ask
// (AccessibleObjectFromWindow, OBJID_CLIENT), where the real installer cannot show it: the
// owner's flags read at every question, the click that the default action posts only when a
// click could press, a secret field, an object that outlives its control, and the object ids
// that are not ours. tests/e2e/accessibility_e2e.py walks the real installer from another
// process; WindowCommandsTest hears the state-change events.
#include "controls/accessible_object.h"

#include <oleacc.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "control_test_support.h"
#include "controls/check_box.h"
#include "controls/edit_box.h"
#include "controls/image_button.h"
#include "controls/image_text_button.h"
#include "controls/text_button.h"
#include "res/resource.h"

namespace {

constexpr DWORD kButtonStyle = 0x50000200;
constexpr DWORD kCheckBoxStyle = 0x50000202;
constexpr DWORD kLinkStyle = 0x50020100;
constexpr DWORD kFrameStyle = 0x50000080;

// One control's accessible object, with the questions a screen reader asks. Without an
// object every question fails (E_FAIL, "(none)", -1), so that a test fails instead of ending.
// (The interface's id is __uuidof's: mingw's x86_64 import library makes IID_IAccessible a
// thunk into oleacc.dll, not the id.)
class Client {
public:
  explicit Client(const CWnd& control) {
    m_hr = ::AccessibleObjectFromWindow(control.m_hWnd, OBJID_CLIENT, __uuidof(IAccessible),
                                        reinterpret_cast<void**>(&m_object));
  }
  ~Client() {
    if (m_object) m_object->Release();
  }
  Client(const Client&) = delete;
  Client& operator=(const Client&) = delete;

  bool ok() const { return SUCCEEDED(m_hr) && m_object; }
  std::wstring Name() const { return Text(&IAccessible::get_accName); }
  std::wstring Value() const { return Text(&IAccessible::get_accValue); }
  std::wstring Action() const { return Text(&IAccessible::get_accDefaultAction); }
  LONG State() const { return Number(&IAccessible::get_accState); }
  HRESULT DoDefaultAction() const {
    return m_object ? m_object->accDoDefaultAction(Self()) : E_FAIL;
  }
  HRESULT NameResult() const {
    if (!m_object) return E_FAIL;
    BSTR text = nullptr;
    const HRESULT hr = m_object->get_accName(Self(), &text);
    ::SysFreeString(text);
    return hr;
  }

private:
  static VARIANT Self() {
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    return self;
  }
  std::wstring Text(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*)) const {
    if (!m_object) return L"(none)";
    BSTR text = nullptr;
    const HRESULT hr = (m_object->*get)(Self(), &text);
    std::wstring out = hr == S_OK && text ? text : L"(none)";
    ::SysFreeString(text);
    return out;
  }
  LONG Number(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, VARIANT*)) const {
    VARIANT value{};
    if (!m_object) return -1;
    return SUCCEEDED((m_object->*get)(Self(), &value)) && value.vt == VT_I4 ? value.lVal : -1;
  }

  IAccessible* m_object = nullptr;
  HRESULT m_hr = E_FAIL;
};

class AccessibleObjectTest : public GdiplusTest {
protected:
  void SetUp() override {
    ASSERT_TRUE(host.Open(100, 100, 400, 300));
    MovePointerAway(host);
    // The apartment the answering thread joins at the first question is the client's too.
    ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
  }
  void TearDown() override { ::CoUninitialize(); }

  CTestHost host;
};

}  // namespace

TEST_F(AccessibleObjectTest, StateFollowsTheOwnersFlagsAtEveryQuestion) {
  CCheckBoxEx agree;
  ASSERT_TRUE(agree.Create(L"已阅读并同意许可协议", kCheckBoxStyle, CRect(10, 100, 30, 120), &host, 10003));
  CImageTextButtonEx install;
  CreatePictureButton(install, L"安装", kButtonStyle, CRect(10, 40, 10, 40), &host, 10002,
                      IDB_PNG_INSTALL_BUTTON, 0, RGB(231, 75, 63));
  const Client box(agree), button(install);
  ASSERT_TRUE(box.ok() && button.ok());

  EXPECT_TRUE(box.State() & STATE_SYSTEM_CHECKED);
  agree.SetChecked(false);  // as the owner flips it: the object it handed out follows
  EXPECT_FALSE(box.State() & STATE_SYSTEM_CHECKED);
  EXPECT_EQ(box.Action(), L"选中");

  EXPECT_TRUE(button.State() & STATE_SYSTEM_FOCUSABLE);
  install.SetEnabled(false);  // the owner's flag, with the window still enabled
  ASSERT_TRUE(::IsWindowEnabled(install.m_hWnd));
  EXPECT_TRUE(button.State() & STATE_SYSTEM_UNAVAILABLE);
  EXPECT_FALSE(button.State() & STATE_SYSTEM_FOCUSABLE);
  EXPECT_EQ(button.DoDefaultAction(), DISP_E_MEMBERNOTFOUND);
  PumpFor(50);
  EXPECT_TRUE(host.commands.empty()) << "a disabled button was pressed";

  install.SetEnabled(true);
  EXPECT_FALSE(button.State() & STATE_SYSTEM_UNAVAILABLE);
  // A disabled window is unavailable too, whatever the owner's flag says.
  install.EnableWindow(FALSE);
  EXPECT_TRUE(button.State() & STATE_SYSTEM_UNAVAILABLE);
  EXPECT_EQ(button.DoDefaultAction(), DISP_E_MEMBERNOTFOUND);
}

TEST_F(AccessibleObjectTest, TheDefaultActionPostsTheClickThatAMouseClickReports) {
  CCheckBoxEx agree;
  ASSERT_TRUE(agree.Create(L"已阅读并同意许可协议", kCheckBoxStyle, CRect(10, 100, 30, 120), &host, 10003));
  CTextButtonEx licence;
  ASSERT_TRUE(licence.Create(L"许可协议", kLinkStyle, CRect(40, 100, 140, 120), &host, 10004));
  CTextButtonEx retry;  // on a screen not shown
  ASSERT_TRUE(retry.Create(L"重试？", kLinkStyle & ~WS_VISIBLE, CRect(40, 130, 140, 150), &host, 10008));

  EXPECT_EQ(Client(agree).DoDefaultAction(), S_OK);
  // Posted: the owner has not run its command when the call returns.
  EXPECT_TRUE(host.commands.empty());
  ASSERT_TRUE(PumpUntil([&] { return !host.commands.empty(); }));
  EXPECT_EQ(host.commands, (std::vector<std::pair<int, int>>{{10003, BN_CLICKED}}));
  EXPECT_TRUE(agree.m_bChecked) << "the box never changes its flag itself";

  host.commands.clear();
  EXPECT_EQ(Client(licence).DoDefaultAction(), S_OK);
  EXPECT_EQ(Client(retry).DoDefaultAction(), DISP_E_MEMBERNOTFOUND) << "a hidden link was pressed";
  PumpFor(100);
  EXPECT_EQ(host.commands, (std::vector<std::pair<int, int>>{{10004, STN_CLICKED}}));
}

TEST_F(AccessibleObjectTest, ASecretFieldIsProtectedAndKeepsItsText) {
  CEditEx password;
  password.m_bPassword = TRUE;
  ASSERT_TRUE(password.Create(L"密码", kFrameStyle, CRect(10, 130, 300, 160), &host, 10041));
  password.SetText(L"hunter2");
  password.UpdateWindow();
  ASSERT_TRUE(password.m_edit.m_hWnd);
  const Client field(password.m_edit);
  EXPECT_EQ(field.Name(), L"密码");
  EXPECT_TRUE(field.State() & STATE_SYSTEM_PROTECTED);
  EXPECT_EQ(field.Value(), L"(none)");
}

TEST_F(AccessibleObjectTest, AnObjectThatOutlivesItsControlSaysItIsDisconnected) {
  auto button = std::make_unique<CImageButtonEx>();
  ASSERT_TRUE(button->Create(L"关闭", kButtonStyle, CRect(10, 10, 30, 30), &host, 10001));
  const Client client(*button);
  ASSERT_TRUE(client.ok());
  EXPECT_EQ(client.NameResult(), S_OK);
  button.reset();
  EXPECT_EQ(client.NameResult(), RPC_E_DISCONNECTED);
  EXPECT_EQ(client.DoDefaultAction(), RPC_E_DISCONNECTED);
}

TEST_F(AccessibleObjectTest, OnlyTheClientObjectIsOurs) {
  CImageButtonEx close;
  ASSERT_TRUE(close.Create(L"关闭", kButtonStyle, CRect(10, 10, 30, 30), &host, 10001));
  // The window's frame, its caret and the rest are the platform's: the default processing.
  for (LONG other : {OBJID_WINDOW, OBJID_CARET, OBJID_VSCROLL})
    EXPECT_EQ(close.SendMessage(WM_GETOBJECT, 0, static_cast<LPARAM>(other)), 0);
}
