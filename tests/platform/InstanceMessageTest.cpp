#include "platform/InstanceMessage.h"

#include <QtEndian>

#include <gtest/gtest.h>

namespace {

QByteArray framed(const QByteArray &payload)
{
    QByteArray prefix(4, Qt::Uninitialized);
    qToBigEndian(static_cast<quint32>(payload.size()), prefix.data());
    return prefix + payload;
}

} // namespace

TEST(InstanceMessageTest, RequestsAndRepliesSurviveTheWire)
{
    for (const QStringList &arguments :
         {QStringList{}, QStringList{QString()},
          QStringList{QStringLiteral("--new-clock"),
                      QStringLiteral("Zürich \"\\\n\x01 \U0001F570")}}) {
        EXPECT_EQ(parseInstanceMessage(encodeInstanceRequest(arguments)), arguments);
    }
    const InstanceReply reply{-3, QStringLiteral("a.tkw\tEurope/Paris\n")};
    EXPECT_EQ(parseInstanceReply(encodeInstanceReply(reply)), reply);

    // Too large to send is refused at once, not cut.
    const QString half(maximumInstanceMessageSize / 2, u'a');
    EXPECT_TRUE(encodeInstanceRequest({half, half}).isEmpty());
    EXPECT_TRUE(encodeInstanceReply({0, half + half}).isEmpty());
    // The largest prefix must not wrap around.
    EXPECT_EQ(announcedInstanceMessageSize("\xff\xff\xff\xff"), qsizetype(4) + 0xFFFFFFFFLL);
}

TEST(InstanceMessageTest, AnythingButOneWellFormedMessageIsRefused)
{
    const QByteArray good = encodeInstanceRequest({QStringLiteral("--list")});
    const struct
    {
        const char *name;
        QByteArray message;
    } requests[] = {
        {"empty", {}},
        {"part of the prefix", good.left(3)},
        {"shorter than announced", good.chopped(1)},
        {"longer than announced", good + good},
        {"announces four gigabytes", QByteArray("\xff\xff\xff\xff{}", 6)},
        {"not JSON", framed("arguments")},
        {"a JSON array", framed(R"(["--list"])")},
        {"no arguments", framed(R"({"argv":["--list"]})")},
        {"arguments not a list", framed(R"({"arguments":"--list"})")},
        {"a number among the arguments", framed(R"({"arguments":["--list",1]})")},
        {"a list among the arguments", framed(R"({"arguments":[["--list"]]})")},
        {"deep nesting", framed(QByteArray(100'000, '[') + QByteArray(100'000, ']'))},
        {"a reply", encodeInstanceReply({0, QStringLiteral("ok")})},
    };
    for (const auto &row : requests) {
        EXPECT_EQ(parseInstanceMessage(row.message), std::nullopt) << row.name;
    }
    for (const char *reply :
         {R"({"exitCode":1.5,"output":""})", R"({"exitCode":4294967296,"output":""})",
          R"({"exitCode":"0","output":""})", R"({"exitCode":0})"}) {
        EXPECT_EQ(parseInstanceReply(framed(reply)), std::nullopt) << reply;
    }
}
