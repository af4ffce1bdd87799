// The real tockwise started on settings folders as users' machines hold them: what
// is there decides the clocks it shows and the warnings it gives, and what is left
// after it quits. One scenario a row.

#include "Support.h"
#include "graphics/Color.h"
#include "settings/ClockDefaults.h"
#include "settings/SettingsKeys.h"
#include "store/PropertyListFile.h"

using namespace tockwise;

namespace {

using Dictionary = PropertyList::Dictionary;

const auto text = PropertyList::string;

const PropertyList blue = PropertyList::data(Color::calibratedRGB(0, 0, 1, 1).encode());

Dictionary clockIn(const QString &zone, Dictionary extra = {})
{
    Dictionary settings = ClockDefaults::defaultConfig();
    settings.insert(Keys::TimeZone, text(zone));
    settings.insert(Keys::Local, PropertyList::boolean(false));
    settings.insert(extra);
    return settings;
}

// A folder in which nothing can be created, renamed or removed while this lives.
// Root ignores permission bits, so for root the folder is made immutable instead.
struct ReadOnlyFolder
{
    explicit ReadOnlyFolder(const QString &path) : path(path) { active = set(true); }
    ~ReadOnlyFolder() { set(false); }
    bool set(bool readOnly) const
    {
        if (::geteuid() == 0) {
            return run("/usr/bin/chattr", {readOnly ? "+i" : "-i", path}).cleanExit();
        }
        const auto write = readOnly ? QFile::Permissions() : QFile::WriteOwner;
        return QFile::setPermissions(path, QFile::ReadOwner | QFile::ExeOwner | write);
    }
    QString path;
    bool active = false;
};

struct Launch
{
    Home home;
    QDir folder{home.settingsFolder()};
    // What the user's folders hold before the start; files named here are checked
    // to be left exactly as they were.
    QStringList untouched;
    std::optional<mode_t> umask;
    std::optional<rlim_t> fileSizeLimit;
    std::unique_ptr<ReadOnlyFolder> readOnly;

    QString file(const QString &name) const { return folder.filePath(name); }
    void write(const QString &name, const Dictionary &settings)
    {
        QDir().mkpath(folder.path());
        ASSERT_TRUE(PropertyListFile::write(file(name), settings));
    }
    void writeDefaults(const Dictionary &defaults)
    {
        ASSERT_TRUE(PropertyListFile::write(home.defaultsFile(), defaults));
    }
    void converted() { writeDefaults({{Keys::Converted, PropertyList::boolean(true)}}); }
};

struct Result
{
    QStringList listed; // "name<TAB>zone", the name without its folder
    QString errors;
    QStringList files;      // the settings folder's entries after the quit
    QList<Outcome> answers; // to the commands, then to the quit
};

// Starts Tockwise, lists its clocks (after asking it for `commands`) and quits it
// as a user would.
Result start(Launch &launch, const QList<QStringList> &commands = {})
{
    QHash<QString, FileState> before;
    for (const QString &path : launch.untouched) {
        before[path] = fileState(path);
    }
    Process::Options options{launch.home.environment()};
    options.umask = launch.umask;
    options.fileSizeLimit = launch.fileSizeLimit;
    RunningTockwise app(launch.home, {}, options);
    EXPECT_TRUE(app.serving()) << app.process().standardError().toStdString();
    Result result;
    for (const QStringList &command : commands) {
        result.answers.append(runTockwise(launch.home, command));
    }
    for (const QString &line : app.listed()) {
        result.listed.append(QFileInfo(line.section(u'\t', 0, 0)).fileName() + u'\t' +
                             line.section(u'\t', 1));
    }
    result.answers.append(runTockwise(launch.home, {"--quit"}));
    const Outcome ended = app.process().finish(60s);
    EXPECT_TRUE(ended.cleanExit()) << ended.describe();
    result.errors = QString::fromLocal8Bit(ended.standardError);
    result.files = entriesOf(launch.folder.path());
    for (const QString &path : launch.untouched) {
        EXPECT_EQ(fileState(path), before[path]) << path.toStdString() << " was changed";
    }
    return result;
}

// How often a text appears in a warning's line.
int linesNaming(const Result &result, const QString &text)
{
    return static_cast<int>(result.errors.split(u'\n').filter(text).size());
}

Dictionary onlyFile(const Launch &launch, const Result &result)
{
    EXPECT_EQ(result.files.size(), 1) << result.files.join(u' ').toStdString();
    return result.files.isEmpty()
               ? Dictionary()
               : settingsIn(launch.file(result.files.first())).value_or(Dictionary());
}

} // namespace

