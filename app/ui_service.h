// The UI service lives with the platform operations, so the tray window
// and Pocklet use the same message boxes, input boxes and popup menus as the
// main window.
#pragma once

#include "platform/ui_service.h"
