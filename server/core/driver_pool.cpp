#include "driver_pool.h"

namespace rsim {

DriverPool::DriverPool(std::string address, std::size_t size,
                       std::chrono::milliseconds roundTripLimit)
    : address_(std::move(address)), size_(size), roundTripLimit_(roundTripLimit)
{
    for (; open_ < size; ++open_)
        idle_.push_back(db::connect(address_, roundTripLimit_));
}

DriverPool::Lease DriverPool::acquire()
{
    std::unique_lock lock(mutex_);
    ++waiting_;
    available_.wait(lock, [this] { return canTake(); });
    --waiting_;
    return Lease(*this, take(lock));
}

std::optional<DriverPool::Lease>
DriverPool::tryAcquire(std::chrono::steady_clock::time_point deadline)
{
    std::unique_lock lock(mutex_);
    ++waiting_;
    const bool free = available_.wait_until(lock, deadline, [this] { return canTake(); });
    --waiting_;
    if (!free)
        return std::nullopt;
    return std::optional<Lease>(std::in_place, *this, take(lock));
}

std::unique_ptr<db::Driver> DriverPool::take(std::unique_lock<std::mutex>& lock)
{
    if (!idle_.empty()) {
        auto driver = std::move(idle_.back());
        idle_.pop_back();
        return driver;
    }
    ++open_;
    lock.unlock(); // connecting may take up to the connect timeout
    try {
        return db::connect(address_, roundTripLimit_);
    } catch (...) {
        lock.lock();
        --open_;
        available_.notify_one();
        throw;
    }
}

DriverPool::Usage DriverPool::usage()
{
    std::lock_guard lock(mutex_);
    return {open_ - idle_.size(), waiting_};
}

void DriverPool::giveBack(std::unique_ptr<db::Driver> driver) noexcept
{
    try {
        if (driver->inTransaction())
            driver->rollback();
    } catch (const std::exception&) {
        // The connection failed; it is lost() and closed below.
    }
    std::vector<std::unique_ptr<db::Driver>> closed;
    {
        std::lock_guard lock(mutex_);
        if (driver->lost()) {
            closed.swap(idle_);
            closed.push_back(std::move(driver));
            open_ -= closed.size();
        } else {
            idle_.push_back(std::move(driver));
        }
    }
    available_.notify_all();
}

} // namespace rsim
