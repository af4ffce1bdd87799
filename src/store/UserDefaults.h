#pragma once

#include "store/KeyObservers.h"
#include "store/PropertyList.h"

#include <QString>

#include <memory>

namespace tockwise {

// The application-wide settings: a registered domain (values the program supplies,
// never written) under the user's persistent domain, which lives in one
// property-list file and is written back atomically soon after every change and
// before the process exits.
class UserDefaults
{
public:
    // The process's defaults in $XDG_CONFIG_HOME/org.tockwise.Tockwise.plist.
    static UserDefaults &standard();
    static QString standardFilePath();

    explicit UserDefaults(const QString &filePath);
    ~UserDefaults();
    UserDefaults(const UserDefaults &) = delete;
    UserDefaults &operator=(const UserDefaults &) = delete;

    QString filePath() const { return mFilePath; }
    // False when the file is there but could not be read: the user's values are
    // then unknown, not absent.
    bool isReadable() const;

    // Registered values answer only for keys that the user's own values lack.
    void registerDefaults(const PropertyList::Dictionary &defaults);

    // The user's value, else the registered one, else none.
    PropertyList objectForKey(const QString &key) const;
    bool boolForKey(const QString &key) const;
    qint64 integerForKey(const QString &key) const;
    float floatForKey(const QString &key) const;
    double doubleForKey(const QString &key) const;
    QString stringForKey(const QString &key) const;

    // Setting none removes the user's value.
    void setObject(const QString &key, const PropertyList &value);
    void setBool(const QString &key, bool value);
    void setInteger(const QString &key, qint64 value);
    void removeObjectForKey(const QString &key);

    // Writes pending changes now. False when the file could not be written; the
    // changes stay pending, and lastError() says why.
    bool synchronize();
    QString lastError() const { return mLastError; }

    [[nodiscard]] Observation observe(const QString &key, KeyObservers::Callback callback);

private:
    void load() const;
    void changed(const QString &key);
    void scheduleWrite();

    QString mFilePath;
    PropertyList::Dictionary mRegistered;
    mutable PropertyList::Dictionary mPersistent;
    mutable bool mLoaded = false;
    // The file was there but could not be read; it is moved aside, not overwritten.
    mutable bool mUnreadable = false;
    mutable bool mReadFailed = false;
    bool mDirty = false;
    bool mWriteScheduled = false;
    bool mFlushesAtQuit = false;
    mutable bool mWarnedUnwritable = false;
    QString mLastError;
    std::shared_ptr<bool> mAlive = std::make_shared<bool>(true);
    KeyObservers mObservers;
};

} // namespace tockwise
