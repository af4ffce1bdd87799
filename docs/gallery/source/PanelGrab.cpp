// Draws the New Clock panel with a search typed into it, for the README's gallery:
// the real panel on Qt's offscreen platform, saved as a PNG. docs/make-gallery
// runs it with the fonts the tests pin, so that the picture comes out alike on
// every machine.
// Usage: panel_grab OUT.png SEARCH

#include "app/StringTable.h"
#include "app/TKWApplication.h"
#include "app/TKWController.h"

#include <QLineEdit>

#include <cstdio>

using namespace tockwise;

int main(int argc, char *argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: panel_grab OUT.png SEARCH\n");
        return 2;
    }
    TKWApplication app(argc, argv);
    StringTable::install();
    TKWController controller;
    controller.showNewClockPanel();
    controller.zoneSearch()->field()->setText(QString::fromLocal8Bit(argv[2]));
    QDialog *panel = controller.newClockPanel();
    QCoreApplication::processEvents();
    if (!panel->grab().save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "panel_grab: cannot save %s\n", argv[1]);
        return 1;
    }
    return 0;
}
