#pragma once

#include <QLabel>

namespace tockwise {

// A label of the settings panel whose text greys out with the controls it names:
// the application palette's control-text colour while enabled, its disabled-text
// colour while disabled, whatever colour was set on it in between. Enabling or
// disabling through a parent counts too.
class TKWGreyableTextField : public QLabel
{
    Q_OBJECT

public:
    explicit TKWGreyableTextField(QWidget *parent = nullptr);
    explicit TKWGreyableTextField(const QString &text, QWidget *parent = nullptr);

protected:
    void changeEvent(QEvent *event) override;

private:
    void showEnabledState();
};

} // namespace tockwise
