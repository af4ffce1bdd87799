// The interaction half of TKWView: dial calibration with the pointer and dropped
// pictures. What they decide goes out as signals: the clock's controller keeps it
// in the settings, which the view follows.

#include "clockview/TKWView.h"
#include "graphics/Canvas.h"
#include "graphics/PictureReader.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>

#include <cmath>

namespace tockwise {

// --- Dial calibration ----------------------------------------------------------

void TKWView::beginMovingClockHands()
{
    mCalibrating = true;
}

void TKWView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !mCalibrating) {
        // The window moves itself, or shows its menu.
        event->ignore();
        return;
    }
    mDefiningDial = true;
    mDragStart = Canvas::viewPoint(event->position(), bounds().height);
    mDragEnd = mDragStart;
    setNeedsDisplay();
}

void TKWView::mouseMoveEvent(QMouseEvent *event)
{
    if (!mDefiningDial) {
        event->ignore();
        return;
    }
    mDragEnd = Canvas::viewPoint(event->position(), bounds().height);
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
    const float cx = mDragStart.x / width;
    const float cy = mDragStart.y / height;
    const float dx = mDragEnd.x - mDragStart.x;
    const float dy = mDragEnd.y - mDragStart.y;
    // The release ends at the last drag position, not at where it happened.
    float sum = dy * dy;
    sum = sum + dx * dx;
    const float r = std::sqrt(sum);
    mDefiningDial = false;
    mCalibrating = false;
    setNeedsDisplay();
    Q_EMIT dialDefined(QSizeF(static_cast<double>(cx), static_cast<double>(cy)), r / width);
}

// --- Pictures ---------------------------------------------------------------------

bool TKWView::acceptsDroppedFiles(const QList<QUrl> &urls)
{
    if (urls.size() != 1 || !urls.first().isLocalFile()) {
        return false;
    }
    // Compared without regard to case, so that a camera's IMG_0001.JPG is a picture.
    return PictureReader::hasReadableSuffix(urls.first().toLocalFile());
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
    if (!data->hasUrls() || !acceptsDroppedFiles(data->urls())) {
        event->ignore();
        return;
    }
    bool taken = false;
    Q_EMIT pictureDropped(data->urls().first().toLocalFile(), &taken);
    if (!taken) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

} // namespace tockwise
