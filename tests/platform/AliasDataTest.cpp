// A face picture's alias finds the file again after a move nearby, within a budget.

#include "store/AliasData.h"

#include "Support.h"

using namespace tockwise;

namespace {

// home/pics/face.png, home/pics/sub, home/other and far (outside the searched trees).
class Layout : public Scratch
{
public:
    Layout() { run("mkdir -p home/pics/sub home/other far && echo x >home/pics/face.png"); }
    bool run(const QString &commands) const
    {
        return ::run("/bin/sh", {"-c", "cd '" + path() + "' && " + commands}).cleanExit();
    }
};

QByteArray aliasWithPath(const QByteArray &path, quint32 declaredSize)
{
    return AliasData("/", {1, 2}).encode().left(22) + bigEndian(declaredSize) + path;
}

} // namespace

TEST(AliasData, DataThatIsNotAnAliasDecodesToNone)
{
    const QByteArray good = AliasData("/p/face.png", {1, 2}).encode();
    ASSERT_TRUE(AliasData::decode(aliasWithPath("/p/face.png", 11)));
    const std::pair<const char *, QByteArray> rows[] = {
        {"path cut short", good.chopped(1)},
        {"trailing bytes", good + 'x'},
        {"later version", QByteArray(good).replace(4, 2, QByteArray("\0\3", 2))},
        {"stamp cut short", QByteArray(good).replace(4, 2, QByteArray("\0\2", 2))},
        {"declared path longer than the data", aliasWithPath("/p/face.png", 12)},
        {"declared path of 4 GB", aliasWithPath("/p/face.png", 0xffffffffu)},
        {"relative path", aliasWithPath("p/face.png", 10)},
        {"path with a zero byte", aliasWithPath(QByteArray("/p\0q", 4), 4)},
        {"path that is not UTF-8", aliasWithPath("/p/\xff\xfe.png", 9)},
    };
    for (const auto &[name, data] : rows) {
        EXPECT_FALSE(AliasData::decode(data)) << name;
    }
}

TEST(AliasData, FindsTheFileAfterAMoveNearby)
{
    // Each moves home/pics/face.png; where the alias finds it then, if anywhere.
    const std::tuple<const char *, const char *, const char *> rows[] = {
        {"unchanged", "true", "home/pics/face.png"},
        {"renamed", "mv home/pics/face.png home/pics/new.png", "home/pics/new.png"},
        {"into a subfolder", "mv home/pics/face.png home/pics/sub/f.png", "home/pics/sub/f.png"},
        {"to a sibling folder", "mv home/pics/face.png home/other/f.png", "home/other/f.png"},
        {"its folder renamed", "mv home/pics home/photos", "home/photos/face.png"},
        {"out of the searched trees", "mv home/pics/face.png far/face.png", nullptr},
        {"saved over by an editor", "echo y >home/pics/x; mv home/pics/x home/pics/face.png",
         "home/pics/face.png"},
        {"renamed, another file put in its place",
         "mv home/pics/face.png home/pics/new.png; echo y >home/pics/face.png",
         "home/pics/face.png"},
        // A file system gives a freed inode to the next new file (as a link shows
        // here): a file in its place wins, and one found by identity alone must
        // have the size and time it had.
        {"saved anew while its inode went elsewhere",
         "ln home/pics/face.png home/pics/other.png; echo y >home/pics/x; "
         "mv home/pics/x home/pics/face.png",
         "home/pics/face.png"},
        {"deleted, its inode gone to another file",
         "ln home/pics/face.png home/pics/other.png; rm home/pics/face.png; "
         "echo y >>home/pics/other.png",
         nullptr},
        {"reachable only through a link to a folder",
         "mv home/pics/face.png far/face.png; ln -s ../../far home/pics/link", nullptr},
        // Far off, where people keep pictures: the test's home is a private one.
        {"into home", "mkdir -p ~/a/b && mv home/pics/face.png ~/a/b", "~/a/b/face.png"},
        {"into a hidden folder of home", "mkdir -p ~/.a && mv home/pics/face.png ~/.a", nullptr},
    };
    for (const auto &[name, steps, expected] : rows) {
        const Layout layout;
        const auto alias = AliasData::fromPath(layout.filePath("home/pics/face.png"));
        ASSERT_TRUE(alias && layout.run(steps)) << name;
        const QString where = QString(expected).replace("~", QDir::homePath());
        EXPECT_EQ(alias->resolve(),
                  expected ? std::optional(QDir(layout.path()).filePath(where)) : std::nullopt)
            << name;
    }
    const Layout layout;
    ASSERT_TRUE(layout.run("ln -s nothing home/dangling"));
    for (const char *notAFile : {"home/pics/none.png", "home/pics", "home/dangling", ""}) {
        EXPECT_FALSE(AliasData::fromPath(*notAFile ? layout.filePath(notAFile) : QString()))
            << notAFile;
    }
}

TEST(AliasData, TheSearchStopsAtItsBudgetOfEntriesAndTime)
{
    const Layout layout;
    const auto alias = AliasData::fromPath(layout.filePath("home/pics/face.png"));
    ASSERT_TRUE(alias && layout.run("mv home/pics/face.png home/pics/sub && cd home/pics && "
                                    "for i in $(seq 50); do echo x >$i; done"));
    // Breadth-first, the subfolder's entries come after the 51 of its parent.
    EXPECT_FALSE(alias->resolve({.maximumEntries = 40}));
    EXPECT_EQ(alias->resolve({.maximumEntries = 60}), layout.filePath("home/pics/sub/face.png"));
    EXPECT_FALSE(alias->resolve({.maximumEntries = 60, .maximumTime = 0ms}));
    // One budget in all: the 53 entries near the file come before the pictures folder.
    ASSERT_TRUE(layout.run("mkdir -p ~/Pictures && mv home/pics/sub/face.png ~/Pictures"));
    EXPECT_FALSE(alias->resolve({.maximumEntries = 53}));
    EXPECT_EQ(alias->resolve({.maximumEntries = 54}), QDir::homePath() + "/Pictures/face.png");
}
