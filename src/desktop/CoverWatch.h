#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWindow>

#include <vector>

namespace tockwise {

// Whether windows are wholly hidden under other windows, so that they need not
// draw what nobody can see. X reports that (VisibilityNotify) only for windows it
// does not redirect, and a translucent window on a plain screen is always
// redirected, so the watch reckons it from the stacking order of the screen's
// top-level windows instead. Only opaque windows (of the screen's own depth) count
// as cover; translucent ones let the window below show through. (An opaque
// window cut to a shape is taken as its whole rectangle.)
//
// The watch follows the screen's windows as they map, unmap, move and restack,
// and reckons again a moment after such changes. Off X11 a window is never
// reported covered.
class CoverWatch : public QObject, public QAbstractNativeEventFilter
{
    Q_OBJECT

public:
    static CoverWatch &shared();

    // Follows a top-level window from now on, until it is destroyed.
    void watch(QWindow *window);
    bool isCovered(const QWindow *window) const;

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

Q_SIGNALS:
    void coveredChanged(QWindow *window, bool covered);

private:
    CoverWatch();
    void check();

    struct Watched
    {
        QPointer<QWindow> window;
        bool covered = false;
    };
    std::vector<Watched> mWatched;
    QTimer mSettle;
    bool mListening = false;
};

} // namespace tockwise
