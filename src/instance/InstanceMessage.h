#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace tockwise {

// The running instance's answer to a later start: what that start prints and the
// status it exits with.
struct InstanceReply
{
    int exitCode = 0;
    QString output;

    bool operator==(const InstanceReply &) const = default;
};

// Messages between a later start and the running instance are a four-byte
// big-endian length of what follows, then a compact JSON object. The prefix lets a
// reader know it has the whole message without waiting for the writer to close.

// A command line is a few hundred bytes. A peer that announces more than this (the
// prefix included) is no Tockwise, and is cut off before it can make us buffer it.
inline constexpr qsizetype maximumInstanceMessageSize = 1024 * 1024;

// The whole size the message at the head of `bytes` announces, once its prefix has
// arrived.
std::optional<qsizetype> announcedInstanceMessageSize(const QByteArray &bytes);

// Empty when the message would exceed the maximum.
QByteArray encodeInstanceRequest(const QStringList &arguments);
QByteArray encodeInstanceReply(const InstanceReply &reply);

// The arguments of a request, or none unless `message` is exactly one well-formed
// request within the maximum. Its bytes come from another process, so nothing in
// them is trusted.
std::optional<QStringList> parseInstanceMessage(const QByteArray &message);
std::optional<InstanceReply> parseInstanceReply(const QByteArray &message);

} // namespace tockwise
