// Database connections shared by the worker threads, one per call at a time. A connection that
// was lost (see db::Driver::lost()) is closed when it comes back, with the idle ones beside it,
// which reached the same server; the next calls connect anew, and so follow the database to its
// new primary after a failover.
#pragma once

#include "driver.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace rsim {

class DriverPool {
public:
    // Opens size connections now; each round trip is limited to roundTripLimit (0: no limit).
    DriverPool(std::string address, std::size_t size,
               std::chrono::milliseconds roundTripLimit = {});
    class Lease {
    public:
        Lease(DriverPool& pool, std::unique_ptr<db::Driver> driver)
            : pool_(pool), driver_(std::move(driver))
        {}
        ~Lease() { pool_.giveBack(std::move(driver_)); }
        db::Driver& operator*() { return *driver_; }
        db::Driver* operator->() { return driver_.get(); }

    private:
        DriverPool& pool_;
        std::unique_ptr<db::Driver> driver_;
    };
    // A connection; throws db::Error when a new one must be opened and cannot be.
    Lease acquire();
    // A connection free before the deadline, or nothing.
    std::optional<Lease> tryAcquire(std::chrono::steady_clock::time_point deadline);
    const std::string& address() const { return address_; }
    std::size_t size() const { return size_; }
    // Connections leased now, and callers waiting for one.
    struct Usage {
        std::size_t inUse = 0, waiting = 0;
    };
    Usage usage();

private:
    void giveBack(std::unique_ptr<db::Driver> driver) noexcept;
    // An idle connection, or a new one when fewer than size are open; with one of them there.
    std::unique_ptr<db::Driver> take(std::unique_lock<std::mutex>& lock);
    bool canTake() const { return !idle_.empty() || open_ < size_; }

    const std::string address_;
    const std::size_t size_;
    const std::chrono::milliseconds roundTripLimit_;
    std::mutex mutex_;
    std::condition_variable available_;
    std::vector<std::unique_ptr<db::Driver>> idle_;
    std::size_t open_ = 0; // idle and leased
    std::size_t waiting_ = 0;
};

} // namespace rsim
