// The command line of `tockwise --render`, run as a user runs it.

#include "platform/PropertyListFile.h"

#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <utility>

namespace {

struct Outcome
{
    int exitCode = -1;
    QString standardError;
};

Outcome tockwise(const QStringList &arguments)
{
    QProcess process;
    // As from cron or ssh, where no session made a runtime folder.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    process.setProcessEnvironment(environment);
    process.setProgram(QStringLiteral(TOCKWISE_BINARY));
    process.setArguments(arguments);
    process.start();
    if (!process.waitForFinished(30000)) {
        process.kill();
        return {};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardError()).trimmed()};
}

class RenderCommand : public ::testing::Test
{
protected:
    QString path(const char *name) const { return dir.filePath(QString::fromUtf8(name)); }
    QTemporaryDir dir;
};

} // namespace

TEST_F(RenderCommand, DrawsTheDefaultClockIntoAPng)
{
    const Outcome run =
        tockwise({QStringLiteral("--render"), path("clock.png"), QStringLiteral("--time"),
                  QStringLiteral("2026-12-06T10:10:30Z")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.standardError, QString()) << "a command says only what it means to";
    const QImage image(path("clock.png"));
    EXPECT_EQ(image.size(), QSize(128, 128));
    EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0);
    EXPECT_GT(image.pixelColor(64, 100).alpha(), 0);
}

TEST_F(RenderCommand, TakesSettingsFilesOverridesAndScale)
{
    ASSERT_TRUE(PropertyListFile::write(
        path("clock.tkw"),
        {{QStringLiteral("TKWClockSize"), PropertyList::integer(200)},
         {QStringLiteral("TKWTimeZone"), PropertyList::string(QStringLiteral("UTC"))}}));
    const Outcome run = tockwise({QStringLiteral("--render"), path("big.png"),
                                  QStringLiteral("--settings"), path("clock.tkw"),
                                  QStringLiteral("--set"), QStringLiteral("TKWHandColor=#ff0000"),
                                  QStringLiteral("--set"), QStringLiteral("TKWDigitalClock=true"),
                                  QStringLiteral("--scale"), QStringLiteral("1.5")});
    EXPECT_EQ(run.exitCode, 0) << run.standardError.toStdString();
    const QImage image(path("big.png"));
    EXPECT_EQ(image.width(), 300);
    EXPECT_LT(image.height(), 300); // a digital clock is wider than high
}

TEST_F(RenderCommand, HighScalesDrawSharpEdgesAtFullResolution)
{
    // Along the middle row the border ring goes from transparent to opaque within
    // a device pixel or two: drawn at the scale, not drawn small and blown up.
    for (const auto &[scale, side] : {std::pair{"2", 256}, std::pair{"1.5", 192}}) {
        const QString out = path("scaled.png");
        const Outcome run = tockwise({QStringLiteral("--render"), out, QStringLiteral("--scale"),
                                      QString::fromLatin1(scale)});
        ASSERT_EQ(run.exitCode, 0) << run.standardError.toStdString();
        const QImage image(out);
        ASSERT_EQ(image.size(), QSize(side, side)) << scale;
        int blurred = 0;
        int x = 0;
        for (; x < side / 4 && image.pixelColor(x, side / 2).alpha() < 250; ++x) {
            blurred += image.pixelColor(x, side / 2).alpha() > 0 ? 1 : 0;
        }
        EXPECT_LT(x, side / 4) << "no opaque edge at scale " << scale;
        EXPECT_LE(blurred, 2) << scale;
    }
}

