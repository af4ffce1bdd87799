#include "app/TKWApplication.h"

#include "platform/AutostartEntry.h"

#include <QIcon>

TKWApplication::TKWApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Tockwise"));
    setOrganizationDomain(QStringLiteral("tockwise.org"));
    setApplicationVersion(QStringLiteral(TOCKWISE_VERSION));
    setDesktopFileName(QStringLiteral("org.tockwise.Tockwise"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/org.tockwise.Tockwise.svg")));
    // Closing a settings panel or an alert must not end a program whose windows
    // are clocks.
    setQuitOnLastWindowClosed(false);
}

bool TKWApplication::autoLaunch() const
{
    return autoLaunchOf(applicationFilePath());
}

void TKWApplication::setAutoLaunch(bool on)
{
    setAutoLaunchOf(applicationFilePath(), on);
    Q_EMIT autoLaunchChanged(autoLaunch());
}

bool TKWApplication::autoLaunchOf(const QString &executable)
{
    return AutostartEntry::isEstablished(executable);
}

void TKWApplication::setAutoLaunchOf(const QString &executable, bool on)
{
    if (on) {
        AutostartEntry::establish(executable);
    } else {
        AutostartEntry::remove(executable);
    }
}
