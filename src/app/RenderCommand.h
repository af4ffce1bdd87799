#pragma once

#include "store/PropertyList.h"
#include "time/TimeSource.h"

#include <QCommandLineOption>
#include <QImage>
#include <QStringList>

#include <optional>

class QCommandLineParser;

namespace tockwise {

// `tockwise --render`: one frame of a clock, exactly as its window shows it, into
// a PNG file, without any display.
namespace RenderCommand {

// One frame of the clock these settings describe, at an instant and a device
// pixel ratio, as its window shows it.
QImage draw(const PropertyList::Dictionary &settings, Instant instant, double scale);

QList<QCommandLineOption> options();
// True when the command line asks for a rendering (decided before any
// application object exists, since rendering needs no display).
bool requested(int argc, char **argv);
// Whether a command-line argument is one of the options of rendering.
bool isRenderOption(const QByteArray &argument);
// The reason when an option of rendering is given without --render.
std::optional<QString> strayOption(const QCommandLineParser &parser);
// Returns the exit status; bad input gives one line on standard error.
int run(const QCommandLineParser &parser);

} // namespace RenderCommand

} // namespace tockwise
