#pragma once
// Resources that only the Windows-side tests link in.
#define IDB_TEST_NOT_A_PNG 900
#define IDD_TEST_HOST 901
#define IDD_TEST_HIDDEN 902
