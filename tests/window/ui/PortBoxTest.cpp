// The port box: a running simulator is offered first, and opening the list asks the system again
// while keeping what the technician typed.
#include <QComboBox>
#include <QLineEdit>
#include <QSerialPortInfo>
#include <QTest>

#include "WindowFixture.h"

// Texts in failure output as text, not as arrays of UTF-16 units.
static void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace {

// Simulators publish into $TMPDIR/vl48-sim; with a TMPDIR of its own a test sees exactly the
// simulators it starts.
class PortBox : public vl48test::WindowTest {
protected:
    void SetUp() override {
        qputenv("TMPDIR", tmp.path().toLocal8Bit());
        WindowTest::SetUp();
    }
    void TearDown() override {
        WindowTest::TearDown();
        saved.isNull() ? qunsetenv("TMPDIR") : qputenv("TMPDIR", saved);
    }
    static QStringList items(const QComboBox* box) {
        QStringList out;
        for (int i = 0; i < box->count(); ++i) out << box->itemText(i);
        return out;
    }
    static QStringList systemPortsAfter(QStringList out) {
        for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
            out << info.systemLocation();
        return out;
    }

    QByteArray saved = qgetenv("TMPDIR");
    QTemporaryDir tmp;
};

TEST_F(PortBox, RunningSimulatorComesFirstAndIsChosen) {
    vl48sim::Simulator published;
    published.start();
    const vl48::TFrmMain later;
    // The list is filled as soon as the event loop runs.
    ASSERT_TRUE(vl48test::waitUntil([&] { return later.CmbBxPort->count() > 0; }));
    const QString link = QString::fromStdString(published.linkPath());
    EXPECT_EQ(items(later.CmbBxPort), systemPortsAfter({link}));
    EXPECT_EQ(later.CmbBxPort->currentText(), link);
}

TEST_F(PortBox, OpeningTheListAsksTheSystemAgain) {
    window->CmbBxPort->lineEdit()->clear();
    QTest::keyClicks(window->CmbBxPort->lineEdit(), "/dev/ttyUSB7");
    auto published = std::make_unique<vl48sim::Simulator>();
    published->start();
    window->CmbBxPort->showPopup();
    EXPECT_EQ(items(window->CmbBxPort),
              systemPortsAfter({QString::fromStdString(published->linkPath())}));
    EXPECT_EQ(window->CmbBxPort->currentText(), "/dev/ttyUSB7");
    window->CmbBxPort->hidePopup();

    published.reset();  // the unit is gone: the system's ports in the system's order
    window->CmbBxPort->showPopup();
    EXPECT_EQ(items(window->CmbBxPort), systemPortsAfter({}));
    EXPECT_EQ(window->CmbBxPort->currentText(), "/dev/ttyUSB7");
}

}  // namespace
