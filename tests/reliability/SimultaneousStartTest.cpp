// The real tockwise started several times at one moment, as a double click or a
// login script may: one instance runs on, every other start ends cleanly saying
// so, and the settings are written by that one instance alone.

#include "Support.h"
#include "settings/SettingsKeys.h"
#include "store/PropertyListFile.h"
#include "window/TKWWindowController.h"

#include <fcntl.h>

using namespace tockwise;

TEST(SimultaneousStarts, TenLeaveOneInstance)
{
    constexpr int count = 10;
    Home home;
    const QDir folder(home.settingsFolder());
    ASSERT_TRUE(QDir().mkpath(folder.path()));
    ASSERT_TRUE(PropertyListFile::write(home.defaultsFile(),
                                        {{Keys::Converted, PropertyList::boolean(true)}}));
    const QStringList names = {"A.tkw", "B.tkw"};
    for (const QString &name : names) {
        ASSERT_TRUE(
            PropertyListFile::write(folder.filePath(name), TKWWindowController::defaultConfig()));
    }

    // Each start waits in a shell for one line of a shared pipe, once it has made a
    // file of its own to say so; one write lets them all go within a millisecond.
    int gate[2];
    ASSERT_EQ(::pipe2(gate, O_CLOEXEC), 0);
    std::vector<std::unique_ptr<Process>> starts;
    Process::Options options{home.environment()};
    options.input = gate[0];
    const QDir waiting(home.filePath("waiting"));
    ASSERT_TRUE(QDir().mkpath(waiting.path()));
    for (int i = 0; i < count; ++i) {
        starts.push_back(std::make_unique<Process>(
            "/bin/sh",
            QStringList{"-c", ": >\"$1\" && read -r go && exec \"$0\"", tockwiseBinary(),
                        waiting.filePath(QString::number(i))},
            options));
    }
    ::close(gate[0]);
    ASSERT_TRUE(waitFor([&] { return waiting.entryList(QDir::Files).size() == count; }, 60s));
    const QByteArray lines(count, '\n');
    ASSERT_EQ(::write(gate[1], lines.constData(), std::size_t(count)), count);
    ::close(gate[1]);

    // All but one end on their own.
    const auto running = [&starts] {
        return std::ranges::count_if(starts, [](auto &start) { return !start->poll(); });
    };
    waitFor([&] { return running() <= 1; }, 60s);
    // The one left serves (asked only once its socket is there: a --list that found
    // none would stand in for it), and still runs after answering.
    ASSERT_TRUE(waitFor([&] { return QFileInfo::exists(home.socketPath()); }, 60s));
    const Outcome listed = runTockwise(home, {"--list"});
    ASSERT_EQ(running(), 1);
    Process *primary = nullptr;
    for (const auto &start : starts) {
        if (!start->poll()) {
            primary = start.get();
            continue;
        }
        const Outcome ended = start->finish();
        EXPECT_TRUE(ended.cleanExit()) << ended.describe();
        EXPECT_FALSE((ended.standardOutput + ended.standardError).trimmed().isEmpty())
            << "a start that hands over says so";
    }

    EXPECT_TRUE(listed.cleanExit()) << listed.describe();
    EXPECT_EQ(listed.standardOutput.count('\n'), names.size()) << "the saved clocks, no more";
    EXPECT_TRUE(runTockwise(home, {"--quit"}).cleanExit());
    const Outcome ended = primary->finish(15s);
    EXPECT_TRUE(ended.cleanExit()) << ended.describe();

    // Every file whole, and none half-written left beside them.
    EXPECT_EQ(entriesOf(folder.path()), names);
    EXPECT_EQ(entriesOf(home.configFolder()),
              QStringList{QFileInfo(home.defaultsFile()).fileName()});
    for (const QString &path :
         {folder.filePath(names[0]), folder.filePath(names[1]), home.defaultsFile()}) {
        EXPECT_TRUE(settingsIn(path)) << path.toStdString();
    }
}
