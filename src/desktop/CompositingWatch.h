#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QTimer>

#include <optional>

namespace tockwise {

// Whether translucent windows are composited onto what lies below them. Without
// a compositing manager an X server shows the transparent pixels of a translucent
// window as black, so windows that are round or irregular must then cut
// themselves to shape. A compositing manager may start or stop at any time: while
// anyone listens, the X server tells of it (XFixes), or, without that extension,
// the display is asked again every few seconds.
class CompositingWatch : public QObject, public QAbstractNativeEventFilter
{
    Q_OBJECT

public:
    static CompositingWatch &shared();

    // Off X11 (Wayland composites everything; offscreen draws nothing) this is
    // always true.
    bool isCompositing() const { return mOverride.value_or(mCompositing); }

    // Stands in for the display in tests; none gives the display back.
    void setOverride(std::optional<bool> compositing);

Q_SIGNALS:
    void changed(bool compositing);

protected:
    void connectNotify(const QMetaMethod &signal) override;
    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    CompositingWatch();
    void check();

    bool mCompositing = true;
    std::optional<bool> mOverride;
    QTimer mPoll;
    bool mFollowing = false;
};

} // namespace tockwise
