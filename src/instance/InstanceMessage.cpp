#include "instance/InstanceMessage.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtEndian>

#include <cmath>
#include <limits>

namespace tockwise {

namespace {

constexpr qsizetype prefixSize = sizeof(quint32);

const QString argumentsKey = QStringLiteral("arguments");
const QString exitCodeKey = QStringLiteral("exitCode");
const QString outputKey = QStringLiteral("output");

QByteArray frame(const QJsonObject &object)
{
    const QByteArray payload = QJsonDocument(object).toJson(QJsonDocument::Compact);
    if (payload.size() > maximumInstanceMessageSize - prefixSize) {
        return {};
    }
    QByteArray message(prefixSize, Qt::Uninitialized);
    qToBigEndian(static_cast<quint32>(payload.size()), message.data());
    return message + payload;
}

std::optional<QJsonObject> unframe(const QByteArray &message)
{
    const std::optional<qsizetype> size = announcedInstanceMessageSize(message);
    if (!size || *size > maximumInstanceMessageSize || *size != message.size()) {
        return std::nullopt;
    }
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(message.mid(prefixSize), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        return std::nullopt;
    }
    return document.object();
}

} // namespace

std::optional<qsizetype> announcedInstanceMessageSize(const QByteArray &bytes)
{
    if (bytes.size() < prefixSize) {
        return std::nullopt;
    }
    // Widened before the addition, so that a prefix near 2^32 cannot wrap around.
    return prefixSize + static_cast<qsizetype>(qFromBigEndian<quint32>(bytes.constData()));
}

QByteArray encodeInstanceRequest(const QStringList &arguments)
{
    return frame({{argumentsKey, QJsonArray::fromStringList(arguments)}});
}

QByteArray encodeInstanceReply(const InstanceReply &reply)
{
    return frame({{exitCodeKey, reply.exitCode}, {outputKey, reply.output}});
}

std::optional<QStringList> parseInstanceMessage(const QByteArray &message)
{
    const std::optional<QJsonObject> object = unframe(message);
    if (!object) {
        return std::nullopt;
    }
    const QJsonValue value = object->value(argumentsKey);
    if (!value.isArray()) {
        return std::nullopt;
    }
    QStringList arguments;
    for (const QJsonValue &argument : value.toArray()) {
        if (!argument.isString()) {
            return std::nullopt;
        }
        arguments.append(argument.toString());
    }
    return arguments;
}

std::optional<InstanceReply> parseInstanceReply(const QByteArray &message)
{
    const std::optional<QJsonObject> object = unframe(message);
    if (!object) {
        return std::nullopt;
    }
    const QJsonValue exitCode = object->value(exitCodeKey);
    const QJsonValue output = object->value(outputKey);
    if (!exitCode.isDouble() || !output.isString()) {
        return std::nullopt;
    }
    // JSON numbers are doubles: only a whole number an int holds is an exit status.
    const double code = exitCode.toDouble();
    if (code != std::trunc(code) || code < std::numeric_limits<int>::min() ||
        code > std::numeric_limits<int>::max()) {
        return std::nullopt;
    }
    return InstanceReply{static_cast<int>(code), output.toString()};
}

} // namespace tockwise
