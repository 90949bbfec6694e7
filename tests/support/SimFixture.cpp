#include "SimFixture.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QThread>
#include <cstdio>

namespace vl48test {

bool waitUntil(const std::function<bool()>& pred, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (!pred()) {
        if (deadline.hasExpired()) return pred();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::usleep(200);  // the other side is a thread of its own; do not spin hot
    }
    return true;
}

std::string hex(const std::vector<uint8_t>& bytes) {
    std::string out;
    char buf[4];
    for (size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(buf, sizeof buf, i ? " %02X" : "%02X", bytes[i]);
        out += buf;
    }
    return out;
}

std::string requestHex(uint8_t command, uint8_t tag, uint8_t d2, uint8_t d3, uint8_t d4) {
    std::vector<uint8_t> bytes{command, tag, d2, d3, d4};
    const auto crc = uint16_t(~vl48sim::crc16Arc(bytes.data(), bytes.size()));
    bytes.push_back(uint8_t(crc & 0xFF));
    bytes.push_back(uint8_t(crc >> 8));
    return hex(bytes);
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return "<missing>";
    return f.readAll();
}

void writeFileBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size());
}

void SimTest::SetUp() {
    ASSERT_TRUE(dir.isValid());
    vl48sim::Options options;
    options.linkPath = dir.filePath(QStringLiteral("vl48")).toStdString();
    sim = std::make_unique<vl48sim::Simulator>(options);
    sim->start();
}

void SimTest::TearDown() { sim.reset(); }

std::vector<std::string> SimTest::requestsHex() const {
    std::vector<std::string> out;
    for (const auto& frame : sim->requests()) out.push_back(hex(frame.bytes));
    return out;
}

std::vector<int> SimTest::requestCommands() const {
    std::vector<int> out;
    for (const auto& frame : sim->requests()) out.push_back(frame.cmd());
    return out;
}

}  // namespace vl48test
