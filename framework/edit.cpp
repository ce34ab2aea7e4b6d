#include "framework/edit.h"

IMPLEMENT_DYNAMIC(CEdit, CWnd)
