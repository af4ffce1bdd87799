#include "app/TKWController.h"

#include "platform/UserDefaults.h"
#include "platform/ValueTransformer.h"
#include "settings/ClockDefaults.h"
#include "settings/TKWPathToAliasTransformer.h"
#include "settings/TKWSizeTransformer.h"

#include <mutex>

void TKWController::initialize()
{
    static std::once_flag once;
    std::call_once(once, [] {
        ValueTransformer::setValueTransformer(std::make_unique<TKWPathToAliasTransformer>(),
                                              QStringLiteral("TKWPathToAliasTransformer"));
        ValueTransformer::setValueTransformer(std::make_unique<TKWSizeTransformer>(),
                                              QStringLiteral("TKWSizeTransformer"));
        UserDefaults::standard().registerDefaults(ClockDefaults::controllerRegisteredDefaults());
    });
}
