#include "widgets/PanelsAboveClocks.h"

#include <QEvent>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <utility>

namespace tockwise {

PanelsAboveClocks &PanelsAboveClocks::shared()
{
    static PanelsAboveClocks *panels = new PanelsAboveClocks;
    return *panels;
}

PanelsAboveClocks::PanelsAboveClocks()
{
    setParent(qApp);
    connect(qApp, &QGuiApplication::focusWindowChanged, this, &PanelsAboveClocks::focusChanged);
}

void PanelsAboveClocks::add(QWidget *panel)
{
    panel->setWindowFlag(Qt::WindowStaysOnTopHint);
    panel->installEventFilter(this);
}

bool PanelsAboveClocks::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Show) {
        auto *panel = static_cast<QWidget *>(watched);
        mPanels.removeAll(panel);
        mPanels.append(panel);
        // A window manager may map a window it does not focus below the focused one.
        raiseSoon();
    }
    return QObject::eventFilter(watched, event);
}

void PanelsAboveClocks::focusChanged(QWindow *window)
{
    const auto used = std::find_if(mPanels.cbegin(), mPanels.cend(), [window](const auto &panel) {
        return panel && panel->windowHandle() == window;
    });
    if (used != mPanels.cend()) {
        const QPointer<QWidget> panel = *used;
        mPanels.erase(used);
        mPanels.append(panel);
    } else if (window) {
        raiseSoon();
    }
}

void PanelsAboveClocks::raiseSoon()
{
    // Queued behind the requests that show or restack the clock, which go to the
    // X server when the event loop next runs.
    if (!std::exchange(mRaiseQueued, true)) {
        QMetaObject::invokeMethod(this, &PanelsAboveClocks::raisePanels, Qt::QueuedConnection);
    }
}

void PanelsAboveClocks::raisePanels()
{
    mRaiseQueued = false;
    mPanels.removeIf([](const QPointer<QWidget> &panel) { return panel.isNull(); });
    for (const QPointer<QWidget> &panel : std::as_const(mPanels)) {
        if (panel->isVisible() && !panel->isMinimized()) {
            panel->raise();
        }
    }
}

} // namespace tockwise
