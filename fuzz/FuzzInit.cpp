#include "FuzzTarget.h"

#include <QGuiApplication>

#include <cstdlib>
#include <memory>

// Picture decoding needs Qt's image plug-ins, and some of those a GUI
// application; one offscreen application per process serves every target.
extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // Numbers and texts are read as in the neutral locale whatever the caller's.
    setenv("LC_ALL", "C.UTF-8", 1);
    static int applicationArgc = 1;
    static char *applicationArgv[] = {argc && *argc > 0 ? (*argv)[0] : const_cast<char *>("fuzz"),
                                      nullptr};
    static const auto application =
        std::make_unique<QGuiApplication>(applicationArgc, applicationArgv);
    return 0;
}