TEST_F(RenderCommand, BadInputGetsOneClearLineAndNoFile)
{
    QFile notPlist(path("notes.tkw"));
    ASSERT_TRUE(notPlist.open(QIODevice::WriteOnly));
    notPlist.write("not a property list");
    notPlist.close();
    ASSERT_TRUE(PropertyListFile::write(
        path("wild.tkw"), {{QStringLiteral("TKWClockSize"), PropertyList::string("abc")},
                           {QStringLiteral("SomeoneElsesKey"), PropertyList::integer(1)}}));
    const QString out = path("out.png");
    // The arguments after --render OUT, and words the one line must hold.
    const QList<std::pair<QStringList, QStringList>> bad = {
        {{"--bogus"}, {"bogus"}},
        {{"--set", "TKWTimeZone=Europe/Paris\x1b[2J"}, {"TKWTimeZone", "\\x1b"}},
        {{"--settings", path("missing.tkw")}, {"missing.tkw"}},
        {{"--settings", path("notes.tkw")}, {"notes.tkw"}},
        {{"--settings", path("wild.tkw")}, {"wild.tkw", "TKWClockSize", "16 to 2048"}},
        {{"--settings", path("wild.tkw"), "--settings", path("notes.tkw")}, {"--settings"}},
        {{"--time", "yesterday"}, {"--time", "yesterday"}},
        {{"--time", "2026-12-06T10:10:30"}, {"--time"}},
        {{"--time", "2026-12-06T10:10:30Z", "--time", "2026-12-06T10:10:31Z"}, {"--time"}},
        {{"--scale", "0"}, {"--scale", "0.25 to 16"}},
        {{"--scale", "2", "--scale", "3"}, {"--scale"}},
        {{"--set", "novalue"}, {"novalue", "KEY=VALUE"}},
        {{"--set", "TKWPipColor=red"}, {"TKWPipColor", "#rrggbb"}},
        {{"--set", "TKWFaceImage=/no/such/picture.png"}, {"TKWFaceImage", "/no/such"}},
        {{"--set", "TKW24HourDial=true"}, {"TKW24HourDial", "TKWTwentyFour"}},
        {{"--set", "TKWShowSecond=1"}, {"TKWShowSecond\"", "TKWShowSeconds?"}},
        {{"--set", "NoSuchKey=1"}, {"NoSuchKey", "TKWClockSize", "TKWUseFaceImage"}},
        {{"--set", "TKWClockSize=abc"}, {"TKWClockSize", "16 to 2048", "abc"}},
        {{"--set", "TKWClockSize=2049"}, {"TKWClockSize", "2049"}},
        {{"--set", "TKWClockSize=12\n"}, {"TKWClockSize"}},
        {{"--set", "TKWOpacity=1.5"}, {"TKWOpacity", "0 to 1"}},
        {{"--set", "TKWPipStyle=4"}, {"TKWPipStyle", "Arabic"}},
        {{"--set", "TKWShowSeconds=yes"}, {"TKWShowSeconds", "true or false"}},
        {{"--set", "TKWTimeZone=Mars/Base"}, {"TKWTimeZone", "Mars/Base"}},
        {{"--set", "TKWCenterFactor={0.5}"}, {"TKWCenterFactor", "{x, y}"}},
        {{"--set", "TKWRadiusFactor=-0.1"}, {"TKWRadiusFactor"}},
    };
    for (const auto &[arguments, words] : bad) {
        const Outcome run = tockwise(QStringList{"--render", out} + arguments);
        const std::string said = arguments.join(u' ').toStdString();
        EXPECT_EQ(run.exitCode, 2) << said;
        EXPECT_TRUE(run.standardError.startsWith(u"tockwise: ")) << said;
        EXPECT_FALSE(run.standardError.contains(u'\n'))
            << said << ": " << run.standardError.toStdString();
        for (const QString &word : words) {
            EXPECT_TRUE(run.standardError.contains(word))
                << said << ": " << run.standardError.toStdString() << " lacks "
                << word.toStdString();
        }
        EXPECT_FALSE(QFile::exists(out)) << said;
    }
    const Outcome unwritable = tockwise({"--render", path("no/such/folder/out.png")});
    EXPECT_EQ(unwritable.exitCode, 2);
    EXPECT_TRUE(unwritable.standardError.contains(u"no/such/folder"));
    // The options of rendering mean nothing to a running clock.
    const Outcome stray = tockwise({"--time", "2026-12-06T10:10:30Z"});
    EXPECT_EQ(stray.exitCode, 2);
    EXPECT_EQ(stray.standardError, QStringLiteral("tockwise: --time works only with --render"));
}

TEST_F(RenderCommand, TakesEveryFormOfAFittingValue)
{
    const QStringList good = {"TKWShowSeconds=false",   "TKWShowDate=0",
                              "TKWClockSize=16",        "TKWOpacity=1",
                              "TKWOpacity=0.25",        "TKWPipStyle=0",
                              "TKWTimeZone=Asia/Tokyo", "TKWCenterFactor={0.25, 0.75}",
                              "TKWRadiusFactor=0",      "TKWOtherDataColor=#00ff0080"};
    QStringList arguments = {"--render", path("good.png")};
    for (const QString &assignment : good) {
        arguments << "--set" << assignment;
    }
    const Outcome run = tockwise(arguments);
    EXPECT_EQ(run.exitCode, 0) << run.standardError.toStdString();
    EXPECT_EQ(QImage(path("good.png")).size(), QSize(16, 16));
}
