// Draws the application icon's SVG into square PNGs of the sizes an icon theme
// holds, so that desktops which do not read SVG icons still find a sharp one.
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char *argv[])
{
    // No display is needed to draw an image; the build machine may have none.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 4) {
        std::fprintf(stderr, "usage: icon_render icon.svg size output.png|output.argb\n");
        return 2;
    }
    QSvgRenderer renderer(arguments.at(1));
    bool isNumber = false;
    const int size = arguments.at(2).toInt(&isNumber);
    if (!renderer.isValid() || !isNumber || size < 1 || size > 4096) {
        std::fprintf(stderr, "icon_render: cannot draw %s at %s pixels\n",
                     qPrintable(arguments.at(1)), qPrintable(arguments.at(2)));
        return 1;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(0, 0, size, size));
    painter.end();
    // Raw pixels for the program itself, which then needs no image decoder (and
    // loads no image plugin) to show its icon; PNG for icon themes.
    if (arguments.at(3).endsWith(QLatin1String(".argb"))) {
        QFile raw(arguments.at(3));
        const auto bytes = static_cast<qint64>(image.sizeInBytes());
        if (!raw.open(QIODevice::WriteOnly) ||
            raw.write(reinterpret_cast<const char *>(image.constBits()), bytes) != bytes) {
            std::fprintf(stderr, "icon_render: cannot write %s\n", qPrintable(arguments.at(3)));
            return 1;
        }
        return 0;
    }
    if (!image.save(arguments.at(3), "PNG")) {
        std::fprintf(stderr, "icon_render: cannot write %s\n", qPrintable(arguments.at(3)));
        return 1;
    }
    return 0;
}
