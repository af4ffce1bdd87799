#include "graphics/Color.h"

#include <QtEndian>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

namespace tockwise {

namespace {

// Layout: "TKWc", a version byte, the space byte, then the components and the
// alpha as big-endian IEEE single-precision numbers.
constexpr char colorMagic[4] = {'T', 'K', 'W', 'c'};
constexpr quint8 colorEncodingVersion = 1;
constexpr int colorHeaderSize = 6;

void appendFloat(QByteArray &bytes, float value)
{
    const quint32 big = qToBigEndian(std::bit_cast<quint32>(value));
    bytes.append(reinterpret_cast<const char *>(&big), sizeof big);
}

float readFloat(const char *bytes)
{
    quint32 big = 0;
    std::memcpy(&big, bytes, sizeof big);
    return std::bit_cast<float>(qFromBigEndian(big));
}

} // namespace

Color::Color(Space space, std::array<float, 3> components, float alpha)
    : mSpace(space), mComponents(components), mAlpha(alpha)
{}

Color Color::calibratedWhite(float white, float alpha)
{
    return Color(Space::CalibratedWhite, {white, 0, 0}, alpha);
}

Color Color::calibratedRGB(float red, float green, float blue, float alpha)
{
    return Color(Space::CalibratedRGB, {red, green, blue}, alpha);
}

Color Color::deviceRGB(float red, float green, float blue, float alpha)
{
    return Color(Space::DeviceRGB, {red, green, blue}, alpha);
}

Color Color::black()
{
    return calibratedWhite(0, 1);
}

Color Color::white()
{
    return calibratedWhite(1, 1);
}

Color Color::red()
{
    return calibratedRGB(1, 0, 0, 1);
}

Color Color::clear()
{
    return calibratedWhite(0, 0);
}

Color Color::lightGray()
{
    return calibratedWhite(static_cast<float>(2.0 / 3.0), 1);
}

Color Color::darkGray()
{
    return calibratedWhite(static_cast<float>(1.0 / 3.0), 1);
}

Color Color::controlText()
{
    return black();
}

Color Color::disabledControlText()
{
    return calibratedWhite(0.5f, 1);
}

Color Color::withAlphaComponent(float alpha) const
{
    return Color(mSpace, mComponents, alpha);
}

std::optional<Color> Color::usingCalibratedRGB() const
{
    switch (mSpace) {
    case Space::CalibratedWhite:
        return calibratedRGB(mComponents[0], mComponents[0], mComponents[0], mAlpha);
    case Space::CalibratedRGB:
        return *this;
    case Space::DeviceRGB:
        // There is no colour management between the two here: the same numbers.
        return calibratedRGB(mComponents[0], mComponents[1], mComponents[2], mAlpha);
    }
    return std::nullopt;
}

QColor Color::toQColor() const
{
    const auto unit = [](float v) { return std::clamp(std::isnan(v) ? 0.0f : v, 0.0f, 1.0f); };
    const Color rgb = *usingCalibratedRGB();
    return QColor::fromRgbF(unit(rgb.mComponents[0]), unit(rgb.mComponents[1]),
                            unit(rgb.mComponents[2]), unit(mAlpha));
}

QByteArray Color::encode() const
{
    QByteArray bytes;
    bytes.reserve(colorHeaderSize + 4 * (componentCount() + 1));
    bytes.append(colorMagic, sizeof colorMagic);
    bytes.append(static_cast<char>(colorEncodingVersion));
    bytes.append(static_cast<char>(mSpace));
    for (int i = 0; i < componentCount(); ++i) {
        appendFloat(bytes, mComponents[static_cast<std::size_t>(i)]);
    }
    appendFloat(bytes, mAlpha);
    return bytes;
}

std::optional<Color> Color::decode(const QByteArray &data)
{
    if (data.size() < colorHeaderSize ||
        std::memcmp(data.constData(), colorMagic, sizeof colorMagic) != 0 ||
        static_cast<quint8>(data[4]) != colorEncodingVersion) {
        return std::nullopt;
    }
    const auto space = static_cast<Space>(static_cast<quint8>(data[5]));
    int count = 0;
    switch (space) {
    case Space::CalibratedWhite:
        count = 1;
        break;
    case Space::CalibratedRGB:
    case Space::DeviceRGB:
        count = 3;
        break;
    default:
        return std::nullopt;
    }
    if (data.size() != colorHeaderSize + 4 * (count + 1)) {
        return std::nullopt;
    }
    std::array<float, 4> values = {};
    for (int i = 0; i <= count; ++i) {
        values[static_cast<std::size_t>(i)] = readFloat(data.constData() + colorHeaderSize + 4 * i);
        if (!std::isfinite(values[static_cast<std::size_t>(i)])) {
            return std::nullopt;
        }
    }
    std::array<float, 3> components = {values[0], count == 3 ? values[1] : 0.0f,
                                       count == 3 ? values[2] : 0.0f};
    return Color(space, components, values[static_cast<std::size_t>(count)]);
}

} // namespace tockwise
