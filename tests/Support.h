#pragma once

// What the tests share: waiting for a condition, scratch folders and homes of
// their own, the real tockwise binary and other processes, files and pictures.

#include "store/PropertyListFile.h"

#include <QApplication>
#include <QFile>
#include <QHash>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace std::chrono_literals;

// Lets gtest print the values tests compare most.
void PrintTo(const QString &text, std::ostream *out);
void PrintTo(const QStringList &list, std::ostream *out);

// Microseconds on the monotonic clock (steady_clock's), which every process of the machine shares.
inline qint64 monotonicMicroseconds()
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::microseconds>(now).count();
}

// One value as one line of text, the same in a log and for a file's value.
inline QByteArray canonicalValue(const tockwise::PropertyList &value)
{
    return value.isNone() ? QByteArray("-")
                          : tockwise::PropertyListFile::toXml({{"v", value}}).toBase64();
}

// An instant in UTC, of 2026 unless another year is given.
inline std::chrono::system_clock::time_point utc(int month, int day, int hour, int minute,
                                                 int second, int year = 2026)
{
    using namespace std::chrono;
    return sys_days(std::chrono::year(year) / month / day) + hours(hour) + minutes(minute) +
           seconds(second);
}

// Runs the event loop until `done` holds or the time is up; returns `done()`. The
// deadline is only a guard against hanging: a test waits for what it looks at.
bool waitFor(const std::function<bool()> &done, std::chrono::milliseconds limit = 30s);

// Does `whileUp` once a modal window of the kind is up; it is to end it.
template <class Modal> void whenUp(const std::function<void(Modal &)> &whileUp)
{
    QTimer::singleShot(0, [whileUp] {
        auto *modal = qobject_cast<Modal *>(QApplication::activeModalWidget());
        modal ? whileUp(*modal) : whenUp<Modal>(whileUp); // not up yet: again
    });
}

// The first shown top-level window of the kind, if any.
template <class Window> Window *shownWindow()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *window = qobject_cast<Window *>(widget); window && window->isVisible()) {
            return window;
        }
    }
    return nullptr;
}

// A temporary folder, removed with everything in it at the end of the test.
struct Scratch : QTemporaryDir
{
    Scratch() : QTemporaryDir(QDir::tempPath() + "/tockwise-test-XXXXXX") {}
};

// A user of its own for the processes a test starts: every XDG folder under one
// scratch folder, so that they meet neither the test's settings nor anyone's.
class Home : public Scratch
{
public:
    Home();
    QString configFolder() const { return variable("XDG_CONFIG_HOME"); }
    QString dataFolder() const { return variable("XDG_DATA_HOME"); }
    QString settingsFolder() const { return dataFolder() + "/org.tockwise.Tockwise"; }
    QString defaultsFile() const { return configFolder() + "/org.tockwise.Tockwise.plist"; }
    QString socketPath() const
    {
        return variable("XDG_RUNTIME_DIR") + "/org.tockwise.Tockwise.socket";
    }

    // Another value for a variable of the children's environment; an empty
    // QString() removes it.
    void set(const char *name, const QString &value) { mVariables[QLatin1String(name)] = value; }
    QString variable(const char *name) const { return mVariables.value(QLatin1String(name)); }
    // The test's own environment with this home's variables, as NAME=value.
    QStringList environment() const;
    // Makes its XDG folders and home this process's own.
    void useHere() const;

private:
    QHash<QString, QString> mVariables;
};

QByteArray readFile(const QString &path);
// The entries of a folder, hidden ones too, by name.
QStringList entriesOf(const QString &folder);
// `value` in `size` bytes, the most significant first.
QByteArray bigEndian(quint64 value, int size = 4);

struct Outcome
{
    bool finished = false; // false: still running when the time was up, then killed
    bool signalled = false;
    int exitCode = -1;
    int signal = 0;
    long peakMemoryKb = 0; // the largest resident set of any child ended so far
    QByteArray standardOutput;
    QByteArray standardError;

    bool cleanExit() const { return finished && !signalled && exitCode == 0; }
    std::string describe() const;
};

// A child process whose output goes to files, which may be read while it runs,
// and which may be ended with any signal. Killed when destroyed.
class Process
{
public:
    struct Options
    {
        Options(QStringList variables = {}) : environment(std::move(variables)) {}

