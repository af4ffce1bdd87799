#include "window/TKWWindow.h"

#include "desktop/CompositingWatch.h"
#include "desktop/CoverWatch.h"
#include "desktop/wayland/LayerShell.h"
#include "desktop/x11/X11Desktop.h"
#include "settings/SettingsKeys.h"
#include "store/UserDefaults.h"
#include "widgets/PanelsAboveClocks.h"
#include "window/ClockBackdrop.h"
#include "window/PaintedRegion.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QTransform>
#include <QWindow>

#include <cmath>
#include <utility>

namespace tockwise {

namespace {

Qt::WindowFlags clockWindowFlags()
{
    // A tool window has no taskbar entry; without a frame or a shadow only what
    // the clock paints is seen. It takes the keyboard focus when clicked or given
    // it by the window manager, for its menu's keys and for a screen reader; it
    // never takes it by showing itself (Qt::WA_ShowWithoutActivating).
    return Qt::Window | Qt::Tool | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint |
           Qt::WindowStaysOnTopHint;
}

constexpr int positionCheckDelayMs = 100;

} // namespace

TKWWindow::TKWWindow(QWidget *content) : QWidget(nullptr, clockWindowFlags()), mContent(content)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
    setFocusPolicy(Qt::StrongFocus);
    if (mContent) {
        mContent->setParent(this);
        mContent->setGeometry(rect());
    }
    // Where nothing composites the window, the desktop's picture shows through
    // the face.
    new ClockBackdrop(this);
    // A layer is on every workspace by nature, and takes the keyboard only when
    // clicked.
    mLayer =
        LayerSurface::attach(this, LayerSurface::Layer::Top, LayerSurface::Keyboard::WhenClicked);

    // A window manager that reparents a window as it maps it can leave Qt with a
    // stale idea of where the window is (seen as a jump to the screen's corner);
    // every move is checked against the X server once it has settled.
    mPositionCheck.setSingleShot(true);
    mPositionCheck.setInterval(positionCheckDelayMs);
    connect(&mPositionCheck, &QTimer::timeout, this, &TKWWindow::syncPositionWithScreen);

    connect(&CoverWatch::shared(), &CoverWatch::coveredChanged, this,
            [this](QWindow *window, bool covered) {
                if (window == windowHandle()) {
                    Q_EMIT coveredChanged(covered);
                }
            });

    UserDefaults &defaults = UserDefaults::standard();
    if (defaults.boolForKey(Keys::AllSpaces)) {
        setOnAllWorkspaces(true);
    }
    if (defaults.boolForKey(Keys::ClickThrough)) {
        setIgnoresMouseEvents(true);
    }
    if (defaults.integerForKey(Keys::WindowLevel) != 0) {
        setLevel(Level::DesktopIcons);
    }
    for (const QString &key : {Keys::AllSpaces, Keys::ClickThrough, Keys::WindowLevel}) {
        mObservations.push_back(defaults.observe(
            key, [this](const QString &changed) { observeValueForKeyPath(changed); }));
    }
}

// The observations end with their members, before the widget goes.
TKWWindow::~TKWWindow() = default;

void TKWWindow::observeValueForKeyPath(const QString &key)
{
    const UserDefaults &defaults = UserDefaults::standard();
    if (key == Keys::AllSpaces) {
        // Unlike "move to the active workspace", this puts a living window on every
        // workspace at once, as a window made while the setting was on.
        setOnAllWorkspaces(defaults.boolForKey(Keys::AllSpaces));
    } else if (key == Keys::ClickThrough) {
        setIgnoresMouseEvents(defaults.boolForKey(Keys::ClickThrough));
    } else if (key == Keys::WindowLevel) {
        setLevel(defaults.integerForKey(Keys::WindowLevel) != 0 ? Level::DesktopIcons
                                                                : Level::Floating);
    }
}

void TKWWindow::setWindowFlag(Qt::WindowType flag, bool on)
{
    Qt::WindowFlags flags = windowFlags();
    flags.setFlag(flag, on);
    if (flags == windowFlags()) {
        // Asserted again all the same: another program may have changed the
        // window behind our back.
        if (QWindow *handle = windowHandle()) {
            handle->setFlags(flags);
        }
        return;
    }
    // Changing a widget's flags would hide and map the window again; the window
    // system window takes the new flags in place.
    overrideWindowFlags(flags);
    if (QWindow *handle = windowHandle()) {
        handle->setFlags(flags);
    }
}

