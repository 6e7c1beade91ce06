#include "round_trip_deadline.h"

#include <sys/socket.h>

#include <condition_variable>
#include <map>
#include <mutex>
#include <set>
#include <thread>

namespace rsim::db {
namespace {

using Clock = std::chrono::steady_clock;

// The round trips being watched, by ticket, and the thread that watches them. Sockets are shut
// down under the mutex, so never after their watch ended and their driver may have closed them.
class Watchdog {
public:
    static Watchdog& instance()
    {
        // Never destroyed: drivers may end after static objects do.
        static auto* watchdog = new Watchdog;
        return *watchdog;
    }

    std::uint64_t watch(int socket, Clock::time_point deadline)
    {
        std::lock_guard lock(mutex_);
        if (!running_) {
            std::thread([this] { run(); }).detach();
            running_ = true;
        }
        const std::uint64_t ticket = ++lastTicket_;
        watched_.emplace(ticket, Round{socket, deadline});
        if (deadline < wakeAt_)
            woken_.notify_one();
        return ticket;
    }

    void release(std::uint64_t ticket)
    {
        std::lock_guard lock(mutex_);
        watched_.erase(ticket);
        expired_.erase(ticket);
    }

    bool expired(std::uint64_t ticket)
    {
        std::lock_guard lock(mutex_);
        return expired_.contains(ticket);
    }

private:
    struct Round {
        int socket;
        Clock::time_point deadline;
    };

    void run()
    {
        std::unique_lock lock(mutex_);
        for (;;) {
            auto next = Clock::time_point::max();
            const auto now = Clock::now();
            for (auto it = watched_.begin(); it != watched_.end();) {
                if (it->second.deadline <= now) {
                    ::shutdown(it->second.socket, SHUT_RDWR);
                    expired_.insert(it->first);
                    it = watched_.erase(it);
                } else {
                    next = std::min(next, it->second.deadline);
                    ++it;
                }
            }
            wakeAt_ = next;
            if (next == Clock::time_point::max())
                woken_.wait(lock);
            else
                woken_.wait_until(lock, next);
        }
    }

    std::mutex mutex_;
    std::condition_variable woken_;
    std::map<std::uint64_t, Round> watched_;
    std::set<std::uint64_t> expired_;
    std::uint64_t lastTicket_ = 0;
    Clock::time_point wakeAt_ = Clock::time_point::max(); // when the thread looks next
    bool running_ = false;
};

} // namespace

RoundTripDeadline::RoundTripDeadline(int socket, std::chrono::milliseconds limit)
{
    if (socket >= 0 && limit.count() > 0)
        ticket_ = Watchdog::instance().watch(socket, Clock::now() + limit);
}

RoundTripDeadline::~RoundTripDeadline()
{
    if (ticket_ != 0)
        Watchdog::instance().release(ticket_);
}

bool RoundTripDeadline::passed() const
{
    return ticket_ != 0 && Watchdog::instance().expired(ticket_);
}

} // namespace rsim::db
