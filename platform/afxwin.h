#pragma once
// Everything the program's windows use of the stand-in, in one include.

#include "platform/app.h"
#include "platform/cstring.h"
#include "platform/data_exchange.h"
#include "platform/dialog.h"
#include "platform/gdi.h"
#include "platform/menu.h"
#include "platform/message_map.h"
#include "platform/messages.h"
#include "platform/msgbox.h"
#include "platform/resource_module.h"
#include "platform/wnd.h"