TKWWindow::Level TKWWindow::level() const
{
    return windowFlags().testFlag(Qt::WindowStaysOnBottomHint) ? Level::DesktopIcons
                                                               : Level::Floating;
}

void TKWWindow::setLevel(Level level)
{
    const bool desktop = level == Level::DesktopIcons;
    Qt::WindowFlags flags = windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, !desktop);
    flags.setFlag(Qt::WindowStaysOnBottomHint, desktop);
    overrideWindowFlags(flags);
    if (QWindow *handle = windowHandle()) {
        handle->setFlags(flags);
    }
    if (mLayer) {
        mLayer->setLayer(desktop ? LayerSurface::Layer::Bottom : LayerSurface::Layer::Top);
    }
    PanelsAboveClocks::shared().raiseSoon();
}

bool TKWWindow::ignoresMouseEvents() const
{
    return windowFlags().testFlag(Qt::WindowTransparentForInput);
}

void TKWWindow::setIgnoresMouseEvents(bool ignores)
{
    setWindowFlag(Qt::WindowTransparentForInput, ignores);
    if (mLayer) {
        mLayer->setClickThrough(ignores);
    }
}

void TKWWindow::setOnAllWorkspaces(bool onAll)
{
    mOnAllWorkspaces = onAll;
    if (QWindow *handle = windowHandle()) {
        X11Desktop::setOnAllWorkspaces(handle, onAll);
    }
}

void TKWWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Before the window is mapped, so that it never shows as a square.
    updateShape();
    mPositionCheck.start();
    PanelsAboveClocks::shared().raiseSoon();
    if (QWindow *handle = windowHandle()) {
        X11Desktop::setSkipTaskbar(handle);
        X11Desktop::setOnAllWorkspaces(handle, mOnAllWorkspaces);
        CoverWatch::shared().watch(handle);
    }
}

void TKWWindow::setShapeSource(ShapeSource source, SteadySource steady)
{
    mShapeSource = std::move(source);
    mSteadySource = std::move(steady);
    connect(&CompositingWatch::shared(), &CompositingWatch::changed, this, &TKWWindow::updateShape,
            Qt::UniqueConnection);
    updateShape();
}

void TKWWindow::contentPainted(const QRegion &changed)
{
    // A paint may change the shape (hands that move over a transparent face), so
    // what was painted is looked at again once the paints of this turn are done.
    if (!mShapeSource || CompositingWatch::shared().isCompositing()) {
        return;
    }
    if (!mShapePending && !paintMayReshape(changed)) {
        // The hands of most dials move within the face: no call, no wake-up.
        return;
    }
    mPaintedSinceShape += changed;
    if (mShapePending) {
        return;
    }
    mShapePending = true;
    // One call for every window painted on this turn: a tick paints them all, and
    // each call posted is one more wake-up of the event loop.
    std::vector<QPointer<TKWWindow>> &pending = windowsAwaitingShape();
    if (pending.empty()) {
        QMetaObject::invokeMethod(
            qApp,
            [] {
                for (const QPointer<TKWWindow> &window :
                     std::exchange(windowsAwaitingShape(), {})) {
                    if (window) {
                        window->updatePaintedShape();
                    }
                }
            },
            Qt::QueuedConnection);
    }
    pending.emplace_back(this);
}

std::vector<QPointer<TKWWindow>> &TKWWindow::windowsAwaitingShape()
{
    static std::vector<QPointer<TKWWindow>> windows;
    return windows;
}

void TKWWindow::updateShape()
{
    mPaintedSinceShape = QRegion();
    mSteadyShape = QRegion();
    QRegion shape;
    if (mShapeSource && !CompositingWatch::shared().isCompositing()) {
        const qreal ratio = devicePixelRatioF();
        mShapeRatio = ratio;
        shape = toWindowPixels(paintedRegion(mShapeSource(ratio, rect())), ratio);
        if (mSteadySource) {
            mSteadyShape = toWindowPixels(paintedRegion(mSteadySource(ratio)), ratio);
        }
    }
    applyShape(std::move(shape));
}

