#include "WindowFixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QKeyEvent>
#include <QRadioButton>
#include <QTest>

#include "window/Application.h"
#include "window/Widgets.h"

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

void WindowTest::connectToTransmitter() {
    choosePort();
    window->BtnConnectClick();
    ASSERT_TRUE(window->PanelSettings->isVisible()) << messageTexts().join("|").toStdString();
    messages.clear();
    sim->clearLog();
}

std::vector<vl48::CellWrite> WindowTest::cellWrites() const {
    std::vector<vl48::CellWrite> out;
    for (const auto& f : sim->requests())
        if (f.cmd() == vl48::CmdWriteCell)
            out.push_back({f.bytes[2], uint16_t((f.bytes[3] << 8) | f.bytes[4])});
    return out;
}

void WindowTest::click(QAbstractButton* button) {
    const bool indicator = qobject_cast<QRadioButton*>(button) || qobject_cast<QCheckBox*>(button);
    QTest::mouseClick(button, Qt::LeftButton, {},
                      indicator ? QPoint(6, button->height() / 2) : button->rect().center());
}

void WindowTest::typeInto(vl48::TMaskEdit* field, const QString& text) {
    field->setFocus();
    field->selectAll();
    field->setCursorPosition(0);
    QTest::keyClicks(field, text);
}

void WindowTest::typeText(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QApplication::sendEvent(widget, &release);
    }
}

}  // namespace vl48test
