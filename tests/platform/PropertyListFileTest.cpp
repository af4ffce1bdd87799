#include "platform/PropertyListFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

class PropertyListFileTest : public ::testing::Test
{
protected:
    QString path(const char *name) const { return dir.filePath(QString::fromUtf8(name)); }

    void writeBytes(const QString &file, const QByteArray &bytes) const
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    QByteArray readBytes(const QString &file) const
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir dir;
};

PropertyList::Dictionary everyKind()
{
    const QDateTime when(QDate(2026, 12, 6), QTime(14, 30, 5), Qt::UTC);
    return {
        {QStringLiteral("integer"), PropertyList::integer(-42)},
        {QStringLiteral("big"), PropertyList::integer(std::int64_t(1) << 40)},
        {QStringLiteral("real"), PropertyList::real(0.9411764740943909)},
        {QStringLiteral("tiny"), PropertyList::real(1e-300)},
        {QStringLiteral("yes"), PropertyList::boolean(true)},
        {QStringLiteral("no"), PropertyList::boolean(false)},
        {QStringLiteral("string"), PropertyList::string(QStringLiteral("<Zürich & \"Tōkyō\">"))},
        {QStringLiteral("empty"), PropertyList::string(QString())},
        {QStringLiteral("data"), PropertyList::data(QByteArray("\x00\xff\x10 x", 5))},
        {QStringLiteral("date"), PropertyList::date(when)},
        {QStringLiteral("array"),
         PropertyList::array(
             {PropertyList::integer(1), PropertyList::string(QStringLiteral("two"))})},
        {QStringLiteral("dict"),
         PropertyList::dictionary({{QStringLiteral("inner"), PropertyList::real(0.5)}})},
    };
}

} // namespace

TEST_F(PropertyListFileTest, EveryKindSurvivesTheRoundTrip)
{
    const PropertyList::Dictionary original = everyKind();
    ASSERT_TRUE(PropertyListFile::write(path("all.plist"), original));
    const auto back = PropertyListFile::read(path("all.plist"));
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, original);
    EXPECT_TRUE(readBytes(path("all.plist")).startsWith("<?xml"));
}

TEST_F(PropertyListFileTest, ReadsBinaryPropertyLists)
{
    // Written by Python's plistlib: {"TKWClockSize": 200, "TKWHandColor": <01 02>,
    // "TKWLocal": true, "TKWOpacity": 0.75, "TKWTimeZone": "Asia/Tokyo"}.
    const QByteArray binary = QByteArray::fromHex(
        "62706c6973743030d50102030405060708090a5c544b57436c6f636b53697a655c544b5748616e64436f"
        "6c6f7258544b574c6f63616c5a544b574f7061636974795b544b5754696d655a6f6e6510c84201020923"
        "3fe80000000000005a417369612f546f6b796f0813202d36414d4f52535c000000000000010100000000"
        "0000000b00000000000000000000000000000067");
    const auto dictionary = PropertyListFile::parse(binary);
    ASSERT_TRUE(dictionary.has_value());
    EXPECT_EQ(dictionary->size(), 5);
    EXPECT_EQ(dictionary->value(QStringLiteral("TKWClockSize")), PropertyList::integer(200));
    EXPECT_EQ(dictionary->value(QStringLiteral("TKWHandColor")),
              PropertyList::data(QByteArray("\x01\x02", 2)));
    EXPECT_EQ(dictionary->value(QStringLiteral("TKWOpacity")), PropertyList::real(0.75));
    EXPECT_EQ(dictionary->value(QStringLiteral("TKWTimeZone")),
              PropertyList::string(QStringLiteral("Asia/Tokyo")));
    EXPECT_EQ(dictionary->value(QStringLiteral("TKWLocal")), PropertyList::boolean(true));
}

TEST_F(PropertyListFileTest, BinaryDatesReadAsTheWholeSecondsASaveKeeps)
{
    // Written by Python's plistlib: {"d": 2026-12-06T14:30:05.5Z}.
    const QByteArray binary = QByteArray::fromHex(
        "62706c6973743030d1010251643341c862d476c00000080b0d000000000000010100000000000000030000"
        "0000000000000000000000000016");
    const auto read = PropertyListFile::parse(binary);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->value(QStringLiteral("d")),
              PropertyList::date(QDateTime(QDate(2026, 12, 6), QTime(14, 30, 5), Qt::UTC)));
    EXPECT_EQ(PropertyListFile::parse(PropertyListFile::toXml(*read)), read);
}