TEST(Launch, AFirstStartMigratesNothingIntoOneDefaultClock)
{
    Launch launch;
    const Result result = start(launch);
    ASSERT_EQ(result.listed.size(), 1);
    EXPECT_TRUE(result.listed.first().endsWith(".tkw\tlocal"));
    // Spelt out, not taken from the code's own table, which a wrong default is in.
    const PropertyList black = PropertyList::data(Color::calibratedWhite(0, 1).encode());
    const auto integer = PropertyList::integer;
    EXPECT_EQ(
        onlyFile(launch, result),
        (Dictionary{{"TKWLocal", PropertyList::boolean(true)},
                    {"TKWClockSize", integer(128)},
                    {"TKWFaceColor",
                     PropertyList::data(Color::calibratedRGB(1, 1, 240 / 255.0f, 1).encode())},
                    {"TKWOpacity", PropertyList::real(0.5)},
                    {"TKWDrawBorder", integer(1)},
                    {"TKWCenterFactor", text("{0.25, 0.5}")},
                    {"TKWRadiusFactor", PropertyList::real(0.25)},
                    {"TKWHandColor", black},
                    {"TKWSecondHandColor", black},
                    {"TKWAlternateZoneColor", PropertyList::data(Color::red().encode())},
                    {"TKWShowSeconds", integer(1)},
                    {"TKWPipStyle", integer(1)},
                    {"TKWPipColor", black},
                    {"TKWShowDate", integer(1)},
                    {"TKWShowMeridian", integer(1)},
                    {"TKWShowTimeZone", integer(1)},
                    {"TKWOtherDataColor", black}}));
    EXPECT_EQ(settingsIn(launch.home.defaultsFile())->value(Keys::Converted).boolValue(), true);
}

TEST(Launch, WithNothingSavedOneLocalClockOpensAndHidesItsZone)
{
    Launch launch;
    launch.converted();
    const Result result = start(launch);
    const Dictionary clock = onlyFile(launch, result);
    EXPECT_EQ(clock.value(Keys::ShowTimeZone), PropertyList::integer(0));
    EXPECT_EQ(clock.value(Keys::Local), PropertyList::boolean(true));
    EXPECT_FALSE(clock.contains(Keys::TimeZone));
}

TEST(Launch, TheSingleClockOfOlderVersionsMovesIntoAFileOnce)
{
    Launch launch;
    const PropertyList red = PropertyList::data(Color::red().encode());
    launch.writeDefaults({{Keys::ClockSize, PropertyList::integer(200)},
                          {Keys::FaceColor, red},
                          {Keys::ShowWeekday, PropertyList::boolean(true)},
                          {Keys::TimeZone, text("Asia/Tokyo")}});
    const Result first = start(launch);
    Dictionary migrated = ClockDefaults::defaultConfig();
    migrated.insert(Keys::ClockSize, PropertyList::integer(200));
    migrated.insert(Keys::FaceColor, red);
    migrated.insert(Keys::ShowWeekday, PropertyList::boolean(true));
    EXPECT_EQ(onlyFile(launch, first), migrated) << "the zone was never the single clock's";
    const Dictionary defaults = *settingsIn(launch.home.defaultsFile());
    EXPECT_EQ(defaults.value(Keys::ClockSize), PropertyList::integer(200)) << "old keys stay";
    EXPECT_EQ(start(launch).listed, first.listed) << "and move only once";
}

// Older settings without the mark of a migration beside them add no clock.
TEST(Launch, SettingsFilesOpenInNameOrderAndOtherFilesAreLeftAlone)
{
    Launch launch;
    launch.writeDefaults({{Keys::ClockSize, PropertyList::integer(200)}});
    launch.write("B.tkw", clockIn("Asia/Tokyo"));
    launch.write("A.tkw", clockIn("UTC"));
    launch.write("notes.txt", clockIn("UTC"));
    launch.write("D.TKW", clockIn("UTC"));
    launch.untouched = {launch.file("notes.txt"), launch.file("D.TKW")};
    const Result result = start(launch);
    EXPECT_EQ(result.listed, QStringList({"A.tkw\tUTC", "B.tkw\tAsia/Tokyo"}));
    EXPECT_EQ(result.files, QStringList({"A.tkw", "B.tkw", "D.TKW", "notes.txt"}));
}

