#pragma once

#include <QImage>
#include <QTimer>
#include <QWidget>

namespace tockwise {

// Behind a clock's face, the piece of the desktop's background picture that lies
// under its window (DesktopBackground), while no compositing manager blends the
// window with the desktop: the half-transparent parts of the face then show the
// desktop through them, not black. The picture is fetched again when the window
// moves or is resized, when the desktop names another picture and when a
// compositor stops; a tick draws it from memory. With a compositor, or where the
// desktop names no picture, it is hidden and costs nothing.
class ClockBackdrop : public QWidget
{
    Q_OBJECT

public:
    // Lies above the other children of `window`, filling it, and draws behind
    // what they paint.
    explicit ClockBackdrop(QWidget *window);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void refresh();

    QImage mPicture;
    QTimer mRefresh;
};

} // namespace tockwise