bool TKWWindow::needsWholeShape(const QRegion &painted) const
{
    const qreal ratio = devicePixelRatioF();
    // A part taken at a fractional ratio would not meet the rest at whole pixels;
    // and a whole repaint may bring a new steady paint.
    return mShape.isEmpty() || ratio != mShapeRatio || ratio != std::round(ratio) ||
           painted.boundingRect().contains(rect());
}

QRect TKWWindow::reshapedArea(const QRegion &painted) const
{
    // Over the steady paint, paint only ever adds cover.
    return (painted - mSteadyShape).boundingRect() & rect();
}

bool TKWWindow::paintMayReshape(const QRegion &painted) const
{
    return needsWholeShape(painted) || !reshapedArea(painted).isEmpty();
}

void TKWWindow::updatePaintedShape()
{
    mShapePending = false;
    const QRegion painted = std::exchange(mPaintedSinceShape, QRegion());
    if (!mShapeSource || CompositingWatch::shared().isCompositing()) {
        return;
    }
    if (needsWholeShape(painted)) {
        updateShape();
        return;
    }
    const QRect area = reshapedArea(painted);
    if (area.isEmpty()) {
        return;
    }
    const qreal ratio = devicePixelRatioF();
    QRegion part = toWindowPixels(paintedRegion(mShapeSource(ratio, area)), ratio);
    part.translate(area.topLeft());
    applyShape((mShape - area) | part);
}

void TKWWindow::applyShape(QRegion shape)
{
    if (shape.isEmpty() && mShapeSource && !CompositingWatch::shared().isCompositing()) {
        // An empty mask is no mask at all, which would show the whole square.
        shape = QRegion(0, 0, 1, 1);
    }
    const bool cleared = shape.isEmpty() && !mShape.isEmpty();
    mShape = shape;
    // The window system window's mask, not the widget's: a widget's mask would
    // also clip its paints, and what the clock paints outside the shape is what
    // tells that the shape must grow.
    QWindow *handle = windowHandle();
    if (handle && handle->mask() != mShape) {
        handle->setMask(mShape);
    }
    if (cleared && mContent) {
        // A compositor now shows the whole window: it is drawn once anew.
        mContent->update();
    }
}

void TKWWindow::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton) {
        Q_EMIT menuRequested(event->globalPosition().toPoint());
        return;
    }
    if (event->button() != Qt::LeftButton) {
        return;
    }
    syncPositionWithScreen();
    QWindow *handle = windowHandle();
    mSystemMove = handle && handle->startSystemMove();
    if (mSystemMove) {
        return;
    }
    mDragOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
    mLayerDrag = {pos(), event->position().toPoint()};
}

void TKWWindow::keyPressEvent(QKeyEvent *event)
{
    // At the clock, not at the pointer: from the keyboard, the pointer may be
    // anywhere.
    if (event->key() == Qt::Key_Menu ||
        (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier)) {
        Q_EMIT menuRequested(mapToGlobal(rect().center()));
        return;
    }
    QWidget::keyPressEvent(event);
}

void TKWWindow::mouseMoveEvent(QMouseEvent *event)
{
    if (!mDragOffset || !(event->buttons() & Qt::LeftButton)) {
        return;
    }
    if (mLayer) {
        // While a button is held, sway and KWin give the pointer's positions from
        // where the layer was when it went down, not from where it has moved since
        // (Qt's global positions take the latter).
        move(mLayerDrag.start + event->position().toPoint() - mLayerDrag.pressed);
        return;
    }
    move(event->globalPosition().toPoint() - *mDragOffset);
}

void TKWWindow::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        return;
    }
    mDragOffset.reset();
    if (mLayer) {
        mLayer->followScreen();
    }
    // Once the window manager moves the window it has the pointer, and the release
    // goes to it: one that reaches the clock came before the move began (a click).
    if (std::exchange(mSystemMove, false)) {
        X11Desktop::cancelSystemMove(windowHandle());
    }
}

void TKWWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (mContent) {
        mContent->setGeometry(rect());
    }
    Q_EMIT frameChanged();
}

void TKWWindow::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    if (isVisible()) {
        mPositionCheck.start();
    }
    Q_EMIT frameChanged();
}

void TKWWindow::syncPositionWithScreen()
{
    const std::optional<QPoint> actual = X11Desktop::positionOnScreen(windowHandle());
    if (actual && *actual != geometry().topLeft()) {
        // Asked to go where it already is, the window stays put and Qt learns the
        // truth.
        move(*actual);
    }
}

} // namespace tockwise
