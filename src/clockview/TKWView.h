#pragma once

#include "clockview/DigitalReadout.h"
#include "clockview/SpokenClock.h"
#include "desktop/WindowFrame.h"
#include "graphics/Color.h"
#include "graphics/Geometry.h"
#include "settings/ClockModel.h"
#include "settings/ClockSettings.h"
#include "time/TimeZone.h"

#include <QImage>
#include <QPointer>
#include <QUrl>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace tockwise {

class Canvas;

// The face of one clock. It samples the time once per tick and caches what a frame
// needs (angles, AM/PM, zone abbreviation, dial geometry); drawing reads only those
// caches and its model, which holds all else, the picture and hour labels too. All
// its geometry is y-up, in points.
class TKWView : public QWidget
{
    Q_OBJECT

public:
    explicit TKWView(QWidget *parent = nullptr);
    ~TKWView() override;

    // The window the view fills. Without one set, the view's own top-level widget.
    void setWindowFrame(std::shared_ptr<WindowFrame> frame);
    WindowFrame &windowFrame();
    // The view's bounds: the window's size, origin (0, 0).
    Rect bounds() const;

    // Lifecycle.
    void awakeFromNib();
    // All the clock is drawn from, given afresh at every change, with what the
    // change asks of the view.
    void setModel(ClockModel model, ClockSettings::Change change = ClockSettings::Change::All);
    const ClockModel &model() const { return mModel; }

    // Time sampling.
    void timerFired();
    // The next wall-clock second (TimeSource time) at which something this clock
    // shows changes, at its size and pixel ratio: none while nothing of it is seen.
    std::optional<Instant> nextChange() const;
    void cacheDrawingParameters();
    // Asks for the whole clock to be drawn again, its hands where they are now.
    void setNeedsDisplay();
    // While the clock's window lies wholly under other windows, ticks draw nothing.
    void setCovered(bool covered);
    bool isCovered() const { return mCovered; }
    // A "TKWTimeZone" that names no zone reads as the system zone.
    TimeZone clockTimeZone() const;
    std::optional<TimeZone> alternateTimeZone() const;

    // Geometry and the face.
    void cacheFaceGeometry();
    // The window took another frame: the dial follows it.
    void frameResized();
    // What may ask for another size of window: a new face, new settings (whose
    // window must also come back on screen), or a change of what the clock shows.
    enum class Sizing
    {
        Face,
        Settings,
        Content
    };

    // Drawing: one whole frame, on whatever the painter paints.
    void drawRect(QPainter &painter);
    // One frame into a transparent image of the view's size at the pixel ratio.
    QImage renderImage(qreal devicePixelRatio = 1);
    // The part of a frame within `area` (widget coordinates), into an image of that
    // part's size.
    QImage renderImage(qreal devicePixelRatio, const QRect &area);
    // The analog dial under the hands as frames copy it: null for a digital clock
    // and while the dial is being calibrated, when nothing stays from frame to frame.
    QImage dialLayer(qreal devicePixelRatio);
    DigitalReadout digitalTimeStringForDate(Instant date) const;

    // The caches of the last sample and of the geometry.
    std::optional<Instant> lastDate() const { return mLastDate; }
    std::optional<std::int32_t> secondOfDay() const { return mSecondOfDay; }
    Point center() const { return mCenter; }
    const QImage &faceImage() const { return mModel.faceImage; }

    // Dial calibration: after beginMovingClockHands() the next press, drag and
    // release on the clock define the hands' centre and radius on its picture.
    void beginMovingClockHands();
    bool isDefiningDial() const { return mDefiningDial; }

    // Whether a drag of these files would be taken as the clock's face.
    static bool acceptsDroppedFiles(const QList<QUrl> &urls);

Q_SIGNALS:
    void sizeWanted(TKWView::Sizing sizing);
    // A calibration ended: the centre as fractions of the clock's size (y up), the
    // radius as a fraction of its width.
    void dialDefined(QSizeF centerFactor, float radiusFactor);
    // A picture file was dropped on the clock; `taken` says whether it became the
    // face (a file that cannot be referred to does not).
    void pictureDropped(const QString &path, bool *taken);
    // A frame was drawn, through a paint event or straight onto the window:
    // `changed` (widget coordinates) holds every pixel that may differ from the last.
    void painted(const QRegion &changed);

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    friend class TKWViewTestAccess;

    void resizeToContent();
    void cacheAlternateHourAngle();
    float digitalTimeSize(const Rect &rect) const;
    float digitalWeekdaySize(const Rect &rect, const QString &dayName, float timeSize) const;
    // After a tick: asks for a frame only where something visibly changed.
    void scheduleRepaint();
    void redrawWhole();
    void requestNextTick();
    // What a screen reader that has just started listening hears of the clock.
    void sayTimeNow();
    // Which hands would stand a visible distance from where they were last drawn.
    struct HandMoves
    {
        bool h = false;
        bool m = false;
        bool a = false;
        bool any() const { return h || m || a; }
    };
    // Seconds since the epoch on the clock's wall, and what of them a digital
    // readout shows.
    std::int64_t localSecond() const;
    std::int64_t readoutKey(std::int64_t local) const;
    const QImage &faceImageScaledTo(Size size, qreal devicePixelRatio);

