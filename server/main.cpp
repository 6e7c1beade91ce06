// rsimd: the remote-SIM management service.
#include "host.h"

#include <csignal>
#include <iostream>
#include <pthread.h>
#include <thread>

namespace {

// SIGTERM and SIGINT are blocked in every thread (call this before any other thread starts) and
// taken by one thread that stops the server, rather than by a handler that could interrupt any
// code.
sigset_t blockStopSignals()
{
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    return signals;
}

class StopOnSignal {
public:
    StopOnSignal(rsim::ServiceHost& host, sigset_t signals)
        : thread_([&host, signals] {
              int received = 0;
              sigwait(&signals, &received);
              host.stop();
          })
    {
    }
    // Wakes the thread if no signal came, and waits until it is done with the host.
    ~StopOnSignal()
    {
        pthread_kill(thread_.native_handle(), SIGTERM);
        thread_.join();
    }

private:
    std::thread thread_;
};

} // namespace

int main(int argc, char** argv)
{
    const sigset_t signals = blockStopSignals();
    try {
        const rsim::Options options = rsim::parseOptions({argv + 1, argv + argc});
        rsim::ServiceHost host(options);
        {
            StopOnSignal stopper(host, signals);
            std::cout << "rsimd listening on " << host.address() << " (" << options.database << ")" << std::endl;
            host.run();
        }
        std::cout << "rsimd stopped" << std::endl;
        return 0;
    } catch (const rsim::UsageError& e) {
        std::cerr << "rsimd: " << e.what() << "\n" << rsim::usageText();
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "rsimd: " << e.what() << "\n";
        return 2;
    }
}
