#pragma once

#include "platform/InstanceMessage.h"
#include "tzpanel/ZoneNameTree.h"
#include "window/ApplicationDelegate.h"

#include <QObject>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

class SecondTimer;
class TKWWindowController;

// The application controller: launch, the clock list, the one tick that drives
// every clock, the commands of the clocks' menu and of later starts.
class TKWController : public QObject, public ApplicationDelegate
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

    // The clock list.
    void addClock(std::shared_ptr<TKWWindowController> clock) override;
    void removeClock(TKWWindowController *clock) override;
    std::size_t numberOfClocks() const override { return mClocks.size(); }
    const std::vector<std::shared_ptr<TKWWindowController>> &clocks() const { return mClocks; }

    void showMenu(TKWWindowController *clock, const QPoint &globalPosition) override;

    // The command line of a later start, handed over by the single instance: the
    // text to print there and its exit status.
    InstanceReply handleCommand(const QStringList &arguments);

    const std::optional<ZoneNameTree> &timeZoneNames() const { return mTimeZoneNames; }

private:
    void migrateSingleClockSettings();
    void openSavedClocks();

    std::optional<ZoneNameTree> mTimeZoneNames;
    std::vector<std::shared_ptr<TKWWindowController>> mClocks;
    std::unique_ptr<SecondTimer> mTimer;
    bool mQuitScheduled = false;
};
