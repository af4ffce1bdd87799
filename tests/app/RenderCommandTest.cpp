// The command line of `tockwise --render`, run as a user runs it.

#include "platform/PropertyListFile.h"

#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct Outcome
{
    int exitCode = -1;
    QString standardError;
};

Outcome tockwise(const QStringList &arguments)
{
    QProcess process;
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
    EXPECT_EQ(run.exitCode, 0) << run.standardError.toStdString();
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
    const QString out = path("out.png");
    const QList<QStringList> bad = {
        {QStringLiteral("--render"), out, QStringLiteral("--bogus")},
        {QStringLiteral("--render"), out, QStringLiteral("--settings"), path("missing.tkw")},
        {QStringLiteral("--render"), out, QStringLiteral("--settings"), path("notes.tkw")},
        {QStringLiteral("--render"), out, QStringLiteral("--time"), QStringLiteral("yesterday")},
        {QStringLiteral("--render"), out, QStringLiteral("--time"),
         QStringLiteral("2026-12-06T10:10:30")},
        {QStringLiteral("--render"), out, QStringLiteral("--set"), QStringLiteral("novalue")},
        {QStringLiteral("--render"), out, QStringLiteral("--set"),
         QStringLiteral("TKWPipColor=red")},
        {QStringLiteral("--render"), out, QStringLiteral("--set"),
         QStringLiteral("TKWFaceImage=/no/such/picture.png")},
        {QStringLiteral("--render"), out, QStringLiteral("--scale"), QStringLiteral("0")},
        {QStringLiteral("--render"), path("no/such/folder/out.png")},
    };
    for (const QStringList &arguments : bad) {
        const Outcome run = tockwise(arguments);
        const std::string said = arguments.join(u' ').toStdString();
        EXPECT_GT(run.exitCode, 0) << said;
        EXPECT_FALSE(run.standardError.isEmpty()) << said;
        EXPECT_FALSE(run.standardError.contains(u'\n'))
            << said << ": " << run.standardError.toStdString();
        EXPECT_FALSE(QFile::exists(out)) << said;
    }
}
