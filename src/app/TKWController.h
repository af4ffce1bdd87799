#pragma once

#include "instance/InstanceMessage.h"
#include "tzpanel/ZoneNameTree.h"
#include "tzpanel/ZoneSearchField.h"
#include "widgets/ColumnBrowser.h"

#include <QDialog>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QPushButton>
#include <QStringList>
#include <QSystemTrayIcon>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QCommandLineParser;

namespace tockwise {

class HostZoneWatch;
class SecondTimer;
class TKWWindowController;

// The application controller: launch, the clock list, the one tick that drives
// every clock, click-through and its status item, the new-clock panel, the
// commands of the clocks' menu and of later starts.
class TKWController : public QObject
{
    Q_OBJECT

public:
    // The class set-up that precedes everything else: the value transformers and
    // the registered defaults of the application. Runs once per process.
    static void initialize();

    explicit TKWController(QObject *parent = nullptr);
    ~TKWController() override;

    // Launch, in this order.
    void awakeFromNib();
    void applicationWillFinishLaunching();
    void applicationDidFinishLaunching();

    void clockTimerFired();
    void applicationWillTerminate();
    // Writes every clock's settings and place and the application's settings now,
    // as at quit; what could not be written, one line a file.
    QStringList saveAll();
    // The wake-ups since launch: each one tick of every clock.
    const SecondTimer &timer() const { return *mTimer; }

    // The clock list, which owns every clock: a clock added is followed (its menu,
    // its removal) and returned; none adds nothing. When the list is empty after a
    // removal, the application quits once the current event has been handled.
    std::shared_ptr<TKWWindowController> addClock(std::shared_ptr<TKWWindowController> clock);
    void removeClock(TKWWindowController *clock);
    std::size_t numberOfClocks() const { return mClocks.size(); }
    const std::vector<std::shared_ptr<TKWWindowController>> &clocks() const { return mClocks; }
    // Removes a clock as the user asked; the last one only when the user says yes.
    void askToRemoveClock(TKWWindowController *clock);

    // The clock's menu (right button): the application's commands.
    void showMenu(TKWWindowController *clock, const QPoint &globalPosition);

    // Click-through and the status item that switches it off.
    void toggleClickThrough();
    void establishStatusItem();
    void removeStatusItem();
    QSystemTrayIcon *statusItem() const { return mStatusItem; }
    // Whether the desktop shows status items; a seam for tests, which have none.
    void setTrayAvailability(std::function<bool()> available)
    {
        mTrayAvailable = std::move(available);
    }
    // The new-clock panel.
    void showNewClockPanel();
    void clearTimeZone();
    void createNewClock();
    QDialog *newClockPanel() const { return mNewClockPanel; }
    ColumnBrowser *zoneBrowser() const { return mZoneBrowser; }
    ZoneSearchField *zoneSearch() const { return mZoneSearch; }

    // The command line of a later start, handed over by the single instance: the
    // text to print there and its exit status.
    InstanceReply handleCommand(const QStringList &arguments);

    // The known zones as a tree, built on first use.
    const ZoneNameTree &timeZoneNames();

private:
    // Parts of a later start's command line.
    QString clockList() const;
    std::optional<InstanceReply> addClockAsked(const QCommandLineParser &parser,
                                               QStringList &unsaved);
    bool applySwitchesAsked(const QCommandLineParser &parser);

    void migrateSingleClockSettings();
    void openSavedClocks();
    void showNextClock();
    void loadNewClockPanel();
    void updateCreateButton();
    void setClickThrough(bool on);

    QPointer<ColumnBrowser> mZoneBrowser;
    QPointer<ZoneSearchField> mZoneSearch;
    QPointer<QDialog> mNewClockPanel;
    QPointer<QPushButton> mCreateButton;
    std::optional<ZoneNameTree> mTimeZoneNames;
    ZoneBrowserDelegate mZoneDelegate{[this]() -> const ZoneNameTree & { return timeZoneNames(); }};
    std::vector<std::shared_ptr<TKWWindowController>> mClocks;
    // Saved clocks read at launch whose windows are yet to show.
    std::deque<std::weak_ptr<TKWWindowController>> mClocksToShow;
    QPointer<QSystemTrayIcon> mStatusItem;
    QPointer<QMessageBox> mClickThroughWarning;
    std::unique_ptr<SecondTimer> mTimer;
    std::unique_ptr<HostZoneWatch> mZoneWatch;
    bool mTicking = false;
    std::function<bool()> mTrayAvailable;
    bool mQuitScheduled = false;
};

} // namespace tockwise
