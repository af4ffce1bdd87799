#include "window/TKWWindow.h"

#include "platform/CompositingWatch.h"
#include "platform/UserDefaults.h"
#include "platform/X11Desktop.h"
#include "settings/SettingsKeys.h"

#include <QBitmap>
#include <QMouseEvent>
#include <QTransform>
#include <QWindow>

namespace {

Qt::WindowFlags clockWindowFlags()
{
    // A tool window has no taskbar entry; without a frame or a shadow only what
    // the clock paints is seen.
    return Qt::Window | Qt::Tool | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint |
           Qt::WindowDoesNotAcceptFocus | Qt::WindowStaysOnTopHint;
}

constexpr int positionCheckDelayMs = 100;

// Nothing blends a window with the desktop without a compositor: a translucent
// pixel shows as its colour darkened towards black. The faintest edge pixels of
// anti-aliasing are left out; a half-transparent face stays in, darker.
constexpr int minimumShapeAlpha = 32;

QRegion paintedRegion(const QImage &painted)
{
    const QImage image = painted.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QImage bits(image.size(), QImage::Format_MonoLSB);
    // Bit 1 is colour 1, which a bitmap region takes in.
    bits.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    bits.fill(0);
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        uchar *out = bits.scanLine(y);
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(line[x]) >= minimumShapeAlpha) {
                out[x >> 3] |= uchar(1 << (x & 7));
            }
        }
    }
    return QRegion(QBitmap::fromImage(bits));
}

} // namespace

TKWWindow::TKWWindow(QWidget *content) : QWidget(nullptr, clockWindowFlags()), mContent(content)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
    if (mContent) {
        mContent->setParent(this);
        mContent->setGeometry(rect());
    }

    // A window manager that reparents a window as it maps it can leave Qt with a
    // stale idea of where the window is (seen as a jump to the screen's corner);
    // every move is checked against the X server once it has settled.
    mPositionCheck.setSingleShot(true);
    mPositionCheck.setInterval(positionCheckDelayMs);
    connect(&mPositionCheck, &QTimer::timeout, this, &TKWWindow::syncPositionWithScreen);

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
}

bool TKWWindow::ignoresMouseEvents() const
{
    return windowFlags().testFlag(Qt::WindowTransparentForInput);
}

void TKWWindow::setIgnoresMouseEvents(bool ignores)
{
    setWindowFlag(Qt::WindowTransparentForInput, ignores);
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
    if (QWindow *handle = windowHandle()) {
        X11Desktop::setSkipTaskbar(handle);
        X11Desktop::setOnAllWorkspaces(handle, mOnAllWorkspaces);
    }
}

void TKWWindow::setShapeSource(ShapeSource source)
{
    mShapeSource = std::move(source);
    if (mContent) {
        mContent->installEventFilter(this);
    }
    connect(&CompositingWatch::shared(), &CompositingWatch::changed, this, &TKWWindow::updateShape,
            Qt::UniqueConnection);
    updateShape();
}

bool TKWWindow::eventFilter(QObject *watched, QEvent *event)
{
    // Every paint may change the shape (hands that move over a transparent face),
    // so the shape is taken again once the paints of this turn are done.
    if (watched == mContent && event->type() == QEvent::Paint && !mShapePending && mShapeSource &&
        !CompositingWatch::shared().isCompositing()) {
        mShapePending = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                mShapePending = false;
                updateShape();
            },
            Qt::QueuedConnection);
    }
    return QWidget::eventFilter(watched, event);
}

void TKWWindow::updateShape()
{
    QRegion shape;
    if (mShapeSource && !CompositingWatch::shared().isCompositing()) {
        const qreal ratio = devicePixelRatioF();
        shape = paintedRegion(mShapeSource(ratio));
        if (ratio != 1) {
            shape = QTransform::fromScale(1 / ratio, 1 / ratio).map(shape);
        }
        if (shape.isEmpty()) {
            // An empty mask is no mask at all, which would show the whole square.
            shape = QRegion(0, 0, 1, 1);
        }
    }
    if (shape == mShape) {
        return;
    }
    const QRegion added = shape - mShape;
    mShape = shape;
    if (mShape.isEmpty()) {
        clearMask();
        if (mContent) {
            mContent->update();
        }
        return;
    }
    setMask(mShape);
    // Paints are clipped to the old shape: what it newly takes in is painted again.
    if (mContent && !added.isEmpty()) {
        mContent->update(added);
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
    if (handle && handle->startSystemMove()) {
        return;
    }
    mDragOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

void TKWWindow::mouseMoveEvent(QMouseEvent *event)
{
    if (mDragOffset && (event->buttons() & Qt::LeftButton)) {
        move(event->globalPosition().toPoint() - *mDragOffset);
    }
}

void TKWWindow::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        mDragOffset.reset();
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
