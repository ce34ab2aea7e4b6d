#include "controls/accessible_object.h"

#include <oleacc.h>

#include <optional>

#include "win32/system_library.h"

static_assert(accessible::kRoleLink == ROLE_SYSTEM_LINK);
static_assert(accessible::kRoleText == ROLE_SYSTEM_TEXT);
static_assert(accessible::kRolePushButton == ROLE_SYSTEM_PUSHBUTTON);
static_assert(accessible::kRoleCheckButton == ROLE_SYSTEM_CHECKBUTTON);
static_assert(accessible::kStateUnavailable == STATE_SYSTEM_UNAVAILABLE);
static_assert(accessible::kStateChecked == STATE_SYSTEM_CHECKED);
static_assert(accessible::kStateInvisible == STATE_SYSTEM_INVISIBLE);
static_assert(accessible::kStateFocusable == STATE_SYSTEM_FOCUSABLE);
static_assert(accessible::kStateLinked == STATE_SYSTEM_LINKED);
static_assert(accessible::kStateProtected == STATE_SYSTEM_PROTECTED);

namespace {

// What answering needs of oleacc.dll and oleaut32.dll, loaded at the first question.
struct AccessibilityApi {
  decltype(&::CreateStdAccessibleObject) CreateStdAccessibleObject;
  decltype(&::LresultFromObject) LresultFromObject;
  decltype(&::SysAllocStringLen) SysAllocStringLen;
  DWORD apartmentSlot;  // thread-local: non-null once the thread holds its COM apartment
};

std::optional<AccessibilityApi> LoadAccessibilityApi() {
  SystemLibrary oleacc(L"oleacc.dll");
  SystemLibrary oleaut(L"oleaut32.dll");
  AccessibilityApi api{};
  if (!oleacc.Resolve(api.CreateStdAccessibleObject, "CreateStdAccessibleObject") ||
      !oleacc.Resolve(api.LresultFromObject, "LresultFromObject") ||
      !oleaut.Resolve(api.SysAllocStringLen, "SysAllocStringLen")) {
    return std::nullopt;
  }
  api.apartmentSlot = ::TlsAlloc();
  if (api.apartmentSlot == TLS_OUT_OF_INDEXES) return std::nullopt;
  // Objects handed to clients outlive any one question, and their proxies' code is oleacc's.
  oleacc.KeepForProcess();
  oleaut.KeepForProcess();
  return api;
}

const AccessibilityApi* Api() {
  const std::optional<AccessibilityApi>& api =
      LoadedOnce<std::optional<AccessibilityApi>, LoadAccessibilityApi>();
  return api ? &*api : nullptr;
}

// Puts the calling thread into a single-threaded COM apartment for the rest of its life, once:
// the object is marshalled to the client's process (LresultFromObject), which Windows does
// only for a thread in an apartment (Wine 8 does it without), and the client's calls then
// arrive through this thread's message loop, as every other message of the control does.
// The reference is never given back: an object may be in use by a client as long as the
// thread runs. False on a thread of the multi-threaded apartment, where calls would arrive on
// other threads: the installer has none that owns a window.
bool KeepApartment(DWORD slot) {
  if (::TlsGetValue(slot)) return true;
  if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)))
    return false;
  ::TlsSetValue(slot, reinterpret_cast<void*>(1));
  return true;
}

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

CString TextOf(HWND window) {
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(
      ::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return CString(std::move(text));
}

// The object a control hands to a client: its own role, state and default action over the
// platform's object for the window. Lives as long as a client holds it, which may be longer
// than the control: every question first finds the control again through its window.
class AccessibleControl final : public IAccessible {
public:
  AccessibleControl(CWnd& control, AccessibleFactsOf facts, IAccessible* standard,
                    const AccessibilityApi& api)
      : m_hWnd(control.m_hWnd), m_pControl(&control), m_facts(facts), m_standard(standard),
        m_api(api) {}
  AccessibleControl(const AccessibleControl&) = delete;
  AccessibleControl& operator=(const AccessibleControl&) = delete;

  // IUnknown. Identity is this object's: the platform's object is reached only through it.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(IAccessible)) {
      *object = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override {
    return static_cast<ULONG>(::InterlockedIncrement(&m_references));
  }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = ::InterlockedDecrement(&m_references);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  // IDispatch: the platform's.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    return m_standard->GetTypeInfoCount(count);
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
    return m_standard->GetTypeInfo(index, locale, info);
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                          DISPID* ids) override {
    return m_standard->GetIDsOfNames(iid, names, count, locale, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags,
                                   DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                   UINT* argument) override {
    return m_standard->Invoke(id, iid, locale, flags, params, result, exception, argument);
  }

  // What the control's facts decide.
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    return Answer(child, name, [&](const AccessibleFacts& facts) {
      if (facts.kind != AccessibleKind::TextField) return m_standard->get_accName(child, name);
      return String(TextOf(::GetParent(m_hWnd)), name);
    });
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    return Answer(child, value, [&](const AccessibleFacts& facts) {
      if (facts.kind != AccessibleKind::TextField) return m_standard->get_accValue(child, value);
      return facts.secret ? E_ACCESSDENIED : String(TextOf(m_hWnd), value);
    });
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    return Answer(child, role, [&](const AccessibleFacts& facts) {
      return Number(AccessibleRole(facts.kind), role);
    });
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    return Answer(child, state, [&](const AccessibleFacts& facts) {
      return Number(State(child, facts), state);
    });
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
    return Answer(child, action, [&](const AccessibleFacts& facts) {
      const wchar_t* name = AccessibleDefaultAction(facts);
      return name ? String(name, action) : S_FALSE;
    });
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    AccessibleFacts facts;
    if (const HRESULT hr = Facts(child, facts); FAILED(hr)) return hr;
    if (!AccessibleActionPresses(facts, State(child, facts))) return DISP_E_MEMBERNOTFOUND;
    // Posted, so that the client's call returns before the owner's command runs: the command
    // may open a modal box, which would hold the client until the box closed.
    const WPARAM click = MAKEWPARAM(::GetDlgCtrlID(m_hWnd), BN_CLICKED);
    static_assert(BN_CLICKED == STN_CLICKED);
    return ::PostMessageW(::GetParent(m_hWnd), WM_COMMAND, click, reinterpret_cast<LPARAM>(m_hWnd))
               ? S_OK
               : E_FAIL;
  }

  // The rest: the platform's object, which knows the window.
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    return m_standard->get_accParent(parent);
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
    return m_standard->get_accChildCount(count);
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
    return m_standard->get_accChild(child, object);
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
    return m_standard->get_accDescription(child, text);
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* text) override {
    return m_standard->get_accHelp(child, text);
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
    return m_standard->get_accHelpTopic(file, child, topic);
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* text) override {
    return m_standard->get_accKeyboardShortcut(child, text);
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override {
    return m_standard->get_accFocus(child);
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override {
    return m_standard->get_accSelection(children);
  }
  HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override {
    return m_standard->accSelect(flags, child);
  }
  HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                        VARIANT child) override {
    return m_standard->accLocation(left, top, width, height, child);
  }
  HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
    return m_standard->accNavigate(direction, start, end);
  }
  HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* child) override {
    return m_standard->accHitTest(x, y, child);
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
    return m_standard->put_accName(child, name);
  }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
    return m_standard->put_accValue(child, value);
  }

