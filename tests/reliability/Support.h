#pragma once

// What the reliability tests share: private users for the processes they start,
// those processes (the real tockwise binary among them) with their exit, output
// and peak memory, snapshots of files, and the warnings a test process logs.

#include "platform/PropertyList.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <sys/types.h>

namespace Reliability {

using namespace std::chrono_literals;

// Microseconds on the monotonic clock, which every process of the machine shares.
qint64 monotonicMicroseconds();

// Runs the event loop until `done` holds or the time is up; returns `done()`.
bool waitFor(const std::function<bool()> &done, std::chrono::milliseconds limit);

// A user of its own for the processes a test starts: every XDG folder under one
// temporary folder, so that they meet neither the test's settings nor anyone's.
class Home
{
public:
    Home();
    QString path() const { return mDir.path(); }
    QString configFolder() const { return variable("XDG_CONFIG_HOME"); }
    QString dataFolder() const { return variable("XDG_DATA_HOME"); }
    QString runtimeFolder() const { return variable("XDG_RUNTIME_DIR"); }
    QString settingsFolder() const;
    QString defaultsFile() const;
    QString socketPath() const;
    QString filePath(const QString &name) const { return mDir.filePath(name); }

    // Another value for a variable of the children's environment.
    void set(const char *name, const QString &value) { mVariables[QLatin1String(name)] = value; }
    QString variable(const char *name) const { return mVariables.value(QLatin1String(name)); }
    // The test's own environment with this home's variables, as NAME=value.
    QStringList environment() const;

    // Hands every folder to `uid`, for a child that runs as that user.
    bool giveTo(uid_t uid, gid_t gid) const;

private:
    QTemporaryDir mDir;
    QHash<QString, QString> mVariables;
};

struct Outcome
{
    bool finished = false; // false: still running when the time was up, then killed
    bool signalled = false;
    int exitCode = -1;
    int signal = 0;
    long peakMemoryKb = 0; // the child's largest resident set (ru_maxrss)
    QByteArray standardOutput;
    QByteArray standardError;

    bool cleanExit() const { return finished && !signalled && exitCode == 0; }
    std::string describe() const;
};

// A child process started with fork and exec, so that its own resource usage can
// be taken when it ends and it can be ended with any signal. Its output goes to
// files, which may be read while it runs. Killed and reaped when destroyed.
class Process
{
public:
    struct Options
    {
        Options(QStringList variables = {}) : environment(std::move(variables)) {}

        // NAME=value; the test's own environment when empty.
        QStringList environment;
        // Run as this user (the test must be root).
        std::optional<uid_t> uid;
        std::optional<gid_t> gid;
        // Standard input; /dev/null when negative.
        int input = -1;
        std::optional<mode_t> umask;
    };

    Process(const QString &program, const QStringList &arguments, const Options &options);
    ~Process();
    Process(const Process &) = delete;
    Process &operator=(const Process &) = delete;

    pid_t pid() const { return mPid; }
    bool started() const { return mPid > 0; }
    // Reaps the child when it has ended; false while it runs.
    bool poll();
    // Waits for the end; false if it still runs after `limit`.
    bool wait(std::chrono::milliseconds limit);
    void signal(int number) const;
    // Kills what still runs, then gives how it ended.
    Outcome finish(std::chrono::milliseconds grace = 0ms);
    QByteArray standardOutput() const;
    QByteArray standardError() const;

private:
    QTemporaryDir mOutputs;
    pid_t mPid = -1;
    bool mReaped = false;
    int mStatus = 0;
    long mPeakMemoryKb = 0;
};

// Runs a program to its end, killing it after `limit`.
Outcome run(const QString &program, const QStringList &arguments, const Process::Options &options,
            std::chrono::milliseconds limit = 30s);

// The real tockwise binary.
QString tockwiseBinary();
Outcome tockwise(const Home &home, const QStringList &arguments,
                 std::chrono::milliseconds limit = 30s);

// A running instance of the real binary in a home: started, asked, ended as a
// user would, with `tockwise --list` and `tockwise --quit`.
class RunningTockwise
{
public:
    explicit RunningTockwise(const Home &home, const QStringList &arguments = {},
                             Process::Options options = {});
    // True once the instance answers on its socket.
    bool serving(std::chrono::milliseconds limit = 20s);
    // The settings files of the clocks it shows, from --list.
    QStringList listedFiles();
    // Asks it to quit and waits for it to end.
    Outcome quit(std::chrono::milliseconds limit = 15s);
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
std::string describe(const FileState &state);

bool writeFile(const QString &path, const QByteArray &bytes);
QByteArray readFile(const QString &path);

// Warnings and other messages the test process logs while it lives.
class MessageLog
{
public:
    MessageLog();
    ~MessageLog();
    MessageLog(const MessageLog &) = delete;
    MessageLog &operator=(const MessageLog &) = delete;

    QStringList messages() const;
    QStringList naming(const QString &text) const;

private:
    QtMessageHandler mPrevious;
};

// One value as one line of text, the same in a log and for a file's value.
QByteArray canonicalValue(const PropertyList &value);

} // namespace Reliability
