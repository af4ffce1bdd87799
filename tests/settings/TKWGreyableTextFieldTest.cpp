#include "settings/TKWGreyableTextField.h"

#include <QApplication>
#include <QImage>

#include <gtest/gtest.h>

namespace {

const QColor controlText(0x10, 0x20, 0x30);
const QColor disabledText(0xa0, 0x70, 0x40);
const QColor someoneElses(0xff, 0x00, 0x00);

int pixelsOfColor(const QImage &image, const QColor &color)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += image.pixelColor(x, y).rgb() == color.rgb();
        }
    }
    return count;
}

void setTextColor(QWidget &widget, const QColor &color)
{
    QPalette palette = widget.palette();
    palette.setColor(QPalette::WindowText, color);
    widget.setPalette(palette);
}

class GreyableTextField : public ::testing::Test
{
protected:
    void SetUp() override
    {
        mSaved = QApplication::palette();
        QPalette palette = mSaved;
        palette.setColor(QPalette::Active, QPalette::WindowText, controlText);
        palette.setColor(QPalette::Inactive, QPalette::WindowText, controlText);
        palette.setColor(QPalette::Disabled, QPalette::WindowText, disabledText);
        QApplication::setPalette(palette);
    }
    void TearDown() override { QApplication::setPalette(mSaved); }

    QPalette mSaved;
};

} // namespace

TEST_F(GreyableTextField, TextTakesTheColourOfItsState)
{
    for (const bool throughParent : {false, true}) {
        for (const bool enabledAgain : {false, true}) {
            QWidget parent;
            auto *field = new TKWGreyableTextField(QStringLiteral("HHH"), &parent);
            QFont font = field->font();
            font.setPixelSize(40);
            field->setFont(font);
            field->adjustSize();
            QWidget *switched = throughParent ? &parent : field;
            switched->setEnabled(false);
            if (enabledAgain) {
                setTextColor(*field, someoneElses);
                switched->setEnabled(true);
            }

            const QImage shown = field->grab().toImage();
            const QColor expected = enabledAgain ? controlText : disabledText;
            EXPECT_GT(pixelsOfColor(shown, expected), 0) << throughParent << enabledAgain;
            for (const QColor &other : {controlText, disabledText, someoneElses}) {
                if (other != expected) {
                    EXPECT_EQ(pixelsOfColor(shown, other), 0) << throughParent << enabledAgain;
                }
            }
        }
    }
}