TEST(Launch, OlderFilesAreFilledInKeepOthersKeysAndWildValuesAsStored)
{
    Launch launch;
    launch.converted();
    launch.write("OLD.tkw",
                 {{Keys::HandColor, blue}, {"SomeoneElsesKey", PropertyList::integer(7)}});
    const QString longText(10 * 1024, u'x');
    const QList<Dictionary> wild = {
        {{Keys::ClockSize, text("abc")}, {Keys::PipStyle, PropertyList::integer(99)}},
        {{Keys::ClockSize, PropertyList::integer(-40)}, {Keys::Opacity, PropertyList::real(7)}},
        {{Keys::ClockSize, PropertyList::integer(1'000'000'000)}, {Keys::TimeZone, text("")}},
        {{Keys::ClockSize, PropertyList::real(1e300)}, {Keys::TimeZone, text(longText)}},
        {{Keys::TimeZone, PropertyList::integer(3)}, {Keys::AlternateTimeZone, text("Mars/Base")}},
        {{Keys::CenterFactor, text("garbage")}, {Keys::RadiusFactor, text("wide")}},
        {{Keys::FaceColor, text("red")},
         {Keys::SecondHandColor, PropertyList::integer(7)},
         {Keys::OtherDataColor, PropertyList::data(QByteArray("\x01\x02", 2))}},
        {{Keys::ShowSeconds, text("yes")}, {Keys::ShowDate, PropertyList::real(0.5)}},
    };
    for (int i = 0; i < wild.size(); ++i) {
        launch.write(QString("wild-%1.tkw").arg(i), clockIn("UTC", wild[i]));
    }
    EXPECT_EQ(start(launch).listed.size(), wild.size() + 1);
    const Dictionary written = settingsIn(launch.file("OLD.tkw")).value_or(Dictionary());
    for (const QString &key : {Keys::SecondHandColor, Keys::PipColor, Keys::OtherDataColor}) {
        EXPECT_EQ(written.value(key), blue) << key.toStdString();
    }
    EXPECT_EQ(written.value(Keys::AlternateZoneColor), PropertyList::data(Color::red().encode()));
    EXPECT_EQ(written.value(Keys::CenterFactor), text("{0.5, 0.5}"));
    EXPECT_FALSE(written.contains(Keys::RadiusFactor));
    EXPECT_EQ(written.value("SomeoneElsesKey"), PropertyList::integer(7));
    for (int i = 0; i < wild.size(); ++i) {
        const auto kept = settingsIn(launch.file(QString("wild-%1.tkw").arg(i)));
        ASSERT_TRUE(kept);
        for (auto it = wild[i].cbegin(); it != wild[i].cend(); ++it) {
            EXPECT_EQ(kept->value(it.key()), it.value()) << i << " " << it.key().toStdString();
        }
    }
}

TEST(Launch, DamagedFilesAreNamedOnceAndKeptWhileTheGoodClocksOpen)
{
    Launch launch;
    launch.converted();
    launch.write("A-good.tkw", clockIn("UTC"));
    launch.write("z-good.tkw", clockIn("UTC"));
    const QByteArray xml = PropertyListFile::toXml(clockIn("UTC"));
    const QByteArray header =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n";
    const QList<std::pair<const char *, QByteArray>> damaged = {
        {"noise.tkw", QByteArray::fromHex("00ff7f8081fe0d0a1a00")},
        {"truncated.tkw", xml.left(xml.size() / 2)},
        {"empty.tkw", {}},
        {"array-root.tkw", header + "<array><integer>128</integer></array>\n</plist>\n"},
        {"not-binary.tkw", "bplist00garbage that claims to be binary"},
        // {"ok": 1, "uid": UID(1)} by plistlib: archiver UIDs are never settings.
        {"uid.tkw", QByteArray::fromHex("62706c6973743030d201020304526f6b5375696410018001080d1014"
                                        "160000000000000101000000000000000500000000000000000000"
                                        "000000000018")},
        // Binary: a dictionary whose key is the integer 5; keys are strings.
        {"binary-integer-key.tkw",
         QByteArray::fromHex("62706c6973743030d1010210051007080b0d00000000000001010000000000000003"
                             "0000000000000000000000000000000f")},
        // Nested past any stack's depth, and 400 bytes that share their way to 2^40 values.
        {"deep-binary.tkw", nestedArrays(100'000, true)},
        {"deep-xml.tkw", nestedArrays(200'000, false)},
        {"shared-binary.tkw", nestedArrays(40, true, 2)},
    };
    for (const auto &[name, bytes] : damaged) {
        ASSERT_TRUE(writeFile(launch.file(name), bytes));
        launch.untouched.append(launch.file(name));
    }
    {
        QFile huge(launch.file("huge.tkw")); // 100 MB that take no room on the disc
        ASSERT_TRUE(huge.open(QIODevice::WriteOnly) && huge.resize(100 * 1024 * 1024));
    }
    const QString elsewhere = launch.home.filePath("elsewhere.tkw");
    ASSERT_TRUE(PropertyListFile::write(elsewhere, clockIn("UTC")));
    ASSERT_TRUE(QFile::link("/dev/zero", launch.file("zero.tkw")));
    ASSERT_TRUE(QFile::link(elsewhere, launch.file("elsewhere.tkw")));
    ASSERT_TRUE(QFile::link(launch.home.filePath("missing"), launch.file("dangling.tkw")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(launch.file("fifo.tkw")).constData(), 0600), 0);
    for (const char *name : {"huge.tkw", "zero.tkw", "elsewhere.tkw", "dangling.tkw", "fifo.tkw"}) {
        launch.untouched.append(launch.file(name));
    }
    launch.untouched.append(elsewhere);

    const Result result = start(launch);
    EXPECT_EQ(result.listed, QStringList({"A-good.tkw\tUTC", "z-good.tkw\tUTC"}));
    for (const QString &path : launch.untouched.mid(0, launch.untouched.size() - 1)) {
        EXPECT_EQ(linesNaming(result, path), 1)
            << path.toStdString() << " in " << result.errors.toStdString();
    }
}

TEST(Launch, SettingsThatCannotBeWrittenAreNamedOnceAndLeftAsTheyWere)
{
    {
        // A read-only settings folder: the clocks open and run, and each file is
        // named once, however often it cannot be saved: a new clock's when it is
        // made and again at the quit.
        Launch launch;
        launch.converted();
        launch.write("A.tkw", clockIn("UTC"));
        launch.write("B.tkw", clockIn("Asia/Tokyo"));
        launch.untouched = {launch.file("A.tkw"), launch.file("B.tkw")};
        launch.readOnly = std::make_unique<ReadOnlyFolder>(launch.folder.path());
        if (!launch.readOnly->active) {
            GTEST_SKIP() << "no read-only folder can be made here";
        }
        const Result result = start(launch, {{"--new-clock", "UTC"}});
        ASSERT_EQ(result.listed.size(), 3);
        for (const QString &line : result.listed) {
            EXPECT_EQ(linesNaming(result, launch.file(line.section(u'\t', 0, 0))), 1)
                << result.errors.toStdString();
        }
        // The start that asked for the clock is told it is not saved.
        EXPECT_EQ(result.answers.first().exitCode, 1);
    }
    {
        // A full disk, as a file-size limit makes one: the change a later start
        // asks for and the quit each answer which file could not be saved (the
        // quit tries the change again), the log names each file once, and the
        // files stay as they were, with nothing left beside them.
        Launch launch;
        launch.writeDefaults(
            {{Keys::Converted, PropertyList::boolean(true)}, {"Kept", text(QString(1000, u'k'))}});
        launch.write("A.tkw", clockIn("UTC"));
        launch.untouched = {launch.file("A.tkw"), launch.home.defaultsFile()};
        launch.fileSizeLimit = 512;
        const Result result = start(launch, {{"--click-through", "on"}});
        EXPECT_EQ(result.files, QStringList({"A.tkw"}));
        const Outcome &changed = result.answers.first(), &quit = result.answers.last();
        for (const QString &path : launch.untouched) {
            EXPECT_EQ(linesNaming(result, path), 1) << result.errors.toStdString();
            EXPECT_TRUE(quit.exitCode == 1 && quit.standardError.contains(path.toUtf8()))
                << quit.describe();
        }
        EXPECT_TRUE(changed.exitCode == 1 &&
                    changed.standardError.contains(launch.home.defaultsFile().toUtf8()))
            << changed.describe();
    }
    {
        // A file where the settings folder belongs: one clock, the folder named
        // once, the file kept.
        Launch launch;
        launch.converted();
        ASSERT_TRUE(writeFile(launch.folder.path(), "mine"));
        launch.untouched = {launch.folder.path()};
        const Result result = start(launch);
        EXPECT_EQ(result.listed.size(), 1);
        EXPECT_EQ(linesNaming(result, launch.folder.path()), 1) << result.errors.toStdString();
    }
    {
        // A folder where the defaults file belongs: named once, and no clock is
        // migrated in again at every start.
        Launch launch;
        ASSERT_TRUE(QDir().mkpath(launch.home.defaultsFile()));
        launch.write("A.tkw", clockIn("UTC"));
        const Result first = start(launch);
        EXPECT_EQ(linesNaming(first, launch.home.defaultsFile()), 1) << first.errors.toStdString();
        EXPECT_EQ(start(launch).listed, QStringList({"A.tkw\tUTC"}));
    }
}

TEST(Launch, SettingsAreTheUsersAloneWhateverTheUmask)
{
    for (const mode_t mask : {0000, 0022, 0077}) {
        Launch launch;
        launch.umask = mask;
        start(launch);
        const QStringList files = launch.folder.entryList({"*.tkw"}, QDir::Files);
        ASSERT_EQ(files.size(), 1);
        EXPECT_EQ(fileState(launch.folder.path()).mode, 0700u) << mask;
        EXPECT_EQ(fileState(launch.file(files.first())).mode, 0600u) << mask;
        EXPECT_EQ(fileState(launch.home.defaultsFile()).mode, 0600u) << mask;
    }
}
