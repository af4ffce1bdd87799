#include "Support.h"

#include "store/PropertyListFile.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDebug>
#include <QLocalSocket>
#include <QPainter>
#include <QThread>

#include <grp.h>
#include <sstream>

using namespace tockwise;

extern char **environ;

void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

void PrintTo(const QStringList &list, std::ostream *out)
{
    *out << '{' << list.join(", ").toStdString() << '}';
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

// --- Homes --------------------------------------------------------------------

Home::Home()
{
    for (const auto &[variable, folder] :
         {std::pair{"XDG_CONFIG_HOME", "config"}, std::pair{"XDG_DATA_HOME", "data"},
          std::pair{"XDG_CACHE_HOME", "cache"}, std::pair{"XDG_STATE_HOME", "state"},
          std::pair{"XDG_RUNTIME_DIR", "runtime"}}) {
        const QString folderPath = filePath(folder);
        QDir().mkpath(folderPath);
        QFile::setPermissions(folderPath, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        set(variable, folderPath);
    }
    set("HOME", path());
    set("QT_QPA_PLATFORM", "offscreen");
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
        if (!it.value().isNull()) {
            result.append(it.key() + u'=' + it.value());
        }
    }
    return result;
}

void Home::useHere() const
{
    for (auto it = mVariables.cbegin(); it != mVariables.cend(); ++it) {
        if (it.key().startsWith(u"XDG_") || it.key() == u"HOME") {
            qputenv(it.key().toLatin1().constData(), QFile::encodeName(it.value()));
        }
    }
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
    : mOutputs(QDir::tempPath() + "/tockwise-out-XXXXXX")
{
    mProcess.setProgram(program);
    mProcess.setArguments(arguments);
    if (!options.environment.isEmpty()) {
        mProcess.setEnvironment(options.environment);
    }
    mProcess.setStandardOutputFile(mOutputs.filePath("out"));
    mProcess.setStandardErrorFile(mOutputs.filePath("err"));
    if (options.input < 0) {
        mProcess.setStandardInputFile(QProcess::nullDevice());
    }
    // Between fork and exec: async-signal-safe calls only.
    mProcess.setChildProcessModifier([options] {
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr); // what the test blocks, the child gets
        if (options.input >= 0) {
            ::dup2(options.input, STDIN_FILENO);
        }
        if (options.umask) {
            ::umask(*options.umask);
        }
        if (options.fileSizeLimit) {
            const rlimit limit{*options.fileSizeLimit, *options.fileSizeLimit};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        if (options.uid &&
            (::setgroups(0, nullptr) != 0 || ::setgid(options.gid.value_or(0)) != 0 ||
             ::setuid(*options.uid) != 0)) {
            ::_exit(126);
        }
    });
    mProcess.start();
    mProcess.waitForStarted();
}

Process::~Process()
{
    if (!poll()) {
        mProcess.kill();
        mProcess.waitForFinished(10'000);
    }
}

bool Process::poll()
{
    if (mProcess.state() != QProcess::NotRunning) {
        mProcess.waitForFinished(0);
    }
    return mProcess.state() == QProcess::NotRunning;
}

bool Process::wait(std::chrono::milliseconds limit)
{
    return poll() || mProcess.waitForFinished(int(limit.count())) || poll();
}

void Process::signal(int number)
{
    if (!poll()) {
        ::kill(pid_t(mProcess.processId()), number);
    }
}

Outcome Process::finish(std::chrono::milliseconds grace)
{
    Outcome outcome;
    outcome.finished = wait(grace);
    if (!outcome.finished) {
        mProcess.kill();
        wait(10s);
    }
    outcome.signalled = mProcess.exitStatus() == QProcess::CrashExit;
    outcome.signal = outcome.signalled ? mProcess.exitCode() : 0;
    outcome.exitCode = mProcess.error() == QProcess::FailedToStart ? 127
                       : outcome.signalled                         ? -1
                                                                   : mProcess.exitCode();
    rusage children = {};
    ::getrusage(RUSAGE_CHILDREN, &children);
    outcome.peakMemoryKb = children.ru_maxrss;
    outcome.standardOutput = standardOutput();
    outcome.standardError = standardError();
    return outcome;
}

QString dateText(const QString &zone, std::chrono::system_clock::time_point instant,
                 const QString &format)
{
    const auto seconds = std::chrono::floor<std::chrono::seconds>(instant).time_since_epoch();
    const Outcome date = run("date", {"-d", QString("@%1").arg(seconds.count()), "+" + format},
                             Process::Options({"TZ=" + zone}));
    return date.cleanExit() ? QString::fromUtf8(date.standardOutput).trimmed() : QString();
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
                   runTockwise(mHome, {"--list"}, 30s).cleanExit();
        },
        limit);
}

QStringList RunningTockwise::listed()
{
    const Outcome listed = runTockwise(mHome, {"--list"}, 30s);
    return QString::fromLocal8Bit(listed.standardOutput).split(u'\n', Qt::SkipEmptyParts);
}

Outcome RunningTockwise::quit(std::chrono::milliseconds limit)
{
    runTockwise(mHome, {"--quit"}, 30s);
    return mProcess->finish(limit);
}

bool refusedWithoutAnswer(const QString &socketPath, const QByteArray &bytes)
{
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(5000)) {
        return false;
    }
    QByteArray answer;
    for (qsizetype sent = 0;
         sent < bytes.size() && socket.state() == QLocalSocket::ConnectedState;) {
        const qint64 written = socket.write(bytes.mid(sent, 64 * 1024));
        if (written <= 0) {
            break;
        }
        sent += written;
        socket.waitForBytesWritten(1000);
        answer += socket.readAll();
    }
    waitFor([&] { return socket.state() == QLocalSocket::UnconnectedState; }, 10s);
    answer += socket.readAll();
    return socket.state() == QLocalSocket::UnconnectedState && answer.isEmpty();
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

void PrintTo(const FileState &state, std::ostream *out)
{
    *out << (state.exists ? state.kind : '-') << " mode " << std::oct << state.mode << std::dec
         << " size " << state.size << " -> " << state.linkTarget.toStdString() << " sha256 "
         << state.sha256.left(16).toStdString();
}

QByteArray bigEndian(quint64 value, int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = size - 1; i >= 0; --i, value >>= 8) {
        bytes[i] = char(value & 0xff);
    }
    return bytes;
}

