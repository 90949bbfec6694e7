#include "WindowFixture.h"

#include <QComboBox>
#include <QFileDialog>

#include "ui/Application.h"

namespace vl48test {

void WindowTest::SetUp() {
    SimTest::SetUp();
    window = std::make_unique<vl48::TFrmMain>();
    window->messageHook = [this](vl48::MsgKind kind, const QString& text) {
        messages.push_back({kind, text});
    };
    window->fileDialogHook = [this](QFileDialog*) {
        return fileDialogAnswers.isEmpty() ? QString() : fileDialogAnswers.takeFirst();
    };
    if (auto* app = dynamic_cast<vl48::TApplication*>(QCoreApplication::instance()))
        app->onError = [this](const QString& text) {
            messages.push_back({vl48::MsgKind::Error, text});
        };
    window->show();
}

void WindowTest::TearDown() {
    if (auto* app = dynamic_cast<vl48::TApplication*>(QCoreApplication::instance()))
        app->onError = nullptr;
    window.reset();
    SimTest::TearDown();
}

QStringList WindowTest::messageTexts() const {
    QStringList out;
    for (const Message& m : messages) out << m.text;
    return out;
}

void WindowTest::choosePort() {
    window->CmbBxPort->setCurrentText(QString::fromStdString(portPath()));
}

}  // namespace vl48test
