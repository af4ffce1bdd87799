#include "app/TKWController.h"

#include "platform/UserDefaults.h"
#include "settings/ClockDefaults.h"

#include <mutex>

void TKWController::initialize()
{
    static std::once_flag once;
    std::call_once(once, [] {
        UserDefaults::standard().registerDefaults(ClockDefaults::controllerRegisteredDefaults());
    });
}
