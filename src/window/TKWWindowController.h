#pragma once

#include "platform/PropertyList.h"

// Owns one clock: its settings, its settings file and its window.
class TKWWindowController
{
public:
    // The settings a new clock starts from, built afresh on every call.
    static PropertyList::Dictionary defaultConfig();
};
