// The command line of the real tockwise, as from a terminal, a script or cron (no
// runtime folder): each mistake gets exit status 2 and one line naming what was
// wrong, and writes nothing; what is right does what it says.

#include "Support.h"
#include "instance/InstanceMessage.h"
#include "settings/SettingsKeys.h"
#include "store/PropertyListFile.h"

using namespace tockwise;

namespace {

struct Mistake
{
    QStringList arguments;
    QStringList words; // what the one line must name
};

void expectOneLine(const Outcome &run, const Mistake &mistake)
{
    const std::string said = mistake.arguments.join(u' ').toStdString();
    const QString error = QString::fromLocal8Bit(run.standardError).trimmed();
    EXPECT_EQ(run.exitCode, 2) << said << ": " << run.describe();
    EXPECT_TRUE(error.startsWith(u"tockwise: ")) << said << ": " << error.toStdString();
    EXPECT_FALSE(error.contains(u'\n')) << said << ": " << error.toStdString();
    for (const QString &word : mistake.words) {
        EXPECT_TRUE(error.contains(word))
            << said << ": " << error.toStdString() << " lacks " << word.toStdString();
    }
}

} // namespace

TEST(CommandLine, RenderDrawsWhatItIsToldSaysNothingElseAndTakesNoMistakeInSilence)
{
    Home home;
    home.set("XDG_RUNTIME_DIR", QString()); // as cron or ssh start a command
    ASSERT_TRUE(PropertyListFile::write(home.filePath("clock.tkw"),
                                        {{Keys::ClockSize, PropertyList::integer(200)},
                                         {Keys::TimeZone, PropertyList::string("UTC")}}));
    const QString out = home.filePath("out.png");
    const QList<std::pair<QStringList, QSize>> good = {
        {{"--time", "2026-12-06T10:10:30Z"}, {128, 128}},
        {{"--settings", home.filePath("clock.tkw"), "--scale", "1.5"}, {300, 300}},
        {{"--settings", home.filePath("clock.tkw"), "--set", "TKWClockSize=16"}, {16, 16}},
        {{"--set", "TKWShowSeconds=false", "--set", "TKWShowDate=0", "--set", "TKWOpacity=1",
          "--set", "TKWPipStyle=0", "--set", "TKWTimeZone=Asia/Tokyo", "--set",
          "TKWCenterFactor={0.25, 0.75}", "--set", "TKWRadiusFactor=0", "--set",
          "TKWOtherDataColor=#00ff0080", "--scale", "2"},
         {256, 256}},
    };
    for (const auto &[arguments, size] : good) {
        QFile::remove(out);
        const Outcome run = runTockwise(home, QStringList{"--render", out} + arguments);
        EXPECT_TRUE(run.cleanExit()) << run.describe();
        EXPECT_EQ(run.standardError, QByteArray()) << "a command says only what it means to";
        EXPECT_EQ(QImage(out).size(), size) << arguments.join(u' ').toStdString();
    }

    const QString notes = home.filePath("notes.tkw");
    ASSERT_TRUE(writeFile(notes, "not a property list"));
    const QString wild = home.filePath("wild.tkw");
    ASSERT_TRUE(PropertyListFile::write(wild, {{Keys::ClockSize, PropertyList::string("abc")},
                                               {"SomeoneElsesKey", PropertyList::integer(1)}}));
    const QString deep = home.filePath("deep.tkw");
    ASSERT_TRUE(writeFile(deep, nestedArrays(100'000, true)));
    QFile::remove(out);
    const QList<Mistake> mistakes = {
        {{"--bogus"}, {"bogus"}},
        {{"--settings", deep}, {"deep.tkw", "too deeply"}},
        {{"--settings", home.filePath("missing.tkw")}, {"missing.tkw"}},
        {{"--settings", notes}, {"notes.tkw"}},
        {{"--settings", home.path()}, {home.path()}},
        {{"--settings", wild}, {"wild.tkw", "TKWClockSize", "16 to 2048"}},
        {{"--settings", wild, "--settings", notes}, {"--settings"}},
        {{"--time", "yesterday"}, {"--time", "yesterday"}},
        {{"--scale", "0"}, {"--scale", "0.25 to 16"}},
        {{"--set", "novalue"}, {"novalue", "KEY=VALUE"}},
        {{"--set", "TKWPipColor=red"}, {"TKWPipColor", "#rrggbb"}},
        {{"--set", "TKWFaceImage=/no/such/picture.png"}, {"TKWFaceImage", "/no/such"}},
        {{"--set", "TKW24HourDial=true"}, {"TKW24HourDial", "TKWTwentyFour"}},
        {{"--set", "TKWShowSecond=1"}, {"TKWShowSecond\"", "TKWShowSeconds?"}},
        {{"--set", "NoSuchKey=1"}, {"NoSuchKey", "TKWClockSize", "TKWUseFaceImage"}},
        {{"--set", "TKWClockSize=abc"}, {"TKWClockSize", "16 to 2048", "abc"}},
        {{"--set", "TKWClockSize=12\n"}, {"TKWClockSize", "12\\n"}},
        {{"--set", "TKWHandColor=#ff0000\n"}, {"TKWHandColor", "#ff0000\\n"}},
        {{"--set", "TKWTimeZone=Europe/Paris\x1b[2J"}, {"TKWTimeZone", "\\x1b"}},
        {{"--set", "TKWOpacity=1.5"}, {"TKWOpacity", "0 to 1"}},
        {{"--set", "TKWPipStyle=4"}, {"TKWPipStyle", "Arabic"}},
        {{"--set", "TKWShowSeconds=yes"}, {"TKWShowSeconds", "true or false"}},
        {{"--set", "TKWTimeZone=Mars/Base"}, {"TKWTimeZone", "Mars/Base"}},
        {{"--set", "TKWCenterFactor={0.5}"}, {"TKWCenterFactor", "{x, y}"}},
    };
    for (const Mistake &mistake : mistakes) {
        expectOneLine(runTockwise(home, QStringList{"--render", out} + mistake.arguments), mistake);
        EXPECT_FALSE(QFile::exists(out)) << mistake.arguments.join(u' ').toStdString();
    }
    expectOneLine(runTockwise(home, {"--render", home.filePath("no/such/folder/out.png")}),
                  {{}, {"no/such/folder"}});
}

TEST(CommandLine, ARunningInstanceDoesWhatALaterStartAsks)
{
    Home home;
    RunningTockwise app(home);
    ASSERT_TRUE(app.serving());
    ASSERT_EQ(app.listed().size(), 1);

    const QList<Mistake> mistakes = {
        {{"--new-clock", "Mars/Base"}, {"\"Mars/Base\"", "such as Europe/Paris"}},
        {{"--new-clock", "Mars\x1b[2J"}, {"Mars\\x1b[2J"}},
        {{"--new-clock", "UTC", "GMT"}, {"--new-clock"}},
        {{"Europe/Paris"}, {"Europe/Paris"}},
        {{"--click-through", "maybe"}, {"--click-through", "maybe"}},
        {{"--autostart", "always"}, {"--autostart", "always"}},
        {{"--time", "2026-12-06T10:10:30Z"}, {"--time", "--render"}},
    };
    for (const Mistake &mistake : mistakes) {
        expectOneLine(runTockwise(home, mistake.arguments), mistake);
    }
    EXPECT_EQ(app.listed().size(), 1) << "no mistake made a clock";

    // Words that could mean several zones ask which, here, where the user reads.
    const Outcome several = runTockwise(home, {"--new-clock", "germany"});
    EXPECT_EQ(several.exitCode, 2);
    EXPECT_EQ(QString::fromLocal8Bit(several.standardError),
              "tockwise: \"germany\" could be any of these time zones:\n"
              "  Europe/Berlin    Berlin, Germany\n  Europe/Busingen  Busingen, Germany\n"
              "Name one of these zones, or give its identifier such as Europe/Paris.\n");
    const QStringList many =
        QString::fromLocal8Bit(runTockwise(home, {"--new-clock", "a"}).standardError)
            .split(u'\n', Qt::SkipEmptyParts);
    EXPECT_EQ(many.size(), 23) << "the question, 20 zones, how many more, the hint";
    EXPECT_TRUE(many.value(21).startsWith("  and ") && many.value(21).endsWith(" more"));

    EXPECT_TRUE(runTockwise(home, {"--new-clock", "Asia/Tokyo"}).cleanExit());
    EXPECT_TRUE(runTockwise(home, {"--new-clock"}).cleanExit());
    EXPECT_TRUE(runTockwise(home, {"--new-clock", "new york"}).cleanExit());
    const QStringList listed = app.listed();
    ASSERT_EQ(listed.size(), 4);
    EXPECT_TRUE(listed[1].endsWith("\tAsia/Tokyo"));
    EXPECT_TRUE(listed[2].endsWith("\tlocal"));
    EXPECT_TRUE(listed[3].endsWith("\tAmerica/New_York"));

    const QString entry = home.configFolder() + "/autostart/org.tockwise.Tockwise.desktop";
    EXPECT_TRUE(runTockwise(home, {"--autostart", "on"}).cleanExit());
    EXPECT_TRUE(readFile(entry).contains("Exec=" + QFile::encodeName(tockwiseBinary())));
    EXPECT_TRUE(runTockwise(home, {"--autostart", "off"}).cleanExit());
    EXPECT_FALSE(QFile::exists(entry));

    // Messages past the size limit, sent in full, are refused; what follows is served.
    std::signal(SIGPIPE, SIG_IGN);
    const qsizetype size = maximumInstanceMessageSize - 4 + 1;
    EXPECT_TRUE(refusedWithoutAnswer(home.socketPath(), bigEndian(size) + QByteArray(size, ' ')));
    EXPECT_TRUE(refusedWithoutAnswer(home.socketPath(), QByteArray("\xff\xff\xff\xff{", 5) +
                                                            QByteArray(2 * 1024 * 1024, 'x')));

    // A later start that gets no answer ends rather than run as a twin.
    app.process().signal(SIGSTOP);
    const Outcome later = runTockwise(home, {});
    app.process().signal(SIGCONT);
    EXPECT_EQ(later.exitCode, 1) << later.describe(); // a twin would still run
    EXPECT_FALSE(later.standardError.isEmpty());

    const Outcome ended = app.quit();
    EXPECT_TRUE(ended.cleanExit()) << ended.describe();
    EXPECT_EQ(QDir(home.settingsFolder()).entryList({"*.tkw"}).size(), 4);
}

TEST(CommandLine, WithoutAnInstanceQuestionsFailAndSwitchesWaitForTheNextStart)
{
    Home home;
    home.set("XDG_RUNTIME_DIR", QString()); // as cron or ssh start a command
    for (const char *question : {"--list", "--quit"}) {
        const Outcome asked = runTockwise(home, {question});
        EXPECT_EQ(asked.exitCode, 1) << question;
        EXPECT_EQ(asked.standardError.trimmed(), "Tockwise is not running.") << question;
    }
    EXPECT_TRUE(runTockwise(home, {"--click-through", "on"}).cleanExit());
    EXPECT_EQ(settingsIn(home.defaultsFile())->value(Keys::ClickThrough),
              PropertyList::boolean(true));
    const Outcome version = runTockwise(home, {"--version"});
    EXPECT_TRUE(version.cleanExit());
    EXPECT_EQ(version.standardOutput.trimmed(), "Tockwise " TOCKWISE_VERSION);
}
