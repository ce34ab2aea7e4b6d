#include "modal_test_support.h"

BEGIN_MESSAGE_MAP(CModalOwner, CTestHost)
  ON_MESSAGE(WM_RUN_ON_UI_THREAD, OnRun)
END_MESSAGE_MAP()
