// Test fixture: a simulated transmitter on a pseudo-terminal, with helpers to wait on conditions
// while the event loop runs and to compare the frames the transmitter received.
#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Simulator.h"

namespace vl48test {

// Runs the event loop until pred() holds or the time is up; returns pred().
bool waitUntil(const std::function<bool()>& pred, int timeoutMs = 5000);

// "19 01 00 00 04 E2 02"
std::string hex(const std::vector<uint8_t>& bytes);
template <typename Container>
std::string hexOf(const Container& c) {
    return hex(std::vector<uint8_t>(c.begin(), c.end()));
}

// A request as the transmitter must receive it, as hex, its CRC computed by the simulator's own
// bitwise routine rather than the tool's table.
std::string requestHex(uint8_t command, uint8_t tag, uint8_t d2, uint8_t d3, uint8_t d4);

// Whole-file helpers for the file tests: the bytes of a file ("<missing>" when it cannot be
// read), and a file written with exactly these bytes.
QByteArray fileBytes(const QString& path);
void writeFileBytes(const QString& path, const QByteArray& bytes);

class SimTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The requests the transmitter received so far, each as hex.
    std::vector<std::string> requestsHex() const;
    // Command codes of the requests received so far.
    std::vector<int> requestCommands() const;
    std::string portPath() const { return sim->linkPath(); }

    QTemporaryDir dir;
    std::unique_ptr<vl48sim::Simulator> sim;
};

}  // namespace vl48test