QByteArray nestedArrays(int depth, bool binary, int times)
{
    if (!binary) {
        return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">" +
               QByteArray("<array>").repeated(depth) + QByteArray("</array>").repeated(depth) +
               "</plist>\n";
    }
    // Each array refers to the next by its index; the offsets of all follow them.
    QByteArray bytes = "bplist00", offsets;
    for (int i = 0; i < depth; ++i) {
        offsets += bigEndian(bytes.size(), 4);
        bytes += i + 1 < depth ? char(0xa0 + times) + bigEndian(i + 1, 4).repeated(times)
                               : QByteArray("\xa0");
    }
    const qsizetype table = bytes.size();
    return bytes + offsets + QByteArray(6, 0) + '\x04' + '\x04' + bigEndian(depth, 8) +
           bigEndian(0, 8) + bigEndian(table, 8);
}

QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
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

// --- Pictures -----------------------------------------------------------------

QString writePicture(const QString &path, QSize size, QColor colour, const char *format)
{
    QImage picture(size, QImage::Format_ARGB32);
    picture.fill(colour);
    QPainter painter(&picture);
    painter.fillRect(0, 0, size.width(), std::max(1, size.height() / 5), QColor(230, 200, 40));
    painter.end();
    return picture.save(path, format) ? path : QString();
}

QString comparePictures(const QImage &drawn, const QImage &expected)
{
    if (expected.isNull()) {
        return QStringLiteral("there is no picture to compare with");
    }
    if (drawn.size() != expected.size()) {
        QString sizes;
        QDebug(&sizes) << "drawn" << drawn.size() << "expected" << expected.size();
        return sizes;
    }
    const QImage a = drawn.convertToFormat(QImage::Format_ARGB32);
    const QImage b = expected.convertToFormat(QImage::Format_ARGB32);
    int differing = 0;
    int largest = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            const int difference =
                std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                          std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
            largest = std::max(largest, difference);
            differing += difference > 4 ? 1 : 0;
        }
    }
    // A hand a second off, a text in another form, a mark out of place or a colour
    // a few levels off changes dozens of pixels; rasterising the same shapes and
    // the pinned fonts again changes none, or a few at a glyph's edge.
    if (differing <= 3) {
        return {};
    }
    return QString("%1 pixels differ, by up to %2 levels").arg(differing).arg(largest);
}
