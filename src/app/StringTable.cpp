#include "app/StringTable.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

namespace tockwise {

namespace {

// Written out here, not built from the constants, so that lupdate finds them.
constexpr const char *knownKeys[] = {
    //: Message of the alert shown before the last clock is removed.
    QT_TRANSLATE_NOOP("StringTable", "LastClockTitle"),
    //: Informative text of that alert.
    QT_TRANSLATE_NOOP("StringTable", "LastClockWarning"),
    //: The button that removes the last clock.
    QT_TRANSLATE_NOOP("StringTable", "Yes"),
    //: The button that keeps the last clock.
    QT_TRANSLATE_NOOP("StringTable", "No"),
    //: Shown once, when click-through is first switched on.
    QT_TRANSLATE_NOOP("StringTable", "ClickThroughWarning"),
    //: Closes the click-through explanation.
    QT_TRANSLATE_NOOP("StringTable", "OK"),
    //: Tool tip of the status-bar icon while click-through is on.
    QT_TRANSLATE_NOOP("StringTable", "Click here to cancel Tockwise's click-through feature."),
    //: Title of the first column of the zone browser of the New Clock panel.
    QT_TRANSLATE_NOOP("StringTable", "Region"),
};

const QString resourceFolder = QStringLiteral(":/i18n");
const QString baseName = QStringLiteral("tockwise");

QPointer<QTranslator> &installed()
{
    static QPointer<QTranslator> translator;
    return translator;
}

QPointer<QTranslator> &installedForQt()
{
    static QPointer<QTranslator> translator;
    return translator;
}

void uninstall(QPointer<QTranslator> &slot)
{
    if (QTranslator *previous = slot) {
        QCoreApplication::removeTranslator(previous);
        delete previous;
    }
}

// Qt's buttons and dialogs speak the language Tockwise's own texts were found in,
// not the next one down the user's list: a German panel with French buttons would
// be worse than either. Qt's source texts are English, so English needs nothing.
void installQtTranslation(const QString &language)
{
    if (language.isEmpty() || language == u"en" || language.startsWith(u"en_")) {
        return;
    }
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QLocale(language), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return;
    }
    QCoreApplication::installTranslator(translator);
    installedForQt() = translator;
}

} // namespace

namespace StringTable {

QString localizedString(const QString &key)
{
    return QCoreApplication::translate(context, key.toUtf8().constData());
}

QStringList keys()
{
    QStringList all;
    for (const char *key : knownKeys) {
        all << QString::fromUtf8(key);
    }
    return all;
}

bool install()
{
    return install(QLocale::system());
}

bool install(const QLocale &locale)
{
    if (!QCoreApplication::instance()) {
        return false;
    }
    uninstall(installedForQt());
    uninstall(installed());
    auto *translator = new QTranslator(QCoreApplication::instance());
    const bool loaded = translator->load(locale, baseName, QStringLiteral("_"), resourceFolder) ||
                        translator->load(baseName + QStringLiteral("_en"), resourceFolder);
    if (!loaded) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    installed() = translator;
    installQtTranslation(translator->language());
    return true;
}

} // namespace StringTable

} // namespace tockwise