private:
  ~AccessibleControl() { m_standard->Release(); }

  // The control's facts now; RPC_E_DISCONNECTED once its window is gone (or bound to another
  // object), E_INVALIDARG for a child: the kit's controls have none.
  HRESULT Facts(const VARIANT& child, AccessibleFacts& facts) const {
    if (CWnd::FromHandlePermanent(m_hWnd) != m_pControl) return RPC_E_DISCONNECTED;
    if (!IsSelf(child)) return E_INVALIDARG;
    facts = m_facts(*m_pControl);
    return S_OK;
  }

  // The platform's state of the window, with what the window itself says of its visibility
  // and input, and the facts over it.
  LONG State(VARIANT child, const AccessibleFacts& facts) const {
    VARIANT standard{};
    LONG state = SUCCEEDED(m_standard->get_accState(child, &standard)) && standard.vt == VT_I4
                     ? standard.lVal
                     : 0;
    if (!::IsWindowVisible(m_hWnd)) state |= STATE_SYSTEM_INVISIBLE;
    if (!::IsWindowEnabled(m_hWnd))
      state = (state | STATE_SYSTEM_UNAVAILABLE) & ~STATE_SYSTEM_FOCUSABLE;
    return AccessibleState(facts, state);
  }

  // The steps every question takes: an output to fill, cleared, and the control's facts now;
  // then `reply` with them.
  template <class Out, class Reply>
  HRESULT Answer(const VARIANT& child, Out* out, Reply reply) const {
    if (!out) return E_POINTER;
    Clear(*out);
    AccessibleFacts facts;
    if (const HRESULT hr = Facts(child, facts); FAILED(hr)) return hr;
    return reply(facts);
  }
  static void Clear(BSTR& text) { text = nullptr; }
  static void Clear(VARIANT& value) { value.vt = VT_EMPTY; }

  static HRESULT Number(LONG value, VARIANT* out) {
    out->vt = VT_I4;
    out->lVal = value;
    return S_OK;
  }

  HRESULT String(const CString& text, BSTR* out) const {
    *out = m_api.SysAllocStringLen(text.GetString(), static_cast<UINT>(text.GetLength()));
    return *out ? S_OK : E_OUTOFMEMORY;
  }

  LONG m_references = 1;
  const HWND m_hWnd;
  CWnd* const m_pControl;  // compared, and used only while its window is still bound to it
  const AccessibleFactsOf m_facts;
  IAccessible* const m_standard;  // owned reference
  const AccessibilityApi& m_api;
};

}  // namespace

LRESULT AnswerGetObject(CWnd& control, WPARAM wParam, LPARAM lParam, AccessibleFactsOf facts) {
  // The object id is a 32-bit value; on 64-bit Windows it arrives in a wider LPARAM.
  if (static_cast<DWORD>(lParam) != static_cast<DWORD>(OBJID_CLIENT)) return control.Default();
  const AccessibilityApi* api = Api();
  if (!api || !KeepApartment(api->apartmentSlot)) return control.Default();
  IAccessible* standard = nullptr;
  if (FAILED(api->CreateStdAccessibleObject(control.m_hWnd, OBJID_CLIENT, __uuidof(IAccessible),
                                            reinterpret_cast<void**>(&standard))) ||
      !standard) {
    return control.Default();
  }
  auto* object = new AccessibleControl(control, facts, standard, *api);
  const LRESULT result = api->LresultFromObject(__uuidof(IAccessible), wParam, object);
  object->Release();  // the marshalled reference, if any, keeps it
  // A failure comes back as a (negative) COM error; the platform's object then answers.
  return result > 0 ? result : control.Default();
}

void NotifyAccessibleStateChange(const CWnd& control) {
  if (control.m_hWnd)
    ::NotifyWinEvent(EVENT_OBJECT_STATECHANGE, control.m_hWnd, OBJID_CLIENT, CHILDID_SELF);
}
