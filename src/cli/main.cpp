// vl48-cli: the command-line programmer. The same core as the window, without widgets.
#include <QCoreApplication>
#include <QGuiApplication>
#include <csignal>
#include <memory>
#include <string_view>

#include "CommandLine.h"

int main(int argc, char** argv) {
    // A log beyond the file-size limit must fail its write (and say so), not end the program
    // in the middle of a unit.
    std::signal(SIGXFSZ, SIG_IGN);
    // A certificate needs the fonts of Qt Gui; every other command runs without a display, and
    // so does the certificate over SSH, on the offscreen platform.
    bool certificate = false;
    for (int i = 1; i < argc && !certificate; ++i)
        certificate = argv[i][0] != '-' && std::string_view(argv[i]) == "certificate";
    std::unique_ptr<QCoreApplication> app;
    if (certificate) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(QStringLiteral("vl48-cli"));
    return vl48cli::run(QCoreApplication::arguments());
}
