#include "Support.h"

#include "platform/PropertyListFile.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QThread>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <grp.h>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace Reliability {

qint64 monotonicMicroseconds()
{
    timespec now = {};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1'000'000 + now.tv_nsec / 1000;
}

bool waitFor(const std::function<bool()> &done, std::chrono::milliseconds limit)
{
    const QDeadlineTimer deadline(limit);
    while (!done() && !deadline.hasExpired()) {
        if (QCoreApplication::instance()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        QThread::msleep(5);
    }
    return done();
}

// --- Home ---------------------------------------------------------------------

Home::Home() : mDir(QDir::tempPath() + QStringLiteral("/tockwise-rel-XXXXXX"))
{
    for (const auto &[variable, folder] :
         {std::pair{"XDG_CONFIG_HOME", "config"}, std::pair{"XDG_DATA_HOME", "data"},
          std::pair{"XDG_CACHE_HOME", "cache"}, std::pair{"XDG_STATE_HOME", "state"},
          std::pair{"XDG_RUNTIME_DIR", "runtime"}}) {
        const QString path = mDir.filePath(QLatin1String(folder));
        QDir().mkpath(path);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        set(variable, path);
    }
    set("HOME", mDir.path());
    set("QT_QPA_PLATFORM", QStringLiteral("offscreen"));
}

QString Home::settingsFolder() const
{
    return dataFolder() + QStringLiteral("/org.tockwise.Tockwise");
}

QString Home::defaultsFile() const
{
    return configFolder() + QStringLiteral("/org.tockwise.Tockwise.plist");
}

QString Home::socketPath() const
{
    return runtimeFolder() + QStringLiteral("/org.tockwise.Tockwise.socket");
}

QStringList Home::environment() const
{
    QStringList result;
    for (char **entry = environ; *entry; ++entry) {
        const QString text = QString::fromLocal8Bit(*entry);
        if (!mVariables.contains(text.section(u'=', 0, 0))) {
            result.append(text);
        }
    }
    for (auto it = mVariables.cbegin(); it != mVariables.cend(); ++it) {
        result.append(it.key() + u'=' + it.value());
    }
    return result;
}

bool Home::giveTo(uid_t uid, gid_t gid) const
{
    bool ok = ::chown(QFile::encodeName(path()).constData(), uid, gid) == 0;
    QDirIterator it(path(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        ok = ::lchown(QFile::encodeName(it.next()).constData(), uid, gid) == 0 && ok;
    }
    return ok;
}

// --- Processes ----------------------------------------------------------------

std::string Outcome::describe() const
{
    std::ostringstream text;
    if (!finished) {
        text << "still running when the time was up";
    } else if (signalled) {
        text << "killed by signal " << signal;
    } else {
        text << "exit code " << exitCode;
    }
    text << ", peak memory " << peakMemoryKb / 1024 << " MB";
    if (!standardError.isEmpty()) {
        text << ", stderr:\n" << standardError.toStdString();
    }
    return text.str();
}

Process::Process(const QString &program, const QStringList &arguments, const Options &options)
    : mOutputs(QDir::tempPath() + QStringLiteral("/tockwise-out-XXXXXX"))
{
    // Everything the child needs is built before the fork: between fork and exec
    // only async-signal-safe calls are allowed.
    std::vector<QByteArray> storage;
    storage.push_back(QFile::encodeName(program));
    for (const QString &argument : arguments) {
        storage.push_back(argument.toLocal8Bit());
    }
    const std::size_t argumentCount = storage.size();
    for (const QString &entry : options.environment) {
        storage.push_back(entry.toLocal8Bit());
    }
    if (options.environment.isEmpty()) {
        for (char **entry = environ; *entry; ++entry) {
            storage.emplace_back(*entry);
        }
    }
    std::vector<char *> argv;
    std::vector<char *> envp;
    for (std::size_t i = 0; i < storage.size(); ++i) {
        (i < argumentCount ? argv : envp).push_back(storage[i].data());
    }
    argv.push_back(nullptr);
    envp.push_back(nullptr);

    const int out = ::open(QFile::encodeName(mOutputs.filePath(QStringLiteral("out"))).constData(),
                           O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const int err = ::open(QFile::encodeName(mOutputs.filePath(QStringLiteral("err"))).constData(),
                           O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const int null = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    const int in = options.input >= 0 ? options.input : null;
    const bool asOther = options.uid.has_value();
    const uid_t uid = options.uid.value_or(0);
    const gid_t gid = options.gid.value_or(0);
    const bool setsMask = options.umask.has_value();
    const mode_t mask = options.umask.value_or(0);

    mPid = ::fork();
    if (mPid == 0) {
        ::dup2(in, STDIN_FILENO);
        ::dup2(out, STDOUT_FILENO);
        ::dup2(err, STDERR_FILENO);
        // Qt blocks nothing the child should keep blocked, but be sure.
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        if (setsMask) {
            ::umask(mask);
        }
        if (asOther && (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0)) {
            ::_exit(126);
        }
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    ::close(out);
    ::close(err);
    ::close(null);
}

Process::~Process()
{
    if (started() && !mReaped) {
        ::kill(mPid, SIGKILL);
        wait(10s);
    }
}

bool Process::poll()
{
    if (!started() || mReaped) {
        return true;
    }
    int status = 0;
    rusage usage = {};
    const pid_t ended = ::wait4(mPid, &status, WNOHANG, &usage);
    if (ended == mPid) {
        mReaped = true;
        mStatus = status;
        mPeakMemoryKb = usage.ru_maxrss;
        return true;
    }
    return ended < 0 && errno == ECHILD;
}

bool Process::wait(std::chrono::milliseconds limit)
{
    const QDeadlineTimer deadline(limit);
    while (!poll()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QThread::msleep(5);
    }
    return true;
}

void Process::signal(int number) const
{
    if (started() && !mReaped) {
        ::kill(mPid, number);
    }
}

Outcome Process::finish(std::chrono::milliseconds grace)
{
    Outcome outcome;
    outcome.finished = wait(grace);
    if (!outcome.finished) {
        signal(SIGKILL);
        wait(10s);
    }
    if (mReaped) {
        outcome.signalled = WIFSIGNALED(mStatus);
        outcome.signal = outcome.signalled ? WTERMSIG(mStatus) : 0;
        outcome.exitCode = WIFEXITED(mStatus) ? WEXITSTATUS(mStatus) : -1;
    }
    outcome.peakMemoryKb = mPeakMemoryKb;
    outcome.standardOutput = standardOutput();
    outcome.standardError = standardError();
    return outcome;
}

QByteArray Process::standardOutput() const
{
    return readFile(mOutputs.filePath(QStringLiteral("out")));
}

QByteArray Process::standardError() const
{
    return readFile(mOutputs.filePath(QStringLiteral("err")));
}

Outcome run(const QString &program, const QStringList &arguments, const Process::Options &options,
            std::chrono::milliseconds limit)
{
    Process process(program, arguments, options);
    return process.finish(limit);
}

QString tockwiseBinary()
{
    return QStringLiteral(TOCKWISE_BINARY);
}

Outcome tockwise(const Home &home, const QStringList &arguments, std::chrono::milliseconds limit)
{
    return run(tockwiseBinary(), arguments, {home.environment()}, limit);
}

RunningTockwise::RunningTockwise(const Home &home, const QStringList &arguments,
                                 Process::Options options)
    : mHome(home)
{
    if (options.environment.isEmpty()) {
        options.environment = home.environment();
    }
    mProcess = std::make_unique<Process>(tockwiseBinary(), arguments, options);
}

bool RunningTockwise::serving(std::chrono::milliseconds limit)
{
    // Asked only once the socket is there: a --list that found no socket would
    // itself take the instance's place for a moment.
    return waitFor(
        [this] {
            return !mProcess->poll() && QFileInfo::exists(mHome.socketPath()) &&
                   tockwise(mHome, {QStringLiteral("--list")}, 10s).cleanExit();
        },
        limit);
}

QStringList RunningTockwise::listedFiles()
{
    const Outcome listed = tockwise(mHome, {QStringLiteral("--list")}, 10s);
    QStringList files;
    for (const QString &line : QString::fromLocal8Bit(listed.standardOutput).split(u'\n')) {
        if (!line.isEmpty()) {
            files.append(line.section(u'\t', 0, 0));
        }
    }
    files.sort();
    return files;
}

Outcome RunningTockwise::quit(std::chrono::milliseconds limit)
{
    tockwise(mHome, {QStringLiteral("--quit")}, 10s);
    return mProcess->finish(limit);
}

// --- Files --------------------------------------------------------------------

FileState fileState(const QString &path)
{
    FileState state;
    const QByteArray native = QFile::encodeName(path);
    struct stat info = {};
    if (::lstat(native.constData(), &info) != 0) {
        return state;
    }
    state.exists = true;
    state.size = info.st_size;
    state.mode = info.st_mode & 07777;
    if (S_ISREG(info.st_mode)) {
        state.kind = 'f';
        QFile file(path);
        QCryptographicHash hash(QCryptographicHash::Sha256);
        if (file.open(QIODevice::ReadOnly) && hash.addData(&file)) {
            state.sha256 = hash.result().toHex();
        }
    } else if (S_ISLNK(info.st_mode)) {
        state.kind = 'l';
        std::vector<char> target(std::size_t(info.st_size) + 1);
        const ssize_t length = ::readlink(native.constData(), target.data(), target.size());
        state.linkTarget =
            QFile::decodeName(QByteArray(target.data(), std::max<ssize_t>(length, 0)));
    } else if (S_ISDIR(info.st_mode)) {
        state.kind = 'd';
        state.size = 0;
    } else if (S_ISCHR(info.st_mode)) {
        state.kind = 'c';
    } else if (S_ISFIFO(info.st_mode)) {
        state.kind = 'p';
    }
    return state;
}

std::string describe(const FileState &state)
{
    if (!state.exists) {
        return "missing";
    }
    std::ostringstream text;
    text << state.kind << " mode " << std::oct << state.mode << std::dec << " size " << state.size;
    if (!state.linkTarget.isEmpty()) {
        text << " -> " << state.linkTarget.toStdString();
    }
    if (!state.sha256.isEmpty()) {
        text << " sha256 " << state.sha256.left(16).toStdString();
    }
    return text.str();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// --- Messages -----------------------------------------------------------------

namespace {

QMutex messagesMutex;
QStringList loggedMessages;

void keepMessage(QtMsgType, const QMessageLogContext &, const QString &text)
{
    const QMutexLocker lock(&messagesMutex);
    loggedMessages.append(text);
}

} // namespace

MessageLog::MessageLog()
{
    const QMutexLocker lock(&messagesMutex);
    loggedMessages.clear();
    mPrevious = qInstallMessageHandler(keepMessage);
}

MessageLog::~MessageLog()
{
    qInstallMessageHandler(mPrevious);
}

QStringList MessageLog::messages() const
{
    const QMutexLocker lock(&messagesMutex);
    return loggedMessages;
}

QStringList MessageLog::naming(const QString &text) const
{
    return messages().filter(text);
}

QByteArray canonicalValue(const PropertyList &value)
{
    if (value.isNone()) {
        return QByteArrayLiteral("-");
    }
    return PropertyListFile::toXml({{QStringLiteral("v"), value}}).toBase64();
}

} // namespace Reliability
