// Login items: the Exec line as the desktop reads it; others' entries never touched.

#include "desktop/AutostartEntry.h"

#include "Support.h"
#include "desktop/DesktopEntryFormat.h"

using namespace tockwise;

using DesktopEntryFormat::execValue;
using DesktopEntryFormat::programOfExecValue;

TEST(ExecValue, QuotesAsWorkedByHandAndReadsBack)
{
    // Quoting first, then the string escapes of the file format, which double
    // every backslash again.
    const std::pair<QString, QString> rows[] = {
        {"/usr/bin/tockwise", "/usr/bin/tockwise"},
        {"/opt/My Apps/tockwise", R"("/opt/My Apps/tockwise")"},
        {R"(/opt/a"b)", R"("/opt/a\\"b")"},
        {R"(/opt/a\b)", R"("/opt/a\\\\b")"},
        {"/opt/$HOME/t", R"("/opt/\\$HOME/t")"},
        {"/opt/100%/t", "/opt/100%%/t"},
        {"/opt/50% off/t", R"("/opt/50%% off/t")"},
        {"/opt/`x`", R"("/opt/\\`x\\`")"},
        {"/opt/a\nb", R"("/opt/a\nb")"},
        {"/opt/it's", R"("/opt/it's")"},
    };
    for (const auto &[program, exec] : rows) {
        EXPECT_EQ(execValue(program), exec);
        EXPECT_EQ(programOfExecValue(exec), program);
    }
    EXPECT_FALSE(execValue("/opt/bell\a")) << "no escape can hold it";
    // Lines others wrote, with arguments and field codes, or broken.
    EXPECT_EQ(programOfExecValue(R"(  "/a b/t" %f --x)"), "/a b/t");
    EXPECT_FALSE(programOfExecValue(R"("/opt/unterminated)"));
}

TEST(LoginItem, NeverReplacesOrTouchesOtherEntriesNorCountsDisabledOnes)
{
    const QString folder = AutostartEntry::folder();
    ASSERT_TRUE(QDir().mkpath(folder));
    Scratch programs;
    const auto makeProgram = [&](const QString &name) {
        const QString path = programs.filePath(name);
        EXPECT_TRUE(QDir().mkpath(QFileInfo(path).path()) && writeFile(path, "#!/bin/sh\n"));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    };
    const auto entry = [&](const QString &name) { return folder + '/' + name; };
    const auto addEntry = [&](const QString &name, const QString &program, const char *extra) {
        EXPECT_TRUE(writeFile(entry(name), "[Desktop Entry]\nType=Application\nName=X\nExec=" +
                                               execValue(program)->toUtf8() + " --x\n" + extra));
    };
    // Every entry, even a dangling link, as it is.
    const auto entries = [&] {
        QList<std::pair<QString, FileState>> all;
        for (const QString &name : entriesOf(folder)) {
            all.append({name, fileState(entry(name))});
        }
        return all;
    };
    // Under our own names: an entry of a program since deleted, and a dangling link;
    // and entries of the program that the session skips.
    const QString program = makeProgram("My Apps/tock$wise"), deleted = makeProgram("deleted");
    addEntry(AutostartEntry::preferredFileName, deleted, "");
    ASSERT_TRUE(QFile::remove(deleted));
    const QString elsewhere = programs.filePath("elsewhere.desktop");
    ASSERT_TRUE(QFile::link(elsewhere, entry("org.tockwise.Tockwise-2.desktop")));
    addEntry("a.desktop", makeProgram("other"), "");
    addEntry("hidden.desktop", program, "Hidden=true\n");
    addEntry("off.desktop", program, "X-GNOME-Autostart-enabled=false\n");
    const auto before = entries();
    EXPECT_FALSE(AutostartEntry::isEstablished(program));
    AutostartEntry::remove(program);
    AutostartEntry::establish(deleted);
    AutostartEntry::remove(deleted);
    EXPECT_EQ(entries(), before);
    AutostartEntry::establish(program);
    AutostartEntry::establish(program);
    EXPECT_EQ(entries().size(), before.size() + 1);
    EXPECT_EQ(AutostartEntry::find(program), entry("org.tockwise.Tockwise-3.desktop"));
    AutostartEntry::remove(program);
    EXPECT_EQ(entries(), before);
    EXPECT_FALSE(QFileInfo::exists(elsewhere));
    // An entry that runs it through a link is its own.
    ASSERT_TRUE(QFile::link(program, programs.filePath("link")));
    addEntry("z.desktop", programs.filePath("link"), "");
    EXPECT_EQ(AutostartEntry::find(program), entry("z.desktop"));
    QDir(folder).removeRecursively();
}