    void drawClockFace(Canvas &canvas);
    void drawClockPips(Canvas &canvas, ClockModel::PipStyle style);
    void drawClockMinutePips(Canvas &canvas);
    // The four dial texts of this frame; empty where switched off.
    struct DecorationTexts
    {
        std::optional<QString> meridian;
        std::optional<QString> zone;
        std::optional<QString> date;
        std::optional<QString> weekday;
        friend bool operator==(const DecorationTexts &, const DecorationTexts &) = default;
    };
    DecorationTexts decorationTexts();
    void drawClockDecorations(Canvas &canvas, const DecorationTexts &texts);
    // Face, decorations and marks: all that lies under the hands.
    void drawDial(Canvas &canvas, const DecorationTexts &texts);
    void drawDialLayer(Canvas &canvas, const DecorationTexts &texts);
    const QImage &currentDialLayer(qreal devicePixelRatio, const DecorationTexts &texts);
    bool keepsHandsLayer(qreal devicePixelRatio) const;
    const QImage &currentHandsLayer(qreal devicePixelRatio, const DecorationTexts &texts);
    void drawClockHands(Canvas &canvas);
    void drawStillHands(Canvas &canvas);
    void drawSecondHand(Canvas &canvas);
    void drawDigitalFaceForString(Canvas &canvas, const DigitalReadout &readout);
    void drawDigitalTimeString(Canvas &canvas, const DigitalReadout &readout);

    ClockModel mModel;
    std::shared_ptr<WindowFrame> mWindowFrame;

    // Time sampling.
    std::optional<Instant> mLastDate;
    std::optional<QString> mMeridianString;
    std::optional<QString> mTimeZoneAbbr;
    std::optional<std::int32_t> mSecondOfDay;
    TimeOfDay mTime;
    std::optional<TimeOfDay> mAlternateTime;
    float mAngleH = 0;
    float mAngleM = 0;
    float mAngleS = 0;
    float mAngleA = 0;
    bool mFlagPM = false;
    bool mWoken = false;
    bool mCovered = false;
    SpokenClock mSpoken{[this] { sayTimeNow(); }};

    // Where the hands were last asked to be drawn. A hand that would move by less
    // than a quarter of a device pixel keeps its place, so that a clock without a
    // second hand is drawn again only when its minute hand visibly moves.
    struct HandPoses
    {
        float h = 0;
        float m = 0;
        float s = 0;
        float a = 0;
    };
    HandPoses mDrawn;
    HandMoves visibleMoves(const HandPoses &poses, double devicePixelRatio) const;
    // Where a hand of `shape` turned to `angle` lies, in widget coordinates, with
    // room for its anti-aliased edge.
    QRect handArea(std::span<const Point> shape, float angle) const;
    // Where the still hands drawn at `from` differ from those at `to`.
    QRegion stillHandsChange(float fromH, float fromM, float fromA, float toH, float toM,
                             float toA) const;
    // What a digital readout shows, without formatting it: the time to the second
    // or to the minute, the half of the day and the zone's abbreviation.
    std::int64_t mReadoutKey = -1;
    std::optional<QString> mPaintedMeridian;
    std::optional<QString> mPaintedZone;
    std::int64_t mPaintedDay = 0;

    // Geometry and the face.
    Point mCenter;
    float mRadius = 0;
    // The picture resampled to the size it is drawn at, so that frames copy it.
    QImage mFaceImageScaled;
    qint64 mFaceImageScaledFrom = 0;

    // Everything under the hands changes far less often than once a second, so it
    // is drawn into a layer at the device's pixel ratio and copied until one of
    // the things it was drawn from changes.
    struct DialLayerKey
    {
        quint64 settings = 0;
        Size size;
        qreal devicePixelRatio = 0;
        Point center;
        float radius = 0;
        qint64 faceImage = 0;
        DecorationTexts texts;
        friend bool operator==(const DialLayerKey &, const DialLayerKey &) = default;
    };
    struct DayTexts
    {
        QString zone;
        std::int64_t day = 0;
        bool dayOnly = false;
        QString date;
        QString weekday;
    };
    DayTexts mDayTexts;
    QImage mDialLayer;
    std::optional<DialLayerKey> mDialLayerKey;
    // The dial with the hour, minute and alternate hands where they were drawn.
    struct HandsLayerKey
    {
        qint64 dial = 0;
        float h = 0;
        float m = 0;
        float a = 0;
        friend bool operator==(const HandsLayerKey &, const HandsLayerKey &) = default;
    };
    QImage mHandsLayer;
    std::optional<HandsLayerKey> mHandsLayerKey;
    quint64 mSettingsGeneration = 0;
    bool mCachesDial = true;

    // Dial calibration.
    Point mDragStart;
    Point mDragEnd;
    bool mDefiningDial = false;
    // Set by beginMovingClockHands: the next press on the face defines the dial
    // rather than moving the window.
    bool mCalibrating = false;
};

} // namespace tockwise
