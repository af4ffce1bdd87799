#pragma once

#include "graphics/Color.h"
#include "store/PropertyList.h"

#include <QStringList>

namespace tockwise {

// Where a clock's settings start from, and the defaults registered for the
// application: the stock values of a new clock, the fill-ins of a loaded file,
// and the registered user defaults.
namespace ClockDefaults {

// The face colour of a new clock: red and green 1, blue 240/255 in single precision.
Color faceColor();

// The hour labels of pip style 2, index i labelling hour i + 1; there is no label
// for hour 24.
QStringList romanNumerals();

// The stock values of the clock settings table, which every new clock starts
// with, built afresh on each call.
PropertyList::Dictionary defaultConfig();

// Fills the keys that older settings files may lack, each only when absent.
void applyFillIns(PropertyList::Dictionary &settings);

// "TKWRomanNumerals" and "TKWWindowLevel", registered by the application.
PropertyList::Dictionary controllerRegisteredDefaults();

} // namespace ClockDefaults

} // namespace tockwise
