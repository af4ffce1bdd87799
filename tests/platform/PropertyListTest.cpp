// Settings files: kept whole through saves, binary ones read, and their colours
// read back bit for bit (damaged ones meet the real program in LaunchTest).

#include "Support.h"
#include "graphics/Color.h"
#include "store/PropertyListFile.h"

#include <bit>

using namespace tockwise;

TEST(PropertyListFile, EveryKindSurvivesASaveInAFileOnlyTheUserMayRead)
{
    const PropertyList::Dictionary everyKind = {
        {"integer", PropertyList::integer(-42)},
        {"real", PropertyList::real(0.9411764740943909)},
        {"string", PropertyList::string("<Zürich & \"Tōkyō\">")},
        {"data", PropertyList::data(QByteArray("\x00\xff\x10 x", 5))},
        {"date", PropertyList::date(QDateTime(QDate(2026, 12, 6), QTime(14, 30, 5), Qt::UTC))},
        {"array", PropertyList::array({PropertyList::boolean(true), PropertyList::dictionary({})})},
    };
    Scratch dir;
    const QString file = dir.filePath("all.plist");
    ASSERT_TRUE(PropertyListFile::write(file, everyKind));
    EXPECT_EQ(PropertyListFile::read(file), everyKind);
    EXPECT_TRUE(readFile(file).startsWith("<?xml"));
    EXPECT_EQ(QFileInfo(file).permissions() & 0x0777, 0x0600);

    // A link put where a file was is not written through: it and the file it
    // points to stay as they were.
    const QString victim = dir.filePath("victim.txt"), linked = dir.filePath("linked.plist");
    ASSERT_TRUE(writeFile(victim, "mine\n") && QFile::link(victim, linked));
    QString error;
    EXPECT_FALSE(PropertyListFile::write(linked, everyKind, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(readFile(victim), "mine\n");
    EXPECT_EQ(QFile::symLinkTarget(linked), victim);
}

TEST(PropertyListFile, ReadsBinaryPropertyLists)
{
    // Written by Python's plistlib: {"TKWClockSize": 200, "TKWHandColor": <01 02>,
    // "TKWLocal": true, "TKWOpacity": 0.75, "TKWTimeZone": "Asia/Tokyo"}.
    const QByteArray binary = QByteArray::fromHex(
        "62706c6973743030d50102030405060708090a5c544b57436c6f636b53697a655c544b5748616e64436f"
        "6c6f7258544b574c6f63616c5a544b574f7061636974795b544b5754696d655a6f6e6510c84201020923"
        "3fe80000000000005a417369612f546f6b796f0813202d36414d4f52535c000000000000010100000000"
        "0000000b00000000000000000000000000000067");
    EXPECT_EQ(PropertyListFile::parse(binary),
              (PropertyList::Dictionary{{"TKWClockSize", PropertyList::integer(200)},
                                        {"TKWHandColor", PropertyList::data("\x01\x02")},
                                        {"TKWLocal", PropertyList::boolean(true)},
                                        {"TKWOpacity", PropertyList::real(0.75)},
                                        {"TKWTimeZone", PropertyList::string("Asia/Tokyo")}}));
}

TEST(Color, EncodingKeepsSpaceComponentsAndAlphaBitForBit)
{
    for (const Color &color : {Color::calibratedRGB(1, 1, static_cast<float>(240.0 / 255.0), 1),
                               Color::deviceRGB(0.333333343f, 1e-30f, 0.999999940f, 0.123456789f),
                               Color::calibratedWhite(0.5f, 0.25f)}) {
        const std::optional<Color> back = Color::decode(color.encode());
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(back->space(), color.space());
        const auto bits = [](const Color &c, int i) {
            return std::bit_cast<quint32>(i < c.componentCount() ? c.component(i) : c.alpha());
        };
        for (int i = 0; i <= color.componentCount(); ++i) {
            EXPECT_EQ(bits(*back, i), bits(color, i)) << i;
        }
    }
    const QByteArray good = Color::red().encode();
    QByteArray version = good, space = good, notANumber = Color::calibratedWhite(0, 1).encode();
    version[4] = 2;
    space[5] = 9;
    notANumber.replace(6, 2, "\x7f\xc0");
    for (const QByteArray &bytes : {QByteArray(), QByteArray("garbage"), good.chopped(1),
                                    good + 'x', version, space, notANumber}) {
        EXPECT_FALSE(Color::decode(bytes)) << bytes.toHex().toStdString();
    }
}
