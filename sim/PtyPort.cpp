#include "PtyPort.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <system_error>

namespace vl48sim {

namespace {

[[noreturn]] void fail(const std::string& what) {
    throw std::system_error(errno, std::generic_category(), what);
}

}  // namespace

PtyPort::~PtyPort() { close(); }

void PtyPort::open(const std::string& linkPath) {
    close();

    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0) {
        fail("posix_openpt");
    }
    auto giveUp = [&](const std::string& what, int slave = -1) {
        const int saved = errno;
        if (slave >= 0) {
            ::close(slave);
        }
        ::close(master);
        errno = saved;
        fail(what);
    };
    if (fcntl(master, F_SETFD, FD_CLOEXEC) < 0 ||
        fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK) < 0) {
        giveUp("fcntl on pseudo-terminal master");
    }
    if (grantpt(master) < 0 || unlockpt(master) < 0) {
        giveUp("grantpt/unlockpt");
    }
    char name[128];
    if (ptsname_r(master, name, sizeof name) != 0) {
        giveUp("ptsname_r");
    }

    const int slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0) {
        giveUp(std::string("open ") + name);
    }
    // Raw at once: the default line discipline echoes, and the simulator would read back its own
    // replies as requests before the tool gets round to configuring the port.
    termios tio{};
    if (tcgetattr(slave, &tio) < 0) {
        giveUp("tcgetattr", slave);
    }
    cfmakeraw(&tio);
    cfsetispeed(&tio, B4800);
    cfsetospeed(&tio, B4800);
    if (tcsetattr(slave, TCSANOW, &tio) < 0) {
        giveUp("tcsetattr", slave);
    }

    // Re-point the link atomically: a reader sees either no link or a complete one.
    static std::atomic<unsigned> counter{0};
    const std::string temporary =
        linkPath + ".new-" + std::to_string(getpid()) + "-" + std::to_string(counter.fetch_add(1));
    ::unlink(temporary.c_str());
    if (::symlink(name, temporary.c_str()) < 0) {
        giveUp("symlink " + temporary, slave);
    }
    if (::rename(temporary.c_str(), linkPath.c_str()) < 0) {
        const int saved = errno;
        ::unlink(temporary.c_str());
        errno = saved;
        giveUp("rename to " + linkPath, slave);
    }

    master_ = master;
    heldSlave_ = slave;
    slavePath_ = name;
    linkPath_ = linkPath;
}

void PtyPort::close() {
    if (master_ < 0) {
        return;
    }
    // The link goes first: pts numbers are reused at once, so a stale link could soon lead to
    // somebody else's terminal. Leave it alone if someone has re-pointed it meanwhile.
    char target[128];
    const ssize_t n = ::readlink(linkPath_.c_str(), target, sizeof target - 1);
    if (n >= 0 && std::string(target, static_cast<size_t>(n)) == slavePath_) {
        ::unlink(linkPath_.c_str());
    }
    ::close(master_);
    ::close(heldSlave_);
    master_ = -1;
    heldSlave_ = -1;
    slavePath_.clear();
}

bool PtyPort::suspendSlaveOutput(bool suspended) {
    return heldSlave_ >= 0 && ::tcflow(heldSlave_, suspended ? TCOOFF : TCOON) == 0;
}

int PtyPort::unreadBySlave() const {
    int count = 0;
    if (heldSlave_ < 0 || ::ioctl(heldSlave_, FIONREAD, &count) < 0) {
        return 0;
    }
    return count;
}

}  // namespace vl48sim
