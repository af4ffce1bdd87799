#pragma once

#include "graphics/Geometry.h"
#include "settings/ClockModel.h"
#include "settings/FacePicture.h"
#include "store/ObservableDictionary.h"
#include "store/PropertyList.h"

#include <QObject>
#include <QPointer>
#include <QSizeF>
#include <QString>
#include <QTimer>

#include <memory>
#include <optional>
#include <vector>

namespace tockwise {

class ClockSettingsPanel;
class TKWView;
class TKWWindow;

// One clock: its settings, its settings file, its window and settings panel.
// Clocks are owned by the application's clock list.
class TKWWindowController : public QObject, public std::enable_shared_from_this<TKWWindowController>
{
    Q_OBJECT

public:
    // A new clock for a zone, or a local clock that follows the system's zone.
    // Its file is written at once.
    static std::shared_ptr<TKWWindowController>
    initWithTimeZoneName(const std::optional<QString> &name);
    // A saved clock. A file that cannot be read as a dictionary opens no clock: it
    // is named in one warning and left exactly as it is.
    static std::shared_ptr<TKWWindowController> initWithSettingsFile(const QString &path);
    ~TKWWindowController() override;

    // The settings a new clock starts from, built afresh on every call.
    static PropertyList::Dictionary defaultConfig();
    // What a clock would show of settings that no clock holds: the model of the
    // settings with the picture they name, looked for and read, and the hour
    // labels of the user defaults.
    static ClockModel modelOf(const ObservableDictionary &settings);
    // $XDG_DATA_HOME/org.tockwise.Tockwise
    static QString settingsFolder();
    // A new upper-case UUID with the extension "tkw".
    static QString newSettingsFileName();

    // A crash or a kill may cost the changes of the last two seconds, no more: a
    // burst of changes is written this long after its first, which leaves the
    // rest of those two seconds for the write itself on a busy machine.
    static constexpr int writeDelayMs = 1500;

    // Where a clock without a kept place appears when no free place is left on
    // the screen under the pointer: the n-th of a cascade.
    void setCascadeIndex(int index) { mCascadeIndex = index; }
    void showWindow();
    // Removes the clock's file and place and hides it, without asking; the clock
    // list lets go of it then.
    void removeClock();
    void applicationWillTerminate();
    void showSettingsPanel();
    // The panel's actions that ask more of the user: a picture, a zone.
    void selectFaceImage();
    void selectTimeZone(const QString &key, bool primary);
    void resetHandLocation();
    // What the clock's face tells: a picture dropped on it, a dial defined on it.
    void takeDroppedPicture(const QString &path, bool *taken);
    // The face picture looked for, and held as the face where `hold` says: one in
    // use found elsewhere is stored where it is now, so that no later start
    // searches again; one in use found nowhere is named once in the log and on the
    // settings panel until another is chosen.
    void findFacePicture(bool hold);
    void storeDial(QSizeF centerFactor, float radiusFactor);
    void closeSettingsPanel();

    const std::shared_ptr<ObservableDictionary> &clockSettings() const { return mClockSettings; }
    QString settingsFile() const { return mSettingsFile; }
    QString frameAutosaveName() const;
    TKWWindow *window() const;
    TKWView *clockView() const { return mClockView; }
    bool isConfigEstablished() const { return mConfigEstablished; }
    // Writes the settings file now; false when it could not be written, and then
    // saveProblem() says why until a write succeeds.
    bool writeSettings();
    QString saveProblem() const { return mSaveProblem; }
    // The settings and the window's place, as at quit, without closing anything.
    void saveNow();

Q_SIGNALS:
    // The clock's menu is asked for at a point of the screen.
    void menuRequested(const QPoint &globalPosition);
    // The user asks for the clock to go: the application decides.
    void removalRequested();
    void removed();

private:
    TKWWindowController(std::shared_ptr<ObservableDictionary> settings, const QString &file);
    void awakeFromNib();
    void loadWindow();
    void settingChanged(const QString &key);
    // The model the view is given: the settings with the picture and hour labels
    // this clock holds.
    ClockModel model() const;
    bool usesFacePicture() const;
    void frameChanged();
    // Where the other clocks' windows are on the desktop now.
    std::vector<Rect> otherClockFrames() const;

    std::shared_ptr<ObservableDictionary> mClockSettings;
    QString mSettingsFile;
    TKWView *mClockView = nullptr;
    QPointer<TKWWindow> mWindow;
    QPointer<ClockSettingsPanel> mPrefWindow;
    bool mConfigEstablished = false;
    bool mRemoved = false;
    QString mSaveProblem;
    int mCascadeIndex = 0;
    FacePicture mFacePicture;
    QImage mFaceImage;         // the picture held as the face
    QString mMissingPicture;   // its file name
    QByteArray mWarnedPicture; // the alias last named missing
    QStringList mRomanNumerals;
    Observation mNumeralsWatch;
    QTimer mWriteTimer;
    QTimer mFrameTimer;
    Observation mSettingsWrites;
    QMetaObject::Connection mTerminate;
};

} // namespace tockwise
