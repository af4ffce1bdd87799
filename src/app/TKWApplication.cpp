#include "app/TKWApplication.h"

#include "desktop/AutostartEntry.h"

#include <QFile>
#include <QIcon>
#include <QImage>
#include <QPixmap>

namespace tockwise {

TKWApplication::TKWApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Tockwise"));
    setOrganizationDomain(QStringLiteral("tockwise.org"));
    setApplicationVersion(QStringLiteral(TOCKWISE_VERSION));
    setDesktopFileName(QStringLiteral("org.tockwise.Tockwise"));
    setWindowIcon(applicationIcon());
    // Closing a settings panel or an alert must not end a program whose windows
    // are clocks.
    setQuitOnLastWindowClosed(false);
}

QIcon TKWApplication::applicationIcon()
{
    // Raw pixels drawn at build time: decoding a picture file would load every
    // image plugin Qt has, at every start.
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64}) {
        QFile file(QStringLiteral(":/icons/%1.argb").arg(size));
        if (!file.open(QIODevice::ReadOnly)) {
            continue;
        }
        const QByteArray bytes = file.readAll();
        if (bytes.size() != qsizetype(size) * size * 4) {
            continue;
        }
        const QImage image(reinterpret_cast<const uchar *>(bytes.constData()), size, size,
                           QImage::Format_ARGB32_Premultiplied);
        // A deep copy: the image must outlive the bytes it was read from.
        icon.addPixmap(QPixmap::fromImage(image.copy()));
    }
    return icon;
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

} // namespace tockwise
