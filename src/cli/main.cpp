// vl48-cli: the command-line programmer. The same core as the window, without widgets.
#include <QCoreApplication>
#include <csignal>

#include "CommandLine.h"

int main(int argc, char** argv) {
    // A log beyond the file-size limit must fail its write (and say so), not end the program
    // in the middle of a unit.
    std::signal(SIGXFSZ, SIG_IGN);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vl48-cli"));
    return vl48cli::run(QCoreApplication::arguments());
}
