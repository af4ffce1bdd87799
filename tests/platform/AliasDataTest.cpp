#include "platform/AliasData.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <cstdio>

namespace {

// A picture at <tmp>/home/pics/face.png beside the folders home/pics/sub,
// home/other and (outside the searched trees) far. Each step changes it:
// "mv FROM TO" (replacing TO, as an editor's save does), "write FILE" or
// "ln TARGET LINK".
class Layout
{
public:
    Layout()
    {
        for (const char *folder : {"home/pics/sub", "home/other", "far"}) {
            QDir(mRoot.path()).mkpath(QString::fromUtf8(folder));
        }
        run(QStringLiteral("write home/pics/face.png"));
    }

    QString path(const QString &relative) const { return mRoot.filePath(relative); }

    bool run(const QString &steps) const
    {
        for (const QString &step : steps.split(u';', Qt::SkipEmptyParts)) {
            if (!runStep(step.split(u' ', Qt::SkipEmptyParts))) {
                return false;
            }
        }
        return true;
    }

private:
    bool runStep(const QStringList &words) const
    {
        if (words[0] == u"mv") {
            return std::rename(QFile::encodeName(path(words[1])).constData(),
                               QFile::encodeName(path(words[2])).constData()) == 0;
        }
        if (words[0] == u"ln") {
            return QFile::link(path(words[1]), path(words[2]));
        }
        QFile file(path(words[1]));
        return words[0] == u"write" && file.open(QIODevice::WriteOnly) && file.write("x") == 1;
    }

    QTemporaryDir mRoot;
};

QByteArray aliasWithPath(const QByteArray &path, quint32 declaredSize)
{
    const quint32 big = qToBigEndian(declaredSize);
    return AliasData(QStringLiteral("/"), {1, 2}).encode().left(22) +
           QByteArray(reinterpret_cast<const char *>(&big), sizeof big) + path;
}

} // namespace

TEST(AliasDataEncoding, PathAndIdentitySurvive)
{
    const AliasData alias(QStringLiteral("/home/zoë/Bilder/Zifferblatt 1.png"),
                          {0x0123456789abcdefULL, 0xfedcba9876543210ULL});
    EXPECT_EQ(AliasData::decode(alias.encode()), alias);
    EXPECT_TRUE(AliasData::decode(aliasWithPath("/p/face.png", 11)));
}

TEST(AliasDataEncoding, DataThatIsNotAnAliasDecodesToNone)
{
    const QByteArray good = AliasData(QStringLiteral("/p/face.png"), {1, 2}).encode();
    const struct
    {
        const char *name;
        QByteArray data;
    } rows[] = {
        {"empty", QByteArray()},
        {"header cut short", good.left(20)},
        {"path cut short", good.chopped(1)},
        {"trailing bytes", good + 'x'},
        {"wrong magic", QByteArray(good).replace(0, 4, "TKWc")},
        {"later version", QByteArray(good).replace(4, 2, QByteArray("\0\2", 2))},
        {"declared path longer than the data", aliasWithPath("/p/face.png", 12)},
        {"declared path shorter than the data", aliasWithPath("/p/face.png", 10)},
        {"declared path of 4 GB", aliasWithPath("/p/face.png", 0xffffffffu)},
        {"empty path", aliasWithPath("", 0)},
        {"relative path", aliasWithPath("p/face.png", 10)},
        {"path with a zero byte", aliasWithPath(QByteArray("/p\0q", 4), 4)},
        {"path that is not UTF-8", aliasWithPath("/p/\xff\xfe.png", 9)},
    };
    for (const auto &row : rows) {
        EXPECT_FALSE(AliasData::decode(row.data)) << row.name;
    }
}

TEST(AliasDataMaking, OnlyAnExistingRegularFileGivesAnAlias)
{
    const Layout layout;
    const QString face = layout.path(QStringLiteral("home/pics/face.png"));
    EXPECT_EQ(AliasData::fromPath(face).value_or(AliasData({}, {})).path(), face);
    ASSERT_TRUE(layout.run(QStringLiteral("ln nothing dangling")));
    for (const char *relative : {"home/pics/none.png", "home/pics", "dangling"}) {
        EXPECT_FALSE(AliasData::fromPath(layout.path(QString::fromUtf8(relative)))) << relative;
    }
    EXPECT_FALSE(AliasData::fromPath(QString()));
}

TEST(AliasDataResolution, FindsTheFileAfterAMoveNearby)
{
    const struct
    {
        const char *name;
        const char *steps;
        const char *expected; // null: resolves to none
    } rows[] = {
        {"unchanged", "", "home/pics/face.png"},
        {"renamed", "mv home/pics/face.png home/pics/new.png", "home/pics/new.png"},
        {"moved into a subfolder", "mv home/pics/face.png home/pics/sub/f.png",
         "home/pics/sub/f.png"},
        {"moved to a sibling folder", "mv home/pics/face.png home/other/f.png", "home/other/f.png"},
        {"its folder renamed", "mv home/pics home/photos", "home/photos/face.png"},
        {"moved out of the searched trees", "mv home/pics/face.png far/face.png", nullptr},
        {"saved over by an editor",
         "write home/pics/face.tmp; mv home/pics/face.tmp home/pics/face.png",
         "home/pics/face.png"},
        {"renamed, another file put in its place",
         "mv home/pics/face.png home/pics/new.png; write home/pics/face.png", "home/pics/new.png"},
        {"reachable only through a link to a folder",
         "mv home/pics/face.png far/face.png; ln far home/pics/link", nullptr},
    };
    for (const auto &row : rows) {
        const Layout layout;
        const auto alias = AliasData::fromPath(layout.path(QStringLiteral("home/pics/face.png")));
        ASSERT_TRUE(alias && layout.run(QString::fromUtf8(row.steps))) << row.name;
        const std::optional<QString> resolved = alias->resolve();
        if (row.expected) {
            EXPECT_EQ(resolved, layout.path(QString::fromUtf8(row.expected))) << row.name;
        } else {
            EXPECT_FALSE(resolved) << row.name << ": " << resolved->toStdString();
        }
    }
}

TEST(AliasDataResolution, TheSearchStopsAtItsEntryBudget)
{
    const Layout layout;
    const auto alias = AliasData::fromPath(layout.path(QStringLiteral("home/pics/face.png")));
    QString steps = QStringLiteral("mv home/pics/face.png home/pics/sub/face.png");
    for (int i = 0; i < 50; ++i) {
        steps += QStringLiteral(";write home/pics/%1").arg(i);
    }
    ASSERT_TRUE(alias && layout.run(steps));
    // Breadth-first, the subfolder's entries come after the 51 of its parent.
    EXPECT_FALSE(alias->resolve({.maximumEntries = 40}));
    EXPECT_EQ(alias->resolve({.maximumEntries = 60}),
              layout.path(QStringLiteral("home/pics/sub/face.png")));
}
