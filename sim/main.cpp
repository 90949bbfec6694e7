// vl48-sim: a simulated VL48 transmitter on a pseudo-terminal, for trying the configuration tool
// without hardware. The first line of output is the port to open (the second, with --meter, the
// reference meter's); commands on stdin play with the cable, the memory and the line.
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <iostream>
#include <string>

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

// Feeds stdin to the console line by line until quit or a signal. At the end of input the
// simulator goes on serving; in the background it waits to be brought to the foreground.
void runConsole(vl48sim::Console& console) {
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
    vl48sim::Simulator sim(args.options);
    sim.setWriteEnabled(!args.jumperOff);
    try {
        sim.start();
    } catch (const std::exception& e) {
        std::cerr << "vl48-sim: cannot create the port: " << e.what() << '\n';
        return 1;
    }
    pthread_sigmask(SIG_UNBLOCK, &handled, nullptr);

    std::cout << sim.linkPath() << std::endl;
    // Scripts take the first line for the port; the meter's link, if any, comes next.
    if (!sim.meterLinkPath().empty()) {
        std::cout << sim.meterLinkPath() << std::endl;
    }
    std::cout << "vl48-sim: type " << args.options.identity.deviceType << " unit on "
              << sim.slavePath() << (args.options.pace ? ", paced" : "") << ", turnaround "
              << args.options.turnaroundMs << "+0.." << args.options.turnaroundJitterMs << " ms"
              << "; 'help' lists the commands" << std::endl;

    vl48sim::Console console(sim);
    runConsole(console);
    sim.stop();
    return 0;
}
