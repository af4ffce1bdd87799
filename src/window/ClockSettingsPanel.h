#pragma once

#include "store/ObservableDictionary.h"

#include <QDialog>

#include <memory>

class QLabel;

// The panel's controls, as resources/ClockWindow.ui lays them out.
namespace Ui {
class ClockSettingsPanel;
}

namespace tockwise {

class ObjectController;

// The settings panel of one clock. Its controls are bound to the clock's settings
// (resources/ClockWindow.ui declares the bindings); the buttons whose work belongs
// to the clock view or its window controller only announce themselves.
class ClockSettingsPanel : public QDialog
{
    Q_OBJECT

public:
    explicit ClockSettingsPanel(std::shared_ptr<ObservableDictionary> settings,
                                QWidget *parent = nullptr);
    ~ClockSettingsPanel() override;

    void setSettings(std::shared_ptr<ObservableDictionary> settings);
    const std::shared_ptr<ObservableDictionary> &settings() const;
    ObjectController *objectController() const { return mObjectController; }
    // Where the face picture was found (empty: nowhere, or none is chosen) and,
    // while one in use is found nowhere, its file name, shown in place of the path.
    void setFacePicture(const QString &path, const QString &missingName);

    // Close, Escape and the window's own close button all ask for closing as
    // well as hiding the panel, so that it goes even where nobody listens.
    void reject() override;

Q_SIGNALS:
    void selectFaceImageRequested();
    void selectPrimaryTimeZoneRequested();
    void selectAlternateTimeZoneRequested();
    void beginMovingClockHandsRequested();
    void resetHandLocationRequested();
    void closeSettingsDialogRequested();
    void removeClockRequested();

private:
    std::unique_ptr<Ui::ClockSettingsPanel> mUi;
    ObjectController *mObjectController = nullptr;
    QLabel *mMissingPicture = nullptr;
};

} // namespace tockwise
