// instance_probe FOLDER [FILES...]: claims the program folder as the program does. The first
// prints "first", waits for one hand-over, prints its files as "file PATH" and ends; a later
// one prints "handed-over" or "unreachable".
#include "platform/SingleInstance.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() < 2)
        return 2;
    vantrel::SingleInstance instance(arguments[1].toStdString());
    switch (instance.claim(arguments.mid(2))) {
    case vantrel::SingleInstance::Outcome::handedOver:
        std::printf("handed-over\n");
        return 0;
    case vantrel::SingleInstance::Outcome::unreachable:
        std::printf("unreachable\n");
        return 3;
    case vantrel::SingleInstance::Outcome::first:
        break;
    }
    std::printf("first\n");
    std::fflush(stdout);
    instance.setFilesHandler([](const QStringList& paths) {
        for (const QString& path : paths)
            std::printf("file %s\n", qPrintable(path));
        QCoreApplication::quit();
    });
    return app.exec();
}
