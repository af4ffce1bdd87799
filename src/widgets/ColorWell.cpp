#include "widgets/ColorWell.h"

#include "widgets/PanelsAboveClocks.h"

#include <QColorDialog>
#include <QCoreApplication>
#include <QImage>
#include <QPointer>
#include <QStyleOptionButton>
#include <QStylePainter>

#include <utility>

namespace tockwise {

namespace {

QPointer<QColorDialog> &sharedDialog()
{
    static QPointer<QColorDialog> dialog;
    return dialog;
}

// The well the shared dialog works for at the moment; none while it is closed.
QPointer<ColorWell> &dialogTarget()
{
    static QPointer<ColorWell> well;
    return well;
}

// Widgets must go while the application object still exists; Qt calls its post
// routines from the start of ~QApplication.
void deleteSharedDialog()
{
    delete sharedDialog().data();
}

QImage checkerboard()
{
    constexpr int square = 4;
    QImage image(2 * square, 2 * square, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if ((x / square + y / square) % 2 == 1) {
                image.setPixelColor(x, y, Qt::lightGray);
            }
        }
    }
    return image;
}

} // namespace

ColorWell::ColorWell(QWidget *parent) : QPushButton(parent)
{
    connect(this, &QPushButton::clicked, this, &ColorWell::openColorDialog);
}

void ColorWell::setColorValue(const PropertyList &value)
{
    mValue = value;
    const QByteArray *data = value.asData();
    const std::optional<Color> decoded = data ? Color::decode(*data) : std::nullopt;
    const Color shown = decoded.value_or(Color::black());
    if (!(shown == mColor)) {
        mColor = shown;
        update();
    }
}

QSize ColorWell::sizeHint() const
{
    const int height = QPushButton::sizeHint().height();
    return {height * 2, height};
}

QSize ColorWell::minimumSizeHint() const
{
    return sizeHint();
}

QColorDialog *ColorWell::sharedColorDialog(bool create)
{
    QPointer<QColorDialog> &dialog = sharedDialog();
    if (!dialog && create) {
        dialog = new QColorDialog();
        // The desktop's own colour dialogs may leave out the alpha channel, which
        // the clock's colours have.
        dialog->setOptions(QColorDialog::ShowAlphaChannel | QColorDialog::DontUseNativeDialog);
        PanelsAboveClocks::shared().add(dialog);
        // A colour set at once is reported in two steps, red, green and blue before
        // alpha: the well takes it as it stands once the dialog is done, unless
        // the dialog has closed or gone to another well meanwhile.
        connect(dialog, &QColorDialog::currentColorChanged, dialog, [dialog] {
            QMetaObject::invokeMethod(
                dialog,
                [dialog, well = dialogTarget()] {
                    if (well && well == dialogTarget()) {
                        well->pick(dialog->currentColor());
                    }
                },
                Qt::QueuedConnection);
        });
        // Escape and the window's close button reject as Cancel does.
        connect(dialog, &QColorDialog::finished, dialog, [](int result) {
            const QPointer<ColorWell> well = std::exchange(dialogTarget(), nullptr);
            if (well && result == QDialog::Rejected) {
                Q_EMIT well->colorValueChosen(well->mValueOpenedWith);
            }
        });
        static const bool cleanupAdded = [] {
            qAddPostRoutine(deleteSharedDialog);
            return true;
        }();
        Q_UNUSED(cleanupAdded);
    }
    return dialog;
}

Color ColorWell::colorFromDialog(const QColor &picked)
{
    float red = 0;
    float green = 0;
    float blue = 0;
    float alpha = 1;
    picked.toRgb().getRgbF(&red, &green, &blue, &alpha);
    return Color::calibratedRGB(red, green, blue, alpha);
}

void ColorWell::closeColorDialog()
{
    dialogTarget() = nullptr;
    if (QColorDialog *dialog = sharedColorDialog(false)) {
        dialog->close();
    }
}

void ColorWell::openColorDialog()
{
    QColorDialog *dialog = sharedColorDialog(true);
    if (dialogTarget() != this) {
        // Showing this well's colour is no pick; the last well keeps its picks.
        dialog->setCurrentColor(mColor.toQColor());
        dialogTarget() = this;
        mValueOpenedWith = mValue;
    }
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

void ColorWell::pick(const QColor &picked)
{
    // A well greyed out while the dialog was open takes no colour.
    const PropertyList value = PropertyList::data(colorFromDialog(picked).encode());
    if (isEnabled() && !(value == mValue)) {
        Q_EMIT colorValueChosen(value);
    }
}

void ColorWell::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    painter.drawControl(QStyle::CE_PushButtonBevel, option);

    const QRect swatch = style()
                             ->subElementRect(QStyle::SE_PushButtonContents, &option, this)
                             .adjusted(2, 2, -2, -2);
    if (swatch.isEmpty()) {
        return;
    }
    // A checkerboard under the colour lets its transparency show.
    painter.fillRect(swatch, QBrush(checkerboard()));
    QColor fill = mColor.toQColor();
    if (!isEnabled()) {
        fill.setAlphaF(fill.alphaF() * 0.4f);
    }
    painter.fillRect(swatch, fill);
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    painter.drawRect(swatch.adjusted(0, 0, -1, -1));
}

} // namespace tockwise
