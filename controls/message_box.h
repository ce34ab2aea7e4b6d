#pragma once
// CMessageBoxEx: the program's own modal message box. A borderless box with a red title
// band reading "提示", a close button in the band, one line of message text, and either a
// "是" / "否" pair or a single "好的" button. The only outcome it reports is whether the user
// pressed "是".

#include "controls/image_button.h"
#include "controls/image_text_button.h"
#include "controls/label.h"
#include "controls/message_box_layout.h"
#include "framework/afxwin.h"

class CMessageBoxEx : public CDialog {
  DECLARE_DYNAMIC(CMessageBoxEx)

public:
  // `bConfirm` nonzero asks yes/no; 0 shows a notice with one button. Creates no window:
  // DoModal runs the box over `pParent` (its return value means nothing to callers).
  CMessageBoxEx(const CString& strText, int bConfirm, CWnd* pParent);
  ~CMessageBoxEx() override;

  int m_bConfirm;
  // Read after DoModal: 1 if and only if the user pressed "是"; 0 for every other way out
  // (the other buttons, the close button, Enter, Esc, Alt+F4).
  int m_nResult = 0;

protected:
  // Sizes the box (the framework then centres it over its owner) and creates its controls.
  BOOL OnInitDialog() override;

  void OnPaint();
  void OnLButtonDown(UINT nFlags, CPoint point);
  void OnBtnClose();
  void OnBtnYes();
  void OnBtnNo();
  DECLARE_MESSAGE_MAP()

private:
  PixelRect m_dragBand;  // in client coordinates, at the DPI of construction
  CString m_strText;
  CStaticEx m_lblTitle;
  CImageButtonEx m_btnClose;
  CStaticEx m_lblMessage;
  CImageTextButtonEx m_btnFirst;   // "是", or the notice's "好的"
  CImageTextButtonEx m_btnSecond;  // "否"; no window in a notice
};
