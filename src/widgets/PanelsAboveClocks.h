#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

class QWidget;
class QWindow;

namespace tockwise {

// Clocks float above ordinary windows, so a panel or an alert would open under
// the clocks it is about. Each one the program opens floats at the clocks' level,
// and is raised above them whenever a clock may have come over it: when a clock
// is shown or changes its level, or takes the focus (a window manager raises what
// it focuses). Without a window manager nothing else restacks a window.
//
// Among themselves the panels keep the order they were last shown or used in, so
// that one opened from another, or a modal one, stays in front.
class PanelsAboveClocks : public QObject
{
    Q_OBJECT

public:
    static PanelsAboveClocks &shared();

    // For a panel or an alert not shown yet: a window's level is fixed when the
    // window system makes it, and Qt makes it anew for another.
    void add(QWidget *panel);
    // Once the window system has what was just asked of a clock, the panels go
    // above it.
    void raiseSoon();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    PanelsAboveClocks();
    void focusChanged(QWindow *window);
    void raisePanels();

    QList<QPointer<QWidget>> mPanels; // the one last shown or used last
    bool mRaiseQueued = false;
};

} // namespace tockwise
