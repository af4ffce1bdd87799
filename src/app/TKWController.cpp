#include "app/TKWController.h"

#include "app/CommandLine.h"
#include "app/StringTable.h"
#include "app/TKWApplication.h"
#include "clockview/TKWView.h"
#include "desktop/x11/DirectFrame.h"
#include "settings/ClockDefaults.h"
#include "settings/ClockSettings.h"
#include "settings/SettingsKeys.h"
#include "settings/TKWPathToAliasTransformer.h"
#include "settings/TKWSizeTransformer.h"
#include "store/PrivateFiles.h"
#include "store/PropertyListFile.h"
#include "store/UserDefaults.h"
#include "store/ValueTransformer.h"
#include "time/ClockTick.h"
#include "time/HostZoneWatch.h"
#include "time/SecondTimer.h"
#include "time/TimeZone.h"
#include "window/TKWWindowController.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>

#include <mutex>
#include <utility>

namespace tockwise {

void TKWController::initialize()
{
    static std::once_flag once;
    std::call_once(once, [] {
        ValueTransformer::setValueTransformer(std::make_unique<TKWPathToAliasTransformer>(),
                                              QStringLiteral("TKWPathToAliasTransformer"));
        ValueTransformer::setValueTransformer(std::make_unique<TKWSizeTransformer>(),
                                              QStringLiteral("TKWSizeTransformer"));
        UserDefaults::standard().registerDefaults(ClockDefaults::controllerRegisteredDefaults());
    });
}

TKWController::TKWController(QObject *parent)
    : QObject(parent), mTimer(std::make_unique<SecondTimer>())
{
    initialize();
    connect(mTimer.get(), &SecondTimer::fired, this, &TKWController::clockTimerFired);
    connect(&ClockTick::instance(), &ClockTick::tickRequested, this, [this](Instant second) {
        if (mTicking) {
            mTimer->wakeAt(second);
        }
    });
    connect(qApp, &QCoreApplication::aboutToQuit, this, &TKWController::applicationWillTerminate);
    if (auto *gui = qobject_cast<QGuiApplication *>(qApp)) {
        // The end of a desktop session may end the process without a quit.
        connect(gui, &QGuiApplication::commitDataRequest, this, &TKWController::saveAll);
    }
}

TKWController::~TKWController()
{
    if (mZoneWatch) {
        TimeZone::setHostZoneWatched(false);
    }
}

// --- Launch -------------------------------------------------------------------

void TKWController::awakeFromNib()
{
    mClocks.clear();
    // The zone-name tree is built when a panel first asks for it: reading and
    // resolving the zone list is a good part of a launch's work, and most
    // launches never show the panel.
    mTimeZoneNames.reset();
}

const ZoneNameTree &TKWController::timeZoneNames()
{
    if (!mTimeZoneNames) {
        mTimeZoneNames = ZoneNameTree::fromNames(TimeZone::knownTimeZoneNames());
    }
    return *mTimeZoneNames;
}

void TKWController::applicationWillFinishLaunching()
{
    // Defaults that cannot be read hold no single clock we could carry over, and
    // the mark of a migration could not be read back either: migrating would add
    // a clock at every launch.
    UserDefaults &defaults = UserDefaults::standard();
    if (defaults.boolForKey(Keys::Converted) || !defaults.isReadable()) {
        return;
    }
    // Clock files can only come after a migration: its mark was lost (defaults
    // that cannot be written, or were deleted), and migrating again would add a
    // clock at every launch.
    if (!QDir(TKWWindowController::settingsFolder())
             .entryList({QStringLiteral("*.tkw")}, QDir::Files | QDir::System | QDir::Hidden)
             .isEmpty()) {
        defaults.setBool(Keys::Converted, true);
        return;
    }
    migrateSingleClockSettings();
}

void TKWController::migrateSingleClockSettings()
{
    UserDefaults &defaults = UserDefaults::standard();
    PropertyList::Dictionary settings = TKWWindowController::defaultConfig();
    for (const ClockSettings::Setting &setting : ClockSettings::all()) {
        const PropertyList value =
            setting.singleClock ? defaults.objectForKey(setting.key) : PropertyList();
        if (!value.isNone()) {
            settings.insert(setting.key, value);
        }
    }
    // The folder is made first, so that the old clock is never lost for the lack
    // of a place to put it.
    const QString folder = TKWWindowController::settingsFolder();
    PrivateFiles::makeFolder(folder);
    const QString path = QDir(folder).filePath(TKWWindowController::newSettingsFileName());
    QString error;
    if (!PropertyListFile::write(path, settings, &error)) {
        qWarning("The settings of the earlier single clock cannot be saved to %s: %s",
                 qUtf8Printable(path), qUtf8Printable(error));
    }
    defaults.setBool(Keys::Converted, true);
}

void TKWController::applicationDidFinishLaunching()
{
    const QString folder = TKWWindowController::settingsFolder();
    if (!QFileInfo::exists(folder)) {
        PrivateFiles::makeFolder(folder);
    }
    // The clocks ask for their ticks as they are shown.
    mTicking = true;
    mZoneWatch = std::make_unique<HostZoneWatch>(TimeZone::hostZoneFiles());
    TimeZone::setHostZoneWatched(mZoneWatch->isWatching());
    connect(mZoneWatch.get(), &HostZoneWatch::changed, this, [this] {
        TimeZone::hostZoneFilesChanged();
        if (mTicking) {
            mTimer->wakeNow();
        }
    });
    openSavedClocks();
    if (mClocks.empty()) {
        addClock(TKWWindowController::initWithTimeZoneName(std::nullopt))->showWindow();
    }
    // After the first clock: the tray, and without one the explanation, are no
    // reason for it to show later.
    if (UserDefaults::standard().boolForKey(Keys::ClickThrough)) {
        establishStatusItem();
    }
}

void TKWController::openSavedClocks()
{
    const QDir folder(TKWWindowController::settingsFolder());
    // System entries too (pipes, devices, dangling links): whatever bears a
    // clock's name and cannot be one is reported rather than passed over in silence.
    const QStringList names =
        folder.entryList(QDir::Files | QDir::System | QDir::Hidden, QDir::Name);
    for (const QString &name : names) {
        // Exactly ".tkw": a file named ".TKW" is someone else's.
        if (QFileInfo(name).suffix() != QStringLiteral("tkw")) {
            continue;
        }
        if (const auto clock =
                addClock(TKWWindowController::initWithSettingsFile(folder.filePath(name)))) {
            mClocksToShow.push_back(clock);
        }
    }
    // Every clock is read now, and the first shows at once; each other one shows
    // in a turn of the event loop of its own, so that the clocks already shown are
    // painted in between: with many clocks the first shows as soon as with one.
    showNextClock();
}

void TKWController::showNextClock()
{
    while (!mClocksToShow.empty()) {
        // A clock removed meanwhile is gone.
        const std::shared_ptr<TKWWindowController> clock = mClocksToShow.front().lock();
        mClocksToShow.pop_front();
        if (clock) {
            clock->showWindow();
            break;
        }
    }
    if (!mClocksToShow.empty()) {
        QMetaObject::invokeMethod(this, &TKWController::showNextClock, Qt::QueuedConnection);
    }
}

// --- Running and quitting -----------------------------------------------------

void TKWController::clockTimerFired()
{
    {
        // The frames of every clock on this tick share the X connection's writes.
        const DirectFrame::Batch frames;
        ClockTick::instance().post();
    }
    // Each clock asked for the second at which it next changes; with none
    // shown, nothing wakes until one is.
    if (const std::optional<Instant> next = ClockTick::instance().earliestRequest();
        next && mTicking) {
        mTimer->wakeAt(*next);
    }
    if (mTimer->isLogging() && !mClocks.empty()) {
        // The tick log names the second of day the first clock sampled, so that a
        // skipped or repeated second shows.
        if (const TKWView *view = mClocks.front()->clockView()) {
            if (const std::optional<std::int32_t> second = view->secondOfDay()) {
                mTimer->annotateFire(QString::number(*second));
            }
        }
    }
}

void TKWController::applicationWillTerminate()
{
    // A clock whose window never showed is saved as one that did.
    for (const std::weak_ptr<TKWWindowController> &waiting : std::exchange(mClocksToShow, {})) {
        if (const std::shared_ptr<TKWWindowController> clock = waiting.lock()) {
            clock->saveNow();
        }
    }
    mTicking = false;
    mTimer->stop();
    TimeZone::setHostZoneWatched(false);
    mZoneWatch.reset();
    mTimeZoneNames.reset();
    removeStatusItem();
}

QStringList TKWController::saveAll()
{
    QStringList problems;
    for (const auto &clock : mClocks) {
        clock->saveNow();
        if (const QString problem = clock->saveProblem(); !problem.isEmpty()) {
            problems << tr("The clock settings cannot be saved to %1: %2.")
                            .arg(clock->settingsFile(), problem);
        }
    }
    UserDefaults &defaults = UserDefaults::standard();
    if (!defaults.synchronize()) {
        problems << tr("Settings cannot be saved to %1: %2.")
                        .arg(defaults.filePath(), defaults.lastError());
    }
    return problems;
}

std::shared_ptr<TKWWindowController>
TKWController::addClock(std::shared_ptr<TKWWindowController> clock)
{
    if (!clock) {
        return nullptr;
    }
    TKWWindowController *raw = clock.get();
    clock->setCascadeIndex(static_cast<int>(mClocks.size()));
    connect(raw, &TKWWindowController::menuRequested, this,
            [this, raw](const QPoint &position) { showMenu(raw, position); });
    connect(raw, &TKWWindowController::removalRequested, this,
            [this, raw] { askToRemoveClock(raw); });
    connect(raw, &TKWWindowController::removed, this, [this, raw] { removeClock(raw); });
    mClocks.push_back(clock);
    return clock;
}

void TKWController::removeClock(TKWWindowController *clock)
{
    std::erase_if(mClocks, [clock](const auto &entry) { return entry.get() == clock; });
    if (mClocks.empty() && !mQuitScheduled) {
        // After the event that removed the last clock has been handled in full.
        mQuitScheduled = true;
        QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    }
}

// --- Commands -------------------------------------------------------------------

InstanceReply TKWController::handleCommand(const QStringList &arguments)
{
    QCommandLineParser parser;
    CommandLine::addOptions(parser);
    if (!parser.parse(arguments)) {
        return {2, parser.errorText()};
    }
    if (const std::optional<QString> problem = CommandLine::checkArguments(parser)) {
        return {2, *problem};
    }
    if (parser.isSet(CommandLine::quit)) {
        // Saved before the answer, so that the start that asked hears of what
        // could not be kept; the quit itself saves again.
        const QStringList unsaved = saveAll();
        QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
        return {unsaved.isEmpty() ? 0 : 1, unsaved.join(u'\n')};
    }
    if (parser.isSet(CommandLine::list)) {
        return {0, clockList()};
    }
    QStringList unsaved;
    if (parser.isSet(CommandLine::newClock)) {
        if (const std::optional<InstanceReply> refused = addClockAsked(parser, unsaved)) {
            return *refused;
        }
    }
    const bool switched = applySwitchesAsked(parser);
    const bool acted = switched || parser.isSet(CommandLine::newClock);
    // A change the start that asked for it takes for done must be on disk.
    if (UserDefaults &defaults = UserDefaults::standard(); acted && !defaults.synchronize()) {
        unsaved << tr("Settings cannot be saved to %1: %2.")
                       .arg(defaults.filePath(), defaults.lastError());
    }
    if (!unsaved.isEmpty()) {
        return {1, unsaved.join(u'\n')};
    }
    if (!acted) {
        // Starting Tockwise again is how a user without a tray gets out of
        // click-through; otherwise it offers a new clock. The start that asked
        // ends at once, so it says where its effect went.
        if (UserDefaults::standard().boolForKey(Keys::ClickThrough)) {
            setClickThrough(false);
            return {0, tr("Tockwise is already running; click-through is now off.")};
        }
        showNewClockPanel();
        return {0, tr("Tockwise is already running; it shows its New Clock panel.")};
    }
    return {};
}

QString TKWController::clockList() const
{
    QStringList lines;
    for (const auto &clock : mClocks) {
        const PropertyList *zone = clock->clockSettings()->value(Keys::TimeZone);
        lines << clock->settingsFile() + u'\t' +
                     (zone && zone->asString() ? *zone->asString() : QStringLiteral("local"));
    }
    return lines.isEmpty() ? QString() : lines.join(u'\n') + u'\n';
}

std::optional<InstanceReply> TKWController::addClockAsked(const QCommandLineParser &parser,
                                                          QStringList &unsaved)
{
    const QStringList positional = parser.positionalArguments();
    std::optional<QString> zone;
    if (!positional.isEmpty()) {
        if (!TimeZone::named(positional.first())) {
            return InstanceReply{2,
                                 tr("There is no time zone named \"%1\".").arg(positional.first())};
        }
        zone = positional.first();
    }
    const auto clock = addClock(TKWWindowController::initWithTimeZoneName(zone));
    clock->showWindow();
    if (!clock->saveProblem().isEmpty()) {
        unsaved << tr("The new clock shows, but its settings cannot be saved to %1: %2.")
                       .arg(clock->settingsFile(), clock->saveProblem());
    }
    return std::nullopt;
}

bool TKWController::applySwitchesAsked(const QCommandLineParser &parser)
{
    bool acted = false;
    if (parser.isSet(CommandLine::clickThrough)) {
        const QString value = parser.value(CommandLine::clickThrough);
        if (value == u"toggle") {
            toggleClickThrough();
        } else {
            setClickThrough(value == u"on");
        }
        acted = true;
    }
    if (parser.isSet(CommandLine::autostart)) {
        if (auto *application = qobject_cast<TKWApplication *>(qApp)) {
            application->setAutoLaunch(parser.value(CommandLine::autostart) == u"on");
        }
        acted = true;
    }
    return acted;
}

} // namespace tockwise
