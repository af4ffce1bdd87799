#pragma once

#include <QApplication>
#include <QIcon>

namespace tockwise {

// The application object. Its one addition is the login item: whether the session
// starts Tockwise at login.
class TKWApplication : public QApplication
{
    Q_OBJECT
    Q_PROPERTY(bool autoLaunch READ autoLaunch WRITE setAutoLaunch NOTIFY autoLaunchChanged)

public:
    TKWApplication(int &argc, char **argv);

    // Asks the autostart folder on every call, so that a change made by the
    // desktop's own settings shows at once.
    bool autoLaunch() const;
    void setAutoLaunch(bool on);

    // The same for a given executable, where no application object exists: a start
    // that only switches the setting runs with a bare core application.
    static bool autoLaunchOf(const QString &executable);
    static void setAutoLaunchOf(const QString &executable, bool on);

    // The dial of the menu entry, for windows and the status item.
    static QIcon applicationIcon();

Q_SIGNALS:
    // After every write, with the value read back: a failed write leaves a bound
    // control showing what the folder really holds.
    void autoLaunchChanged(bool autoLaunch);
};

} // namespace tockwise