        QStringList environment;  // NAME=value; the test's own environment when empty
        std::optional<uid_t> uid; // run as this user (the test must be root)
        std::optional<gid_t> gid;
        int input = -1; // standard input; /dev/null when negative
        std::optional<mode_t> umask;
        std::optional<rlim_t> fileSizeLimit; // bytes; a write past it fails as on a full disk
    };

    Process(const QString &program, const QStringList &arguments, const Options &options = {});
    ~Process();
    Process(const Process &) = delete;
    Process &operator=(const Process &) = delete;

    // True once the child has ended.
    bool poll();
    bool wait(std::chrono::milliseconds limit);
    void signal(int number);
    // Kills what still runs after `grace`, then gives how it ended.
    Outcome finish(std::chrono::milliseconds grace = 0ms);
    QByteArray standardOutput() const { return readFile(mOutputs.filePath("out")); }
    QByteArray standardError() const { return readFile(mOutputs.filePath("err")); }

private:
    QTemporaryDir mOutputs;
    QProcess mProcess;
};

// Runs a program to its end, killing it after `limit`.
inline Outcome run(const QString &program, const QStringList &arguments,
                   const Process::Options &options = {}, std::chrono::milliseconds limit = 60s)
{
    return Process(program, arguments, options).finish(limit);
}

// What `TZ=zone date +FORMAT` prints for the instant ("%Z": the zone's abbreviation).
QString dateText(const QString &zone, std::chrono::system_clock::time_point instant,
                 const QString &format = "%Z");

// Sends `bytes` on the instance socket; true when the instance closed the
// connection without answering.
bool refusedWithoutAnswer(const QString &socketPath, const QByteArray &bytes);

// The real tockwise binary, run in a home.
inline QString tockwiseBinary()
{
    return QStringLiteral(TOCKWISE_BINARY);
}
inline Outcome runTockwise(const Home &home, const QStringList &arguments,
                           std::chrono::milliseconds limit = 60s)
{
    return run(tockwiseBinary(), arguments, {home.environment()}, limit);
}

// A running instance of the real binary in a home: started, asked, ended as a
// user would, with `tockwise --list` and `tockwise --quit`.
class RunningTockwise
{
public:
    explicit RunningTockwise(const Home &home, const QStringList &arguments = {},
                             Process::Options options = {});
    // True once the instance answers on its socket.
    bool serving(std::chrono::milliseconds limit = 60s);
    // What --list prints: one "file<TAB>zone" a clock.
    QStringList listed();
    // Asks it to quit and waits for it to end.
    Outcome quit(std::chrono::milliseconds limit = 60s);
    Process &process() { return *mProcess; }

private:
    const Home &mHome;
    std::unique_ptr<Process> mProcess;
};

// Everything about a file that a damaged or foreign file must keep: what it is,
// where a link points, its size, mode and content (hashed; links not followed).
struct FileState
{
    bool exists = false;
    char kind = '?'; // f regular, l link, d folder, c device, p pipe
    QString linkTarget;
    qint64 size = 0;
    unsigned mode = 0;
    QByteArray sha256;

    bool operator==(const FileState &) const = default;
};
FileState fileState(const QString &path);
void PrintTo(const FileState &state, std::ostream *out);

bool writeFile(const QString &path, const QByteArray &bytes);
// A property list of `depth` arrays, each holding the next: binary or XML. In a
// binary one each may hold the next `times` times, as one object shared.
QByteArray nestedArrays(int depth, bool binary, int times = 1);
// The settings of a file that reads as a settings dictionary, else none.
inline std::optional<tockwise::PropertyList::Dictionary> settingsIn(const QString &path)
{
    return tockwise::PropertyListFile::read(path);
}

// A picture file of one colour, with a bar along its top edge of another, so
// that which way up it was drawn shows.
QString writePicture(const QString &path, QSize size, QColor colour, const char *format = "PNG");

// Empty when two pictures are alike (no more than three pixels differ by more than
// four levels of a channel, as at the edge of a glyph); otherwise what differs.
QString comparePictures(const QImage &drawn, const QImage &expected);
