// The interaction half of TKWView: dial calibration with the pointer and dropped
// pictures.

#include "clockview/TKWView.h"
#include "graphics/PictureReader.h"
#include "settings/SettingsKeys.h"
#include "store/SizeString.h"
#include "store/UserDefaults.h"
#include "store/ValueTransformer.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QMouseEvent>

#include <cmath>

namespace {

// The window keeps whether a press on its face moves it (the usual) or defines
// the dial; a property, so that the view need not know the window's class.
const char *const movableProperty = "movableByWindowBackground";

PropertyList aliasFor(const QString &path)
{
    const ValueTransformer *aliases =
        ValueTransformer::valueTransformerForName(QStringLiteral("TKWPathToAliasTransformer"));
    return aliases ? aliases->reverseTransformedValue(PropertyList::string(path)) : PropertyList();
}

} // namespace

// --- Dial calibration ----------------------------------------------------------

bool TKWView::windowIsMovableByBackground() const
{
    const QVariant movable = window()->property(movableProperty);
    return !movable.isValid() || movable.toBool();
}

void TKWView::setWindowMovableByBackground(bool movable)
{
    window()->setProperty(movableProperty, movable);
}

Point TKWView::viewPoint(const QPointF &widgetPosition) const
{
    return {static_cast<float>(widgetPosition.x()),
            bounds().height - static_cast<float>(widgetPosition.y())};
}

void TKWView::beginMovingClockHands()
{
    setWindowMovableByBackground(false);
}

void TKWView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || windowIsMovableByBackground()) {
        // The window moves itself, or shows its menu.
        event->ignore();
        return;
    }
    mDefiningDial = true;
    mDragStart = viewPoint(event->position());
    mDragEnd = mDragStart;
    setNeedsDisplay();
}

void TKWView::mouseMoveEvent(QMouseEvent *event)
{
    if (!mDefiningDial) {
        event->ignore();
        return;
    }
    mDragEnd = viewPoint(event->position());
    setNeedsDisplay();
}

void TKWView::mouseReleaseEvent(QMouseEvent *event)
{
    if (!mDefiningDial || event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    const Rect area = bounds();
    const float width = area.width;
    const float height = area.height;
    if (mConfigData) {
        const float cx = mDragStart.x / width;
        const float cy = mDragStart.y / height;
        mConfigData->setValue(Keys::CenterFactor,
                              PropertyList::string(SizeString::stringFromSize(
                                  {static_cast<double>(cx), static_cast<double>(cy)})));
        const float dx = mDragEnd.x - mDragStart.x;
        const float dy = mDragEnd.y - mDragStart.y;
        // The release ends at the last drag position, not at where it happened.
        float sum = dy * dy;
        sum = sum + dx * dx;
        const float r = std::sqrt(sum);
        mConfigData->setValue(Keys::RadiusFactor,
                              PropertyList::real(static_cast<double>(r / width)));
    }
    mDefiningDial = false;
    cacheFaceGeometry();
    setNeedsDisplay();
    setWindowMovableByBackground(true);
}

void TKWView::resetHandLocation()
{
    if (mConfigData) {
        mConfigData->setValue(Keys::CenterFactor,
                              PropertyList::string(SizeString::stringFromSize({0.5, 0.5})));
        mConfigData->removeValue(Keys::RadiusFactor);
    }
    cacheFaceGeometry();
    setNeedsDisplay();
}

// --- Pictures ---------------------------------------------------------------------

void TKWView::storeSetting(const QString &key, const PropertyList &value)
{
    if (mConfigData) {
        mConfigData->setValue(key, value);
    } else {
        UserDefaults::standard().setObject(key, value);
    }
}

bool TKWView::acceptsDroppedFiles(const QList<QUrl> &urls)
{
    if (urls.size() != 1 || !urls.first().isLocalFile()) {
        return false;
    }
    // Compared without regard to case, so that a camera's IMG_0001.JPG is a picture.
    const QString suffix = QFileInfo(urls.first().toLocalFile()).suffix().toLower();
    return !suffix.isEmpty() && PictureReader::readableSuffixes().contains(suffix);
}

bool TKWView::takeDroppedFile(const QString &path)
{
    const PropertyList alias = aliasFor(path);
    if (alias.isNone()) {
        return false;
    }
    storeSetting(Keys::FaceImage, alias);
    storeSetting(Keys::UseFaceImage, PropertyList::boolean(true));
    return true;
}

void TKWView::dragEnterEvent(QDragEnterEvent *event)
{
    const QMimeData *data = event->mimeData();
    if (data->hasUrls() && acceptsDroppedFiles(data->urls()) &&
        event->possibleActions().testFlag(Qt::CopyAction)) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
        return;
    }
    event->ignore();
}

void TKWView::dropEvent(QDropEvent *event)
{
    const QMimeData *data = event->mimeData();
    if (!data->hasUrls() || data->urls().isEmpty() ||
        !takeDroppedFile(data->urls().first().toLocalFile())) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}
