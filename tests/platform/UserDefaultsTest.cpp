// Settings: registered values stand in, only the user's are written, observers hear all.

#include "store/UserDefaults.h"

#include "Support.h"
#include "store/ObservableDictionary.h"
#include "store/PropertyListFile.h"

using namespace tockwise;

TEST(UserDefaults, UserValuesHideRegisteredOnesAndOnlyUserValuesAreWritten)
{
    Scratch dir;
    const QString file = dir.filePath("config/defaults.plist");
    {
        UserDefaults defaults(file);
        defaults.registerDefaults({{"TKWWindowLevel", PropertyList::integer(0)},
                                   {"TKWClockSize", PropertyList::integer(128)}});
        QStringList seen;
        Observation o = defaults.observe("TKWWindowLevel", [&](const QString &key) {
            seen << QString::number(defaults.integerForKey(key));
        });
        EXPECT_EQ(defaults.integerForKey("TKWClockSize"), 128);
        EXPECT_FALSE(defaults.boolForKey("TKWClickThrough"));
        defaults.setInteger("TKWWindowLevel", 3);
        defaults.setBool("TKWClickThrough", true);
        defaults.removeObjectForKey("TKWWindowLevel");
        defaults.setObject("Name", PropertyList::string("x"));
        EXPECT_EQ(seen, (QStringList{"3", "0"})) << "the registered value again";
        QCoreApplication::processEvents(); // one turn of the event loop writes it
        EXPECT_EQ(PropertyListFile::read(file),
                  (PropertyList::Dictionary{{"TKWClickThrough", PropertyList::boolean(true)},
                                            {"Name", PropertyList::string("x")}}));
    }
    EXPECT_TRUE(UserDefaults(file).boolForKey("TKWClickThrough"));
}

TEST(UserDefaults, AnUnreadableFileIsKeptAsideNotOverwritten)
{
    Scratch dir;
    const QString file = dir.filePath("defaults.plist");
    ASSERT_TRUE(writeFile(file, "not a property list"));
    {
        UserDefaults defaults(file);
        defaults.setBool("TKWClickThrough", true);
    }
    EXPECT_EQ(readFile(file + ".unreadable"), "not a property list");
    EXPECT_TRUE(UserDefaults(file).boolForKey("TKWClickThrough"));
}

TEST(ObservableDictionary, ObserversHearEveryChangeAtOnceUntilTheirObservationEnds)
{
    auto settings = std::make_shared<ObservableDictionary>();
    QStringList heard;
    const auto note = [&](const char *who) {
        return [&, who](const QString &key) {
            const PropertyList *value = settings ? settings->value(key) : nullptr;
            heard << QString("%1 %2=%3")
                         .arg(who, key, value ? QString::number(*value->intValue()) : "-");
        };
    };
    Observation size = settings->observe("TKWClockSize", note("size")), all, ending, later;
    all = settings->observeAll([&](const QString &key) {
        note("all")(key);
        all.reset();   // its own, while notified
        later.reset(); // a later one, in the same notification
    });
    later = settings->observe("TKWClockSize", note("later"));
    settings->setValue("TKWClockSize", PropertyList::integer(200));
    settings->setValue("TKWClockSize", PropertyList::integer(200)); // equal, still a change
    settings->removeValue("TKWClockSize");
    settings->removeValue("TKWClockSize"); // nothing left to remove
    settings->setValue("TKWOpacity", PropertyList::integer(1));
    ending = settings->observe("TKWClockSize", [&](const QString &key) {
        note("ending")(key);
        settings.reset(); // the last owner lets go while it notifies
    });
    later = settings->observe("TKWClockSize", note("later"));
    settings->setValue("TKWClockSize", PropertyList());
    settings->setValue("TKWClockSize", PropertyList::integer(64));
    EXPECT_EQ(heard, (QStringList{"size TKWClockSize=200", "all TKWClockSize=200",
                                  "size TKWClockSize=200", "size TKWClockSize=-",
                                  "size TKWClockSize=64", "ending TKWClockSize=64"}));
    size.reset(); // ending after the dictionary is gone is harmless
}
