#pragma once
// The edit box: a flat framed box (CEditEx, an owner-drawn static) holding a one-line
// text field (CCustomDrawEdit, a platform edit control in its own colours), which the frame
// creates inside itself the first time it is drawn. The frame's caption is never drawn: it
// names the field for a screen reader.

#include "framework/afxwin.h"
#include "framework/edit.h"

class CCustomDrawEdit : public CEdit {
  DECLARE_DYNAMIC(CCustomDrawEdit)

public:
  CCustomDrawEdit();
  ~CCustomDrawEdit() override;

  // Sets m_crBackground and remakes the background brush in that colour. Takes effect at
  // the field's next paint.
  void SetBackgroundColour(COLORREF colour);

  COLORREF m_crBackground = RGB(241, 241, 241);  // behind the text; set with SetBackgroundColour
  COLORREF m_crText = RGB(255, 0, 0);            // from the field's next paint on

protected:
  // The field's colour request, handed back by its parent.
  HBRUSH CtlColor(CDC* pDC, UINT nCtlColor);
  BOOL OnEraseBkgnd(CDC* pDC);
  // Answers a screen reader (controls/accessible_object.h): a text field named by the
  // frame's caption, whose value is the field's text.
  LRESULT OnGetObject(WPARAM wParam, LPARAM lParam);
  DECLARE_MESSAGE_MAP()

private:
  CBrush m_brBackground;
};

class CEditEx : public CStatic {
  DECLARE_DYNAMIC(CEditEx)

public:
  CEditEx();
  // Destroys the frame, and with it the field, before the field's font and brushes go.
  ~CEditEx() override;

  // Makes the frame's face and the field's background white, and repaints both.
  void SetBackgroundWhite();
  // Stores `strText` and repaints the frame, whose next draw puts it into the field.
  void SetText(const CString& strText);

  // Draws the frame; the first draw creates the field, and every draw puts the background
  // and enabled state into it again, and the stored text where the field does not hold it
  // already. What the user types is stored as it changes, so a draw never takes it back
  // and never moves the caret.
  void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;

  // The text field. No window until the frame's first draw; the owner reads the text the
  // user chose with its GetWindowText and sets its m_crText.
  CCustomDrawEdit m_edit;
  int m_nCornerRadius = 0;                // corner ellipse of the frame; 0: square corners
  COLORREF m_crBorder = RGB(209, 209, 209);  // the frame's 1-pixel outline
  BOOL m_bPassword = FALSE;               // nonzero: the field shows "*" for every character
  BOOL m_bDisabled = FALSE;               // nonzero: the field takes no focus and no input

protected:
  // Makes the frame owner-drawn and notifying whatever style the owner gave.
  void PreSubclassWindow() override;
  BOOL OnEraseBkgnd(CDC* pDC);
  void OnNcPaint();
  void OnFieldChange();
  DECLARE_MESSAGE_MAP()

private:
  void CreateField();
  void ApplyToField();
  void PutTextIntoField();

  COLORREF m_crFill = RGB(209, 209, 209);  // the frame's face and the field's background
  CBrush m_brFill;
  CString m_strText;
  CFont m_fontField;
};
