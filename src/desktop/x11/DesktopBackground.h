#pragma once

#include <QAbstractNativeEventFilter>
#include <QImage>
#include <QObject>

class QWindow;

namespace tockwise {

// The picture a desktop puts behind every window: the root window's background,
// which desktops name in the root's _XROOTPMAP_ID (or ESETROOT_PMAP_ID) property.
// Without a compositing manager nothing blends a translucent window with what is
// below it, so a window that draws the piece of this picture under itself beneath
// its own paint shows as it would composited over the desktop.
class DesktopBackground : public QObject, public QAbstractNativeEventFilter
{
    Q_OBJECT

public:
    static DesktopBackground &shared();

    // The piece of the picture under `window`, in device pixels and as large as the
    // window: tiled from the root's origin as the X server tiles a background,
    // transparent where the window lies off the screen. Null where the root names
    // no picture of 24 or 32 bits, and off X11. Each call asks the X server, so
    // it is for a move, a resize or a new picture, never for a tick.
    static QImage under(QWindow *window);

Q_SIGNALS:
    // The root names another picture, or none any more.
    void changed();

protected:
    void connectNotify(const QMetaMethod &signal) override;
    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    DesktopBackground() = default;

    bool mFollowing = false;
};

} // namespace tockwise
