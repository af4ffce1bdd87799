#pragma once

#include "graphics/Color.h"
#include "store/PropertyList.h"

#include <QPushButton>

class QColorDialog;

// A button showing a swatch of one colour setting. A click opens the colour
// dialog, shared by every well of every clock and not modal, for this well; the
// colour the user accepts there is reported through colorChosen(), in the form
// the settings store colours (calibrated RGB with alpha).
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
    // The settings' form of a colour picked in the dialog.
    static Color colorFromDialog(const QColor &picked);

Q_SIGNALS:
    void colorChosen(const Color &color);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void openColorDialog();

    Color mColor = Color::black();
};
