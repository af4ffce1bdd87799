#pragma once

#include "graphics/Color.h"
#include "store/PropertyList.h"

#include <QPushButton>

class QColorDialog;

namespace tockwise {

// A button showing a swatch of one colour setting. A click opens the colour
// dialog, shared by every well of every clock and not modal, for this well. Each
// colour picked there is reported at once through colorValueChosen(), in the form
// the settings store colours (calibrated RGB with alpha), so that it shows while
// the user picks; Cancel reports the value the well was given when the dialog
// opened, exactly as given (none when it had none). Another well opening the
// dialog, or closeColorDialog(), ends the picking with the last colour kept.
class ColorWell : public QPushButton
{
    Q_OBJECT

public:
    explicit ColorWell(QWidget *parent = nullptr);

    // A stored colour setting; anything else (absent, damaged, another kind)
    // shows as opaque black.
    void setColorValue(const PropertyList &value);
    const Color &color() const { return mColor; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // The one colour dialog, made on first demand when `create` is set; null
    // otherwise until then. It lives until the application object goes.
    static QColorDialog *sharedColorDialog(bool create);
    // Closes the dialog, if it is open; what was picked in it stays.
    static void closeColorDialog();
    // The settings' form of a colour picked in the dialog.
    static Color colorFromDialog(const QColor &picked);

Q_SIGNALS:
    void colorValueChosen(const PropertyList &value);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void openColorDialog();
    void pick(const QColor &picked);

    Color mColor = Color::black();
    PropertyList mValue;
    PropertyList mValueOpenedWith;
};

} // namespace tockwise
