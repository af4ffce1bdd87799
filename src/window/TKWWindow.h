#pragma once

#include "store/Observation.h"

#include <QImage>
#include <QPoint>
#include <QPointer>
#include <QRegion>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

namespace tockwise {

// The window of one clock: no frame, no background, no taskbar entry, dragged by
// any point of its face. It follows three settings that all clocks share while it
// lives: its level ("TKWWindowLevel": above other windows, or down among the
// desktop icons), click-through ("TKWClickThrough") and presence on every
// workspace ("TKWAllSpaces").
class LayerSurface;

class TKWWindow : public QWidget
{
    Q_OBJECT

public:
    enum class Level
    {
        Floating,
        DesktopIcons
    };

    // The window takes `content` (the clock view), which fills it.
    explicit TKWWindow(QWidget *content = nullptr);
    ~TKWWindow() override;

    QWidget *content() const { return mContent; }

    void observeValueForKeyPath(const QString &key);

    Level level() const;
    void setLevel(Level level);
    bool ignoresMouseEvents() const;
    void setIgnoresMouseEvents(bool ignores);
    bool isOnAllWorkspaces() const { return mOnAllWorkspaces; }
    void setOnAllWorkspaces(bool onAll);

    // What the content paints within `area` (window coordinates), as an image of
    // that part at the given device pixel ratio. Where no compositing manager
    // blends the window onto the desktop, the window is cut to the pixels this
    // paints (see CompositingWatch).
    using ShapeSource = std::function<QImage(qreal devicePixelRatio, const QRect &area)>;
    // What the content paints under all that moves, as an image of the whole
    // window; it may change only with a repaint of the whole window. Where a later
    // paint lies within it, the shape cannot change there, so a ticking clock need
    // not be drawn again to be cut. Null where nothing stays.
    using SteadySource = std::function<QImage(qreal devicePixelRatio)>;
    void setShapeSource(ShapeSource source, SteadySource steady = {});
    // The window's shape now: empty when it is not cut to shape.
    QRegion shape() const { return mShape; }
    // The content painted: `changed` (its coordinates) holds every pixel that may
    // differ from before. A window cut to shape takes its shape again from it.
    void contentPainted(const QRegion &changed);

Q_SIGNALS:
    // The right button asks for the clock's menu at a point on the screen; the
    // Menu key and Shift+F10 ask for it at the clock's centre.
    void menuRequested(const QPoint &globalPosition);
    // The window was moved or resized by anyone.
    void frameChanged();
    // The window came to lie wholly under other windows, or out from under them.
    void coveredChanged(bool covered);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void setWindowFlag(Qt::WindowType flag, bool on);
    void syncPositionWithScreen();
    // Takes the whole shape afresh.
    void updateShape();
    // Takes the shape again where the content was painted since the last time.
    void updatePaintedShape();
    static std::vector<QPointer<TKWWindow>> &windowsAwaitingShape();
    void applyShape(QRegion shape);
    // Whether a paint calls for the whole shape to be taken again, and the part of
    // the window it may have changed otherwise.
    bool needsWholeShape(const QRegion &painted) const;
    QRect reshapedArea(const QRegion &painted) const;
    bool paintMayReshape(const QRegion &painted) const;

    QWidget *mContent = nullptr;
    bool mOnAllWorkspaces = false;
    // Where the Wayland desktop offers layers, the clock is one; else null.
    LayerSurface *mLayer = nullptr;
    // Where a layer was and the pointer on it when a drag began.
    struct LayerDrag
    {
        QPoint start;
        QPoint pressed;
    } mLayerDrag;
    // Set while the window follows the pointer itself, where the window manager
    // offers no move of its own.
    std::optional<QPoint> mDragOffset;
    bool mSystemMove = false;
    std::vector<Observation> mObservations;
    QTimer mPositionCheck;
    ShapeSource mShapeSource;
    SteadySource mSteadySource;
    QRegion mShape;
    // The part of the shape that the steady paint holds, at this pixel ratio.
    QRegion mSteadyShape;
    qreal mShapeRatio = 0;
    QRegion mPaintedSinceShape;
    bool mShapePending = false;
};

} // namespace tockwise
