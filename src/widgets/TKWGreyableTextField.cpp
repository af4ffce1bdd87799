#include "widgets/TKWGreyableTextField.h"

#include <QEvent>
#include <QGuiApplication>

namespace tockwise {

TKWGreyableTextField::TKWGreyableTextField(QWidget *parent) : QLabel(parent)
{
    showEnabledState();
}

TKWGreyableTextField::TKWGreyableTextField(const QString &text, QWidget *parent)
    : QLabel(text, parent)
{
    showEnabledState();
}

void TKWGreyableTextField::changeEvent(QEvent *event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) {
        showEnabledState();
    }
}

void TKWGreyableTextField::showEnabledState()
{
    const QPalette application = QGuiApplication::palette();
    const QColor color = isEnabled() ? application.color(QPalette::Active, QPalette::WindowText)
                                     : application.color(QPalette::Disabled, QPalette::WindowText);
    // Every group gets the one colour, so that neither the window's activation
    // nor the style's choice of group for a disabled widget changes it.
    QPalette own = palette();
    for (const QPalette::ColorGroup group :
         {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        own.setColor(group, foregroundRole(), color);
    }
    setPalette(own);
}

} // namespace tockwise
