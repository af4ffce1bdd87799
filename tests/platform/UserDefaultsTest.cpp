#include "platform/UserDefaults.h"

#include "platform/PropertyListFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString level = QStringLiteral("TKWWindowLevel");
const QString clickThrough = QStringLiteral("TKWClickThrough");

class UserDefaultsTest : public ::testing::Test
{
protected:
    QString file() const { return dir.filePath(QStringLiteral("config/defaults.plist")); }
    QTemporaryDir dir;
};

} // namespace

TEST_F(UserDefaultsTest, UserValuesHideRegisteredOnesAndOnlyUserValuesAreWritten)
{
    {
        UserDefaults defaults(file());
        defaults.registerDefaults({{level, PropertyList::integer(0)},
                                   {QStringLiteral("TKWClockSize"), PropertyList::integer(128)}});
        EXPECT_EQ(defaults.integerForKey(level), 0);
        EXPECT_EQ(defaults.integerForKey(QStringLiteral("TKWClockSize")), 128);
        EXPECT_FALSE(defaults.boolForKey(clickThrough));
        EXPECT_TRUE(defaults.objectForKey(QStringLiteral("Nothing")).isNone());

        defaults.setInteger(level, 3);
        defaults.setBool(clickThrough, true);
        EXPECT_EQ(defaults.integerForKey(level), 3);
        defaults.removeObjectForKey(level);
        EXPECT_EQ(defaults.integerForKey(level), 0); // the registered value again
        defaults.setObject(QStringLiteral("Name"), PropertyList::string(QStringLiteral("x")));
        EXPECT_EQ(defaults.stringForKey(QStringLiteral("Name")), QStringLiteral("x"));
    }
    const auto stored = PropertyListFile::read(file());
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(*stored, (PropertyList::Dictionary{
                           {clickThrough, PropertyList::boolean(true)},
                           {QStringLiteral("Name"), PropertyList::string(QStringLiteral("x"))}}));

    UserDefaults again(file());
    EXPECT_TRUE(again.boolForKey(clickThrough));
}

TEST_F(UserDefaultsTest, ChangesReachTheFileWithinOneTurnOfTheEventLoop)
{
    UserDefaults defaults(file());
    defaults.setBool(clickThrough, true);
    defaults.setInteger(level, 1);
    QCoreApplication::processEvents();
    const auto stored = PropertyListFile::read(file());
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->value(level), PropertyList::integer(1));
}

TEST_F(UserDefaultsTest, ObserversHearEveryChangeOfTheirKey)
{
    UserDefaults defaults(file());
    QStringList seen;
    Observation o = defaults.observe(level, [&](const QString &key) {
        seen << key + u'=' + QString::number(defaults.integerForKey(key));
    });
    defaults.setInteger(level, 1);
    defaults.setBool(clickThrough, true);
    defaults.removeObjectForKey(level);
    EXPECT_EQ(seen, (QStringList{QStringLiteral("TKWWindowLevel=1"),
                                 QStringLiteral("TKWWindowLevel=0")}));
}

TEST_F(UserDefaultsTest, AnUnreadableFileIsKeptAsideNotOverwritten)
{
    QDir().mkpath(QFileInfo(file()).absolutePath());
    {
        QFile damaged(file());
        ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
        damaged.write("not a property list");
    }
    {
        UserDefaults defaults(file());
        EXPECT_FALSE(defaults.boolForKey(clickThrough));
        defaults.setBool(clickThrough, true);
    }
    QFile aside(file() + QStringLiteral(".unreadable"));
    ASSERT_TRUE(aside.open(QIODevice::ReadOnly));
    EXPECT_EQ(aside.readAll(), QByteArray("not a property list"));
    EXPECT_TRUE(UserDefaults(file()).boolForKey(clickThrough));
}

TEST_F(UserDefaultsTest, AnUnwritableFileIsReportedNotClaimedSaved)
{
    // A folder stands where the file should be: nothing can be written there.
    QDir().mkpath(file());
    UserDefaults defaults(file());
    defaults.setBool(clickThrough, true);
    EXPECT_FALSE(defaults.synchronize());
    EXPECT_TRUE(defaults.boolForKey(clickThrough)); // the value lives on in memory
    EXPECT_TRUE(QFileInfo(file()).isDir());
}
