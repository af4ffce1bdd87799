// Defining the dial on a picture with the pointer, and pictures dropped on a clock.

#include "ClockRendering.h"
#include "platform/SizeString.h"
#include "settings/SettingsKeys.h"

#include <QCoreApplication>
#include <QImage>
#include <QMouseEvent>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Sends a pointer event at a point of the view given y-up, as the view sees it.
void send(TKWView &view, QEvent::Type type, Point at)
{
    const QPointF position(at.x, view.bounds().height - at.y);
    const Qt::MouseButtons buttons =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, position, view.mapToGlobal(position), Qt::LeftButton, buttons,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(&view, &event);
}

QString writePicture(const QTemporaryDir &dir)
{
    const QString path = dir.filePath(QStringLiteral("face.png"));
    QImage picture(400, 300, QImage::Format_ARGB32);
    picture.fill(Qt::darkCyan);
    picture.save(path);
    return path;
}

QSizeF centerFactor(const TKWView &view)
{
    return SizeString::sizeFromString(*view.configData()->value(Keys::CenterFactor)->asString());
}

} // namespace

TEST(DialCalibration, PressDragAndReleaseDefineTheDial)
{
    RenderedClock clock(utcInstant(2026, 12, 6, 10, 10, 30), {});
    clock.window->setFrame({1000, 1000, 128, 96}, false);
    clock.view.beginMovingClockHands();
    send(clock.view, QEvent::MouseButtonPress, {32, 48});
    EXPECT_TRUE(clock.view.isDefiningDial());
    send(clock.view, QEvent::MouseMove, {32, 80});
    // The release's own position plays no part: the last drag position counts.
    send(clock.view, QEvent::MouseButtonRelease, {100, 10});
    EXPECT_FALSE(clock.view.isDefiningDial());
    EXPECT_EQ(centerFactor(clock.view), QSizeF(0.25, 0.5));
    EXPECT_EQ(*clock.view.configData()->value(Keys::RadiusFactor), PropertyList::real(0.25));

    // The window moves again at once: a press is the window's, not the dial's.
    send(clock.view, QEvent::MouseButtonPress, {60, 60});
    EXPECT_FALSE(clock.view.isDefiningDial());
}

TEST(DialCalibration, DragsOutsideTheViewAndClicksCountAsTheyCome)
{
    RenderedClock clock(utcInstant(2026, 12, 6, 10, 10, 30), {});
    clock.view.beginMovingClockHands();
    send(clock.view, QEvent::MouseButtonPress, {100, 20});
    send(clock.view, QEvent::MouseMove, {-28, 20});
    send(clock.view, QEvent::MouseButtonRelease, {-28, 20});
    EXPECT_EQ(centerFactor(clock.view), QSizeF(100.0f / 128, 20.0f / 128));
    EXPECT_EQ(*clock.view.configData()->value(Keys::RadiusFactor), PropertyList::real(1.0));

    // A click without a drag gives a radius factor of 0: half the smaller side.
    clock.view.beginMovingClockHands();
    send(clock.view, QEvent::MouseButtonPress, {40, 40});
    send(clock.view, QEvent::MouseButtonRelease, {40, 40});
    EXPECT_EQ(*clock.view.configData()->value(Keys::RadiusFactor), PropertyList::real(0.0));
}

TEST(DialCalibration, ResetCentresTheDialAgain)
{
    RenderedClock clock(utcInstant(2026, 12, 6, 10, 10, 30),
                        {{Keys::RadiusFactor, PropertyList::real(0.1)},
                         {Keys::CenterFactor, PropertyList::string(QStringLiteral("{0.1, 0.9}"))}});
    clock.view.resetHandLocation();
    EXPECT_EQ(centerFactor(clock.view), QSizeF(0.5, 0.5));
    EXPECT_EQ(clock.view.configData()->value(Keys::RadiusFactor), nullptr);
}

TEST(DroppedPictures, OnlyOneLocalPictureFileIsAccepted)
{
    const auto file = [](const char *path) { return QUrl::fromLocalFile(QString::fromUtf8(path)); };
    const struct
    {
        QList<QUrl> urls;
        bool accepted;
    } cases[] = {
        {{file("/photos/beach.png")}, true},
        {{file("/photos/IMG_0001.JPG")}, true}, // a camera's upper-case extension
        {{file("/photos/a.png"), file("/photos/b.png")}, false},
        {{file("/photos/notes.txt")}, false},
        {{file("/photos/no-extension")}, false},
        {{QUrl(QStringLiteral("https://example.org/a.png"))}, false},
        {{}, false},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(TKWView::acceptsDroppedFiles(c.urls), c.accepted)
            << (c.urls.isEmpty() ? std::string("none") : c.urls.first().toString().toStdString());
    }
}

TEST(DroppedPictures, ADropShowsThePictureAndKeepsTheDial)
{
    QTemporaryDir dir;
    const QString picture = writePicture(dir);
    RenderedClock clock(utcInstant(2026, 12, 6, 10, 10, 30), {});
    clock.view.configData()->setValue(Keys::CenterFactor,
                                      PropertyList::string(QStringLiteral("{0.3, 0.7}")));
    ASSERT_TRUE(clock.view.takeDroppedFile(picture));
    EXPECT_EQ(clock.view.configData()->value(Keys::UseFaceImage)->boolValue(), true);
    EXPECT_FALSE(clock.view.faceImage().isNull());
    EXPECT_EQ(clock.frame().size(), (Size{128, 96}));
    EXPECT_EQ(centerFactor(clock.view), QSizeF(0.3, 0.7));

    // A file that cannot be referred to changes nothing.
    const PropertyList before = *clock.view.configData()->value(Keys::FaceImage);
    EXPECT_FALSE(clock.view.takeDroppedFile(dir.filePath(QStringLiteral("gone.png"))));
    EXPECT_EQ(*clock.view.configData()->value(Keys::FaceImage), before);
}
