// `single_instance_helper NAME` claims the instance NAME, says whether it is the
// primary, and serves until a single-instance test kills it.

#include "instance/SingleInstance.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>

using namespace tockwise;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    SingleInstance instance(QCoreApplication::arguments().value(1));
    const bool primary = instance.claim({}, nullptr) == SingleInstance::Role::Primary;
    std::puts(primary ? "primary" : "not primary");
    std::fflush(stdout);
    QTimer::singleShot(60'000, &app, &QCoreApplication::quit); // no orphan lives for ever
    return primary ? QCoreApplication::exec() : 1;
}
