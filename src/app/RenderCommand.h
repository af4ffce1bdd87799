#pragma once

#include <QCommandLineOption>
#include <QStringList>

class QCommandLineParser;

// `tockwise --render`: one frame of a clock, exactly as its window shows it, into
// a PNG file, without any display.
namespace RenderCommand {

QList<QCommandLineOption> options();
// True when the command line asks for a rendering (decided before any
// application object exists, since rendering needs no display).
bool requested(int argc, char **argv);
// Returns the exit status; bad input gives one line on standard error.
int run(const QCommandLineParser &parser);

} // namespace RenderCommand
