#pragma once

#include "settings/SettingKinds.h"
#include "store/PropertyList.h"

#include <QString>

#include <span>

namespace tockwise {

class ObservableDictionary;
struct ClockModel;

// Every clock setting, declared once: its key, what it holds, what a new clock
// starts with, the model's field it is read into and what a change of it asks of
// the clock's view. The kinds and their messages, the stock settings, the model's
// reading, the view's reactions and the migration of the single clock of older
// versions all go through this table, so that a new setting is one row of it.
namespace ClockSettings {

// What a change of a setting asks of the clock's view.
enum class Change
{
    None,    // nothing the view shows
    Redraw,  // drawn again: a colour, the opacity, the fading
    Readout, // drawn again; a digital clock's window follows the length of its readout
    Resize,  // the window takes the size the clock now has
    Picture, // the face picture is taken again, and the window follows it
    Dial,    // the dial on a picture moved; its writer asks for nothing more
    All,     // any setting may have changed: the clock is configured afresh
};

struct Setting
{
    QString key;
    SettingKinds::Kind kind;
    // The range of a number, inclusive.
    double low = 0;
    double high = 0;
    // What a new clock starts with; none where it starts without the key.
    PropertyList stock = {};
    // Reads the stored value into the model; none where the model keeps nothing
    // of it. `settings` is there for the values a setting falls back on.
    void (*read)(ClockModel &model, const ObservableDictionary &settings,
                 const QString &key) = nullptr;
    Change change = Change::None;
    // The single clock of older versions kept it in the user defaults, from which
    // the first launch of this one carries it over.
    bool singleClock = false;
};

std::span<const Setting> all();
// Null for a key that is no clock setting.
const Setting *find(const QString &key);
// None for a key that is no clock setting.
Change changeOf(const QString &key);

} // namespace ClockSettings

} // namespace tockwise
