// Every text the user may see has an English and a German translation.

#include "app/StringTable.h"

#include "Support.h"

#include <QTranslator>

using namespace tockwise;

TEST(StringTable, EveryKeyHasAnEnglishAndAGermanText)
{
    const QStringList keys = StringTable::keys();
    ASSERT_FALSE(keys.isEmpty());
    for (const char *language : {"en", "de"}) {
        QTranslator translation;
        ASSERT_TRUE(translation.load(QString(":/i18n/tockwise_%1.qm").arg(language)));
        for (const QString &key : keys) {
            EXPECT_NE(translation.translate(StringTable::context, key.toUtf8().constData()), "")
                << language << ": " << key.toStdString();
        }
    }
}
