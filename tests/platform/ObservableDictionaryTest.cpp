#include "platform/ObservableDictionary.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

const QString size = QStringLiteral("TKWClockSize");
const QString zone = QStringLiteral("TKWTimeZone");

} // namespace

TEST(ObservableDictionary, EveryChangeOfAKeyReachesItsObserversAtOnce)
{
    ObservableDictionary settings;
    QStringList seen;
    Observation o = settings.observe(size, [&](const QString &key) {
        // Synchronous: the new value is already there when we are told.
        const PropertyList *value = settings.value(key);
        seen << key + u'=' + (value ? QString::number(*value->intValue()) : QStringLiteral("-"));
    });
    settings.setValue(size, PropertyList::integer(200));
    settings.setValue(size, PropertyList::integer(200)); // an equal value is still a set
    settings.setValue(zone, PropertyList::string(QStringLiteral("UTC")));
    settings.removeValue(size);
    settings.removeValue(size); // nothing left to remove: no change
    settings.setValue(size, PropertyList::integer(64));
    settings.setValue(size, PropertyList()); // setting none removes
    EXPECT_EQ(seen,
              (QStringList{QStringLiteral("TKWClockSize=200"), QStringLiteral("TKWClockSize=200"),
                           QStringLiteral("TKWClockSize=-"), QStringLiteral("TKWClockSize=64"),
                           QStringLiteral("TKWClockSize=-")}));
    EXPECT_FALSE(settings.contains(size));
}

TEST(ObservableDictionary, ObservingAllKeysSeesEveryKey)
{
    ObservableDictionary settings;
    QStringList seen;
    Observation all = settings.observeAll([&](const QString &key) { seen << key; });
    settings.setValue(size, PropertyList::integer(1));
    settings.setValue(zone, PropertyList::string(QStringLiteral("UTC")));
    EXPECT_EQ(seen, (QStringList{size, zone}));
}

TEST(ObservableDictionary, AnEndedObservationHearsNothing)
{
    ObservableDictionary settings;
    int calls = 0;
    {
        Observation o = settings.observe(size, [&](const QString &) { ++calls; });
        settings.setValue(size, PropertyList::integer(1));
    }
    settings.setValue(size, PropertyList::integer(2));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(settings.observerCount(size), 0u);

    Observation moved = settings.observe(size, [&](const QString &) { ++calls; });
    Observation target = std::move(moved);
    EXPECT_FALSE(moved.isActive());
    settings.setValue(size, PropertyList::integer(3));
    EXPECT_EQ(calls, 2);
    target.reset();
    target.reset();
    settings.setValue(size, PropertyList::integer(4));
    EXPECT_EQ(calls, 2);
}

TEST(ObservableDictionary, AnObserverMayEndObservationsWhileBeingNotified)
{
    ObservableDictionary settings;
    QStringList order;
    Observation first;
    Observation second;
    Observation third;
    first = settings.observe(size, [&](const QString &) {
        order << QStringLiteral("first");
        first.reset();  // its own
        second.reset(); // a later one, in the same notification
    });
    second = settings.observe(size, [&](const QString &) { order << QStringLiteral("second"); });
    third = settings.observe(size, [&](const QString &) { order << QStringLiteral("third"); });
    settings.setValue(size, PropertyList::integer(1));
    EXPECT_EQ(order, (QStringList{QStringLiteral("first"), QStringLiteral("third")}));
    settings.setValue(size, PropertyList::integer(2));
    EXPECT_EQ(order.size(), 3);
    EXPECT_EQ(settings.observerCount(size), 1u);
}

TEST(ObservableDictionary, ObservationsMayOutliveTheDictionary)
{
    auto settings = std::make_shared<ObservableDictionary>();
    int calls = 0;
    Observation o = settings->observe(size, [&](const QString &) {
        ++calls;
        settings.reset(); // the last owner lets go while it notifies
    });
    Observation later = settings->observe(size, [&](const QString &) { ++calls; });
    settings->setValue(size, PropertyList::integer(1));
    EXPECT_EQ(calls, 1);
    o.reset(); // ending after the dictionary is gone is harmless
    later.reset();
}
