#include "framework/wnd.h"

#include "framework/dc.h"

namespace {
// The window property that points from a window to its bound object.
constexpr wchar_t kObjectProperty[] = L"Inkvane.CWnd";
}  // namespace

IMPLEMENT_DYNAMIC(CWnd, CObject)

const AFX_MSGMAP* CWnd::GetThisMessageMap() {
  static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr}};
  static const AFX_MSGMAP map{nullptr, entries};
  return &map;
}

const AFX_MSGMAP* CWnd::GetMessageMap() const { return GetThisMessageMap(); }

CWnd::~CWnd() {
  if (m_hWnd) ::DestroyWindow(m_hWnd);
  // A window of another thread cannot be destroyed from here: never leave it pointing at us.
  if (m_hWnd) Unbind();
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd) noexcept {
  return hWnd ? static_cast<CWnd*>(::GetPropW(hWnd, kObjectProperty)) : nullptr;
}

void CWnd::Attach(HWND hWnd) {
  m_hWnd = hWnd;
  ::SetPropW(hWnd, kObjectProperty, this);
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCWSTR lpszClassName, LPCWSTR lpszWindowName,
                    DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
  const HWND hWnd = ::CreateWindowExW(
      dwExStyle, lpszClassName, lpszWindowName, dwStyle, rect.left, rect.top,
      rect.right - rect.left, rect.bottom - rect.top, pParentWnd ? pParentWnd->m_hWnd : nullptr,
      reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)), ::GetModuleHandleW(nullptr), nullptr);
  return hWnd && SubclassWindow(hWnd);
}

BOOL CWnd::SubclassWindow(HWND hWnd) {
  Attach(hWnd);
  PreSubclassWindow();
  m_pfnSuper = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
  return TRUE;
}

BOOL CWnd::DestroyWindow() { return m_hWnd && ::DestroyWindow(m_hWnd); }

void CWnd::Unbind() {
  if (m_pfnSuper &&
      ::GetWindowLongPtrW(m_hWnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&AfxWndProc)) {
    ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
  }
  ::RemovePropW(m_hWnd, kObjectProperty);
  m_pfnSuper = nullptr;
  m_hWnd = nullptr;
}

LRESULT CALLBACK CWnd::AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  CWnd* wnd = FromHandlePermanent(hWnd);
  if (!wnd) return ::DefWindowProcW(hWnd, message, wParam, lParam);
  return wnd->Dispatch(message, wParam, lParam);
}

LRESULT CWnd::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  const CurrentMessage outer = m_current;
  m_current = {message, wParam, lParam};
  const LRESULT result = WindowProc(message, wParam, lParam);
  m_current = outer;
  if (message == WM_NCDESTROY && m_hWnd) {
    Unbind();
    PostNcDestroy();
  }
  return result;
}

LRESULT CWnd::Default() {
  const HWND hWnd = m_hWnd;
  if (!hWnd) return 0;
  if (!m_pfnSuper) return ::DefWindowProcW(hWnd, m_current.message, m_current.wParam, m_current.lParam);
  return ::CallWindowProcW(m_pfnSuper, hWnd, m_current.message, m_current.wParam, m_current.lParam);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (OnWndMsg(message, wParam, lParam, &result)) return result;
  if (ReflectChildNotify(message, wParam, lParam, &result)) return result;
  return Default();
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  // Every WM_CTLCOLOR* message is looked up as WM_CTLCOLOR with its control type.
  CtlColorParams colour{};
  if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) {
    const HWND control = reinterpret_cast<HWND>(lParam);
    colour = {FromHandlePermanent(control), control, message - WM_CTLCOLORMSGBOX};
    message = WM_CTLCOLOR;
    lParam = reinterpret_cast<LPARAM>(&colour);
  }
  for (const AFX_MSGMAP* map = GetMessageMap(); map;
       map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
    for (const AFX_MSGMAP_ENTRY* entry = map->lpEntries; entry->nMessage; ++entry) {
      if (entry->nMessage != message) continue;
      if (message == WM_COMMAND && entry->nCode != AFX_ANY_CODE) {
        const UINT code = HIWORD(wParam), id = LOWORD(wParam);
        if (entry->nCode != code || id < entry->nID || id > entry->nLastID) continue;
      }
      *pResult = entry->pfn(this, wParam, lParam);
      return TRUE;
    }
  }
  return FALSE;
}

BOOL CWnd::ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  HWND child = nullptr;
  if (message == WM_DRAWITEM) {
    const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (item->CtlType != ODT_MENU) child = item->hwndItem;
  } else if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) {
    child = reinterpret_cast<HWND>(lParam);
  }
  CWnd* target = FromHandlePermanent(child);
  return target && target != this && target->OnChildNotify(message, wParam, lParam, pResult);
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) {
    CtlColorParams colour{this, m_hWnd, message - WM_CTLCOLORMSGBOX};
    return OnWndMsg(WM_REFLECT_BASE + WM_CTLCOLOR, wParam, reinterpret_cast<LPARAM>(&colour), pResult);
  }
  return OnWndMsg(WM_REFLECT_BASE + message, wParam, lParam, pResult);
}

CString CWnd::GetWindowText() const {
  if (!m_hWnd) return {};
  const int length = ::GetWindowTextLengthW(m_hWnd);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  text.resize(static_cast<std::size_t>(::GetWindowTextW(m_hWnd, text.data(), length + 1)));
  return CString(std::move(text));
}

BOOL CWnd::ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags) {
  if (!HasWindow()) return FALSE;
  const DWORD style = GetStyle();
  const DWORD newStyle = (style & ~dwRemove) | dwAdd;
  if (style == newStyle) return FALSE;
  ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>(newStyle));
  if (nFlags) ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | nFlags);
  return TRUE;
}
