// Database connections shared by the worker threads: each call leases one for its duration.
#pragma once

#include "driver.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace rsim {

class DriverPool {
public:
    // Opens the first connection at once (so that a bad address fails at start-up) and the
    // others when the load needs them, up to size.
    DriverPool(std::string address, std::size_t size);

    class Lease {
    public:
        Lease(DriverPool& pool, std::unique_ptr<db::Driver> driver) : pool_(pool), driver_(std::move(driver)) {}
        ~Lease();
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;
        db::Driver& operator*() { return *driver_; }
        db::Driver* operator->() { return driver_.get(); }

    private:
        DriverPool& pool_;
        std::unique_ptr<db::Driver> driver_;
    };
    // Waits for an idle connection when all are in use. Throws db::Error when a new connection
    // cannot be opened.
    Lease acquire();

private:
    void giveBack(std::unique_ptr<db::Driver> driver);

    const std::string address_;
    const std::size_t size_;
    std::mutex mutex_;
    std::condition_variable available_;
    std::vector<std::unique_ptr<db::Driver>> idle_;
    std::size_t open_ = 0; // idle and leased
};

} // namespace rsim
