#include "window/TKWWindowController.h"

#include "settings/ClockDefaults.h"

PropertyList::Dictionary TKWWindowController::defaultConfig()
{
    return ClockDefaults::defaultConfig();
}
