// Saves what the X screen shows as a PNG: for end-to-end tests, and for a look at
// a desktop that has no monitor (scripts/run on a machine without a display).

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <cstdio>

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: screen_grab OUT.png|OUT.ppm\n");
        return 2;
    }
    QScreen *screen = QGuiApplication::primaryScreen();
    // The format follows the file name: PNG for people, PPM for scripts.
    if (!screen || !screen->grabWindow(0).save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "screen_grab: cannot save %s\n", argv[1]);
        return 1;
    }
    return 0;
}
