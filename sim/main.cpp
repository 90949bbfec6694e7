// vl48-sim: a simulated VL48 transmitter on a pseudo-terminal, for trying the configuration tool
// without hardware. The first line of output is the port to open (the second, with --meter, the
// reference meter's); commands on stdin play with the cable, the memory and the line.
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "Console.h"
#include "ProgramOptions.h"
#include "Simulator.h"

namespace {

int signalPipe[2] = {-1, -1};

extern "C" void onSignal(int) {
    const int saved = errno;
    const char c = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &c, 1);
    errno = saved;
}

// SIGINT and SIGTERM end the console loop through signalPipe. Returns them, blocked: the serving
// thread, started meanwhile, inherits the mask, so that they reach the main thread.
bool catchSignals(sigset_t& handled) {
    if (::pipe(signalPipe) < 0) {
        std::perror("vl48-sim: pipe");
        return false;
    }
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    ::signal(SIGPIPE, SIG_IGN);
    // In the background a read from the terminal would stop the process; fail it instead and
    // wait to be brought to the foreground.
    ::signal(SIGTTIN, SIG_IGN);

    sigemptyset(&handled);
    sigaddset(&handled, SIGINT);
    sigaddset(&handled, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &handled, nullptr);
    return true;
}

// With several units, "unit K" picks the one the console's commands go to.
class Consoles {
public:
    explicit Consoles(std::vector<std::unique_ptr<vl48sim::Simulator>>& units) {
        for (auto& unit : units) {
            consoles_.push_back(std::make_unique<vl48sim::Console>(*unit));
        }
    }
    // Runs one command line; false once the user asked to quit.
    bool run(const std::string& line) {
        std::istringstream in(line);
        std::string word;
        int k = 0;
        if (consoles_.size() > 1 && in >> word && word == "unit") {
            if (in >> k && k >= 1 && static_cast<size_t>(k) <= consoles_.size()) {
                current_ = static_cast<size_t>(k - 1);
                std::cout << "unit " << k << " of " << consoles_.size() << std::endl;
            } else {
                std::cout << "error: unit wants 1.." << consoles_.size() << " (try help)"
                          << std::endl;
            }
            return true;
        }
        return consoles_[current_]->run(line);
    }

private:
    std::vector<std::unique_ptr<vl48sim::Console>> consoles_;
    size_t current_ = 0;
};

// Feeds stdin to the console line by line until quit or a signal. At the end of input the
// simulator goes on serving; in the background it waits to be brought to the foreground.
void runConsole(Consoles& console) {
    enum class Input { Open, Background, Closed } input = Input::Open;
    auto inBackground = [] { return isatty(0) && tcgetpgrp(0) != getpgrp(); };
    std::string pending;
    bool quit = false;
    while (!quit) {
        if (input == Input::Open && inBackground()) {
            input = Input::Background;
        }
        pollfd fds[2] = {{signalPipe[0], POLLIN, 0}, {0, POLLIN, 0}};
        const nfds_t count = input == Input::Open ? 2 : 1;
        const int ready = ::poll(fds, count, input == Input::Background ? 500 : -1);
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        if (fds[0].revents) {
            break;  // SIGINT or SIGTERM
        }
        if (input == Input::Background) {
            if (!inBackground()) {
                input = Input::Open;
            }
            continue;
        }
        if (count < 2 || !fds[1].revents) {
            continue;
        }
        char buf[4096];
        const ssize_t n = ::read(0, buf, sizeof buf);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
            continue;
        }
        if (n < 0 && errno == EIO && isatty(0)) {
            input = Input::Background;
            continue;
        }
        if (n <= 0) {
            // End of input: the last line may lack its newline. Keep serving until a signal.
            if (!pending.empty()) {
                quit = !console.run(pending);
                pending.clear();
            }
            input = Input::Closed;
            continue;
        }
        pending.append(buf, static_cast<size_t>(n));
        for (size_t eol; !quit && (eol = pending.find('\n')) != std::string::npos;) {
            const std::string line = pending.substr(0, eol);
            pending.erase(0, eol + 1);
            quit = !console.run(line);
        }
        if (pending.size() > 65536) {
            pending.clear();  // no line is that long; somebody piped in a binary
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    const vl48sim::ProgramArgs args = vl48sim::parseCommandLine(argc, argv);

    sigset_t handled;
    if (!catchSignals(handled)) {
        return 1;
    }
    // Each unit a transmitter of its own: its serial number, its link, its jitter; the meter
    // measures the first one.
    std::vector<std::unique_ptr<vl48sim::Simulator>> units;
    for (int i = 0; i < args.units; ++i) {
        vl48sim::Options options = args.options;
        options.linkPath = vl48sim::unitLinkPath(args.options.linkPath, args.units, i);
        options.identity.serial = static_cast<uint16_t>(args.options.identity.serial + i);
        if (options.seed) {
            options.seed = *options.seed + static_cast<uint32_t>(i);
        }
        if (i > 0) {
            options.meterLinkPath.clear();
        }
        units.push_back(std::make_unique<vl48sim::Simulator>(options));
        units.back()->setWriteEnabled(!args.jumperOff);
        try {
            units.back()->start();
        } catch (const std::exception& e) {
            std::cerr << "vl48-sim: cannot create the port: " << e.what() << '\n';
            return 1;
        }
    }
    pthread_sigmask(SIG_UNBLOCK, &handled, nullptr);

    // Scripts take the first line for the port (the first N with --units N); the meter's
    // link, if any, comes next.
    for (const auto& unit : units) {
        std::cout << unit->linkPath() << std::endl;
    }
    if (!units.front()->meterLinkPath().empty()) {
        std::cout << units.front()->meterLinkPath() << std::endl;
    }
    for (const auto& unit : units) {
        std::cout << "vl48-sim: type " << args.options.identity.deviceType << " unit "
                  << unit->identity().serial << " on " << unit->slavePath()
                  << (args.options.pace ? ", paced" : "") << ", turnaround "
                  << args.options.turnaroundMs << "+0.." << args.options.turnaroundJitterMs << " ms"
                  << std::endl;
    }
    std::cout << "vl48-sim: 'help' lists the commands"
              << (units.size() > 1 ? ", 'unit K' picks the unit they apply to (now 1)" : "")
              << std::endl;

    Consoles console(units);
    runConsole(console);
    for (const auto& unit : units) {
        unit->stop();
    }
    return 0;
}