TEST_F(PropertyListFileTest, WhatIsNotADictionaryReadsAsNone)
{
    const QByteArray header = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">";
    const QList<QByteArray> bad = {
        QByteArray(),
        "random bytes \x01\x02\x03",
        header + "<array><integer>1</integer></array></plist>",
        header + "<string>just text</string></plist>",
        header + "<dict><key>TKWClockSize</key><integer>128</integer><key>TKWOpa",
        "bplist00garbage that claims to be binary",
    };
    for (const QByteArray &bytes : bad) {
        QString error;
        EXPECT_FALSE(PropertyListFile::parse(bytes, &error).has_value()) << bytes.constData();
        EXPECT_FALSE(error.isEmpty());
    }
}

TEST_F(PropertyListFileTest, MissingDevicesAndFoldersReadAsNoneWithoutBlocking)
{
    QString error;
    EXPECT_FALSE(PropertyListFile::read(path("missing.plist"), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(PropertyListFile::read(dir.path()));
    EXPECT_FALSE(PropertyListFile::read(QStringLiteral("/dev/zero")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("fifo")).constData(), 0600), 0);
    EXPECT_FALSE(PropertyListFile::read(path("fifo")));
}

TEST_F(PropertyListFileTest, AnOversizedFileIsRefusedBeforeParsing)
{
    QFile big(path("big.plist"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    ASSERT_TRUE(big.resize(PropertyListFile::maximumFileSize + 1));
    big.close();
    QString error;
    EXPECT_FALSE(PropertyListFile::read(path("big.plist"), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("large")));
}

TEST_F(PropertyListFileTest, AFailedWriteLeavesTheOldFileWhole)
{
    const PropertyList::Dictionary first = {{QStringLiteral("a"), PropertyList::integer(1)}};
    ASSERT_TRUE(PropertyListFile::write(path("keep.plist"), first));
    const QByteArray before = readBytes(path("keep.plist"));
    if (::geteuid() != 0) {
        ::chmod(QFile::encodeName(dir.path()).constData(), 0500);
        QString error;
        EXPECT_FALSE(PropertyListFile::write(path("keep.plist"), everyKind(), &error));
        EXPECT_FALSE(error.isEmpty());
        ::chmod(QFile::encodeName(dir.path()).constData(), 0700);
        EXPECT_EQ(readBytes(path("keep.plist")), before);
    }
    // A folder where the file should be cannot be replaced, whoever we are.
    QDir(dir.path()).mkdir(QStringLiteral("folder.plist"));
    EXPECT_FALSE(PropertyListFile::write(path("folder.plist"), first));
    EXPECT_TRUE(QFileInfo(path("folder.plist")).isDir());
}

TEST_F(PropertyListFileTest, ValuesSettingsNeverHoldMakeTheWholeFileUnreadable)
{
    // Written by Python's plistlib: {"ok": 1, "uid": UID(1)}. Archiver UIDs are never
    // settings; the file is refused whole, not read without them.
    const QByteArray binary = QByteArray::fromHex(
        "62706c6973743030d201020304526f6b5375696410018001080d10141600000000000001010000000000"
        "00000500000000000000000000000000000018");
    // {"ok": 1, "zone": "Paris\0junk"}: XML cannot hold the NUL, so saving would cut
    // the string short.
    const QByteArray nulInString = QByteArray::fromHex(
        "62706c6973743030d201020304526f6b547a6f6e6510015a5061726973006a756e6b080d10151700000000"
        "00000101000000000000000500000000000000000000000000000022");
    // {"ok": 1, "zo\0ne": "Paris"}: the library aborts when asked for such a key.
    const QByteArray nulInKey = QByteArray::fromHex(
        "62706c6973743030d201020304526f6b557a6f006e651001555061726973080d10161800000000000001010000"
        "0000000000050000000000000000000000000000001e");
    for (const QByteArray &bytes : {binary, nulInString, nulInKey}) {
        QString error;
        EXPECT_FALSE(PropertyListFile::parse(bytes, &error).has_value());
        EXPECT_EQ(error, QStringLiteral("it holds values that are not settings"));
    }
}
