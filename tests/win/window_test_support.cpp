#include "window_test_support.h"

BEGIN_MESSAGE_MAP(CTestHost, CDialog)
  ON_MESSAGE(WM_COMMAND, OnCommandProbe)
END_MESSAGE_MAP()
