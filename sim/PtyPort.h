// The "cable": a pseudo-terminal whose slave side the tool opens as its serial port, published
// under a stable symbolic link so the port name survives re-plugging.
#pragma once

#include <string>

namespace vl48sim {

class PtyPort {
public:
    PtyPort() = default;
    ~PtyPort();
    PtyPort(const PtyPort&) = delete;
    PtyPort& operator=(const PtyPort&) = delete;

    // Opens a new pseudo-terminal and points linkPath at its slave. Throws std::system_error.
    void open(const std::string& linkPath);
    // Closes both sides (the tool sees a hang-up) and removes the link.
    void close();

    bool isOpen() const { return master_ >= 0; }
    int master() const { return master_; }  // non-blocking
    const std::string& slavePath() const { return slavePath_; }

    // Suspends or resumes the slave's output (tcflow): while suspended, the tool's writes find no
    // room and stay pending. Returns false if the terminal refuses (or is closed).
    bool suspendSlaveOutput(bool suspended);
    // Bytes the simulator sent that are waiting for the tool to read them (0 if closed). Bytes
    // still on their way through the terminal's flip buffer are not counted yet.
    int unreadBySlave() const;

private:
    int master_ = -1;
    // Held open while plugged: with no slave descriptor open the master reports a hang-up, which
    // would happen every time the tool closes its port.
    int heldSlave_ = -1;
    std::string slavePath_;
    std::string linkPath_;
};

}  // namespace vl48sim
