// vl48-cli: the command-line programmer. The same core as the window, without widgets.
#include <QCoreApplication>

#include "CommandLine.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vl48-cli"));
    return vl48cli::run(QCoreApplication::arguments());
}
