#include "store/UserDefaults.h"

#include "store/PropertyListFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTimer>

#include <utility>

namespace tockwise {

namespace {

const QString fileName = QStringLiteral("org.tockwise.Tockwise.plist");

} // namespace

UserDefaults &UserDefaults::standard()
{
    static UserDefaults defaults(standardFilePath());
    return defaults;
}

QString UserDefaults::standardFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u'/' +
           fileName;
}

UserDefaults::UserDefaults(const QString &filePath) : mFilePath(filePath)
{}

UserDefaults::~UserDefaults()
{
    *mAlive = false;
    synchronize();
}

void UserDefaults::load() const
{
    if (mLoaded) {
        return;
    }
    mLoaded = true;
    if (!QFileInfo::exists(mFilePath)) {
        return;
    }
    QString error;
    if (auto contents = PropertyListFile::read(mFilePath, &error)) {
        mPersistent = std::move(*contents);
    } else {
        mReadFailed = true;
        // Only a regular file is moved aside later; a folder or a device in its
        // place is left alone and cannot be written either, which its one warning
        // says as well.
        mUnreadable = QFileInfo(mFilePath).isFile();
        if (mUnreadable) {
            qWarning("The settings file %s could not be read (%s); default settings are used.",
                     qUtf8Printable(mFilePath), qUtf8Printable(error));
        } else {
            mWarnedUnwritable = true;
            qWarning("The settings file %s could not be read (%s); default settings are used "
                     "and changes are not saved.",
                     qUtf8Printable(mFilePath), qUtf8Printable(error));
        }
    }
}

bool UserDefaults::isReadable() const
{
    load();
    return !mReadFailed;
}

void UserDefaults::registerDefaults(const PropertyList::Dictionary &defaults)
{
    for (auto it = defaults.cbegin(); it != defaults.cend(); ++it) {
        mRegistered.insert(it.key(), it.value());
    }
}

PropertyList UserDefaults::objectForKey(const QString &key) const
{
    load();
    if (const auto it = mPersistent.constFind(key); it != mPersistent.cend()) {
        return it.value();
    }
    return mRegistered.value(key);
}

bool UserDefaults::boolForKey(const QString &key) const
{
    return objectForKey(key).boolValue().value_or(false);
}

qint64 UserDefaults::integerForKey(const QString &key) const
{
    return objectForKey(key).longLongValue().value_or(0);
}

float UserDefaults::floatForKey(const QString &key) const
{
    return objectForKey(key).floatValue().value_or(0.0f);
}

double UserDefaults::doubleForKey(const QString &key) const
{
    return objectForKey(key).doubleValue().value_or(0.0);
}

QString UserDefaults::stringForKey(const QString &key) const
{
    const PropertyList value = objectForKey(key);
    return value.asString() ? *value.asString() : QString();
}

void UserDefaults::setObject(const QString &key, const PropertyList &value)
{
    if (value.isNone()) {
        removeObjectForKey(key);
        return;
    }
    load();
    mPersistent.insert(key, value);
    changed(key);
}

void UserDefaults::setBool(const QString &key, bool value)
{
    setObject(key, PropertyList::boolean(value));
}

void UserDefaults::setInteger(const QString &key, qint64 value)
{
    setObject(key, PropertyList::integer(value));
}

void UserDefaults::removeObjectForKey(const QString &key)
{
    load();
    if (mPersistent.remove(key) > 0) {
        changed(key);
    }
}

void UserDefaults::changed(const QString &key)
{
    mDirty = true;
    scheduleWrite();
    mObservers.notify(key);
}

void UserDefaults::scheduleWrite()
{
    auto *app = QCoreApplication::instance();
    if (!app) {
        // Without an event loop nothing would ever run a deferred write.
        synchronize();
        return;
    }
    if (mWriteScheduled) {
        return;
    }
    mWriteScheduled = true;
    // One write for a burst of changes made while handling one event.
    QTimer::singleShot(0, app, [this, alive = mAlive] {
        if (*alive) {
            mWriteScheduled = false;
            synchronize();
        }
    });
    if (!mFlushesAtQuit) {
        mFlushesAtQuit = true;
        QObject::connect(app, &QCoreApplication::aboutToQuit, app, [this, alive = mAlive] {
            if (*alive) {
                synchronize();
            }
        });
    }
}

bool UserDefaults::synchronize()
{
    if (!mDirty) {
        return true;
    }
    QDir().mkpath(QFileInfo(mFilePath).absolutePath());
    if (mUnreadable) {
        // Never overwrite what we could not read: it may still be the user's.
        const QString aside = mFilePath + QStringLiteral(".unreadable");
        QFile::remove(aside);
        if (QFile::rename(mFilePath, aside) || !QFileInfo::exists(mFilePath)) {
            qWarning("The unreadable settings file was kept as %s.", qUtf8Printable(aside));
            mUnreadable = false;
        } else {
            if (!std::exchange(mWarnedUnwritable, true)) {
                qWarning("Settings cannot be saved: %s could not be moved aside.",
                         qUtf8Printable(mFilePath));
            }
            mLastError = QCoreApplication::translate(
                "UserDefaults", "the unreadable file there could not be moved aside");
            return false;
        }
    }
    QString error;
    if (!PropertyListFile::write(mFilePath, mPersistent, &error)) {
        // Once until a save succeeds again: it is tried again at every change.
        if (!std::exchange(mWarnedUnwritable, true)) {
            qWarning("Settings cannot be saved to %s: %s; the file there is left as it was.",
                     qUtf8Printable(mFilePath), qUtf8Printable(error));
        }
        mLastError = error;
        return false;
    }
    mWarnedUnwritable = false;
    mLastError.clear();
    mDirty = false;
    return true;
}

Observation UserDefaults::observe(const QString &key, KeyObservers::Callback callback)
{
    return mObservers.observe(key, std::move(callback));
}

} // namespace tockwise
