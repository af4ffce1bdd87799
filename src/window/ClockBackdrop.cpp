#include "window/ClockBackdrop.h"

#include "desktop/CompositingWatch.h"
#include "desktop/x11/DesktopBackground.h"

#include <QEvent>
#include <QPainter>

namespace tockwise {

ClockBackdrop::ClockBackdrop(QWidget *window) : QWidget(window)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setGeometry(window->rect());
    // Above the face: the face copies parts of itself in place, which would wipe
    // out anything drawn before it. Drawn after it, the picture goes only where
    // the face leaves the window (partly) transparent, as a compositor would put it.
    raise();
    hide();
    // A drag moves the window many times a turn of the event loop: the picture is
    // fetched once, for where the window is at the end of the turn.
    mRefresh.setSingleShot(true);
    mRefresh.setInterval(0);
    connect(&mRefresh, &QTimer::timeout, this, &ClockBackdrop::refresh);
    window->installEventFilter(this);
    const auto refreshSoon = [this] { mRefresh.start(); };
    connect(&CompositingWatch::shared(), &CompositingWatch::changed, this, refreshSoon);
    connect(&DesktopBackground::shared(), &DesktopBackground::changed, this, refreshSoon);
}

bool ClockBackdrop::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parent()) {
        switch (event->type()) {
        case QEvent::Resize:
            setGeometry(parentWidget()->rect());
            [[fallthrough]];
        case QEvent::Show:
            // A child the window took after this one would be drawn after it.
            raise();
            [[fallthrough]];
        case QEvent::Move:
            mRefresh.start();
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ClockBackdrop::refresh()
{
    QWidget *window = parentWidget();
    mPicture = QImage();
    if (window->isVisible() && !CompositingWatch::shared().isCompositing()) {
        mPicture = DesktopBackground::under(window->windowHandle());
    }
    setVisible(!mPicture.isNull());
    update();
}

void ClockBackdrop::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_DestinationOver);
    painter.drawImage(0, 0, mPicture);
}

} // namespace tockwise
