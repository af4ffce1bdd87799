#include "app/TKWApplication.h"

TKWApplication::TKWApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Tockwise"));
    setOrganizationDomain(QStringLiteral("tockwise.org"));
    setApplicationVersion(QStringLiteral(TOCKWISE_VERSION));
    setDesktopFileName(QStringLiteral("org.tockwise.Tockwise"));
    // Closing a settings panel or an alert must not end a program whose windows
    // are clocks.
    setQuitOnLastWindowClosed(false);
}
