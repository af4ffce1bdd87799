// A start of "Tockwise" in a process of its own, for the single-instance tests:
//   single_instance_helper NAME now|wait [ARGUMENT]...
// With "wait" it says "ready" and claims only after a line on its input, so that
// several can be let go at one moment. It then prints "primary PID",
// "secondary EXIT-CODE OUTPUT" or "failed OUTPUT". As primary it answers with exit
// code 7 and "primary PID: ARGUMENTS", and quits when the arguments are "quit".

#include "platform/SingleInstance.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>

namespace {

void say(const QString &line)
{
    std::fputs(qPrintable(line + u'\n'), stdout);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 3) {
        return 2;
    }
    if (arguments.at(2) == QLatin1String("wait")) {
        say(QStringLiteral("ready"));
        std::getchar();
    }
    SingleInstance instance(arguments.at(1));
    InstanceReply reply;
    const QString primary = QStringLiteral("primary %1").arg(QCoreApplication::applicationPid());
    switch (instance.claim(arguments.mid(3), &reply)) {
    case SingleInstance::Role::Primary:
        instance.setHandler([&](const QStringList &received) {
            if (received == QStringList{QStringLiteral("quit")}) {
                QTimer::singleShot(0, &app, &QCoreApplication::quit);
            }
            return InstanceReply{7, primary + QStringLiteral(": ") + received.join(u' ')};
        });
        QTimer::singleShot(60'000, &app, &QCoreApplication::quit); // no orphan lives for ever
        say(primary);
        return QCoreApplication::exec();
    case SingleInstance::Role::Secondary:
        say(QStringLiteral("secondary %1 %2").arg(reply.exitCode).arg(reply.output));
        return 0;
    case SingleInstance::Role::Failed:
        say(QStringLiteral("failed ") + reply.output);
        return 1;
    }
    return 1;
}
