#pragma once
// The dialog framework the program is written against: one include for all of it.
#include "framework/button.h"
#include "framework/dc.h"
#include "framework/dialog.h"
#include "framework/gdi.h"
#include "framework/message_map.h"
#include "framework/runtime_class.h"
#include "framework/types.h"
#include "framework/wnd.h"
#include "framework/winapp.h"
