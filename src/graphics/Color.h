#pragma once

#include <QByteArray>
#include <QColor>

#include <array>
#include <optional>

namespace tockwise {

// A colour as the clock settings store it: a colour space, single-precision
// components and alpha. QColor keeps 16 bits a channel, too few to give stored
// values back exactly, so it is made only when painting.
class Color
{
public:
    enum class Space : quint8
    {
        CalibratedWhite = 1,
        CalibratedRGB = 2,
        DeviceRGB = 3,
    };

    static Color calibratedWhite(float white, float alpha);
    static Color calibratedRGB(float red, float green, float blue, float alpha);
    static Color deviceRGB(float red, float green, float blue, float alpha);

    static Color black();
    static Color white();
    static Color red();
    static Color clear();
    static Color lightGray();
    static Color darkGray();
    static Color controlText();
    static Color disabledControlText();

    Space space() const { return mSpace; }
    // The components of the colour's own space: one (white) or three (red, green, blue).
    int componentCount() const { return mSpace == Space::CalibratedWhite ? 1 : 3; }
    float component(int index) const { return mComponents[static_cast<std::size_t>(index)]; }
    float alpha() const { return mAlpha; }

    Color withAlphaComponent(float alpha) const;
    // The same colour in the calibrated RGB space; every space here has that form.
    std::optional<Color> usingCalibratedRGB() const;
    // Valid only for colours in an RGB space.
    float redComponent() const { return mComponents[0]; }
    float greenComponent() const { return mComponents[1]; }
    float blueComponent() const { return mComponents[2]; }

    QColor toQColor() const;

    // The data value stored under a colour key. Data that is not a colour in this
    // encoding (another version, wrong length, non-finite numbers) decodes to none.
    QByteArray encode() const;
    static std::optional<Color> decode(const QByteArray &data);

    friend bool operator==(const Color &, const Color &) = default;

private:
    Color(Space space, std::array<float, 3> components, float alpha);

    Space mSpace = Space::CalibratedWhite;
    std::array<float, 3> mComponents = {0, 0, 0};
    float mAlpha = 1;
};

} // namespace tockwise
