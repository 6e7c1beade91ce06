#include "driver_pool.h"

namespace rsim {

DriverPool::DriverPool(std::string address, std::size_t size) : address_(std::move(address)), size_(size < 1 ? 1 : size)
{
    idle_.push_back(db::connect(address_));
    open_ = 1;
}

DriverPool::Lease::~Lease()
{
    pool_.giveBack(std::move(driver_));
}

DriverPool::Lease DriverPool::acquire()
{
    std::unique_lock lock(mutex_);
    available_.wait(lock, [this] { return !idle_.empty() || open_ < size_; });
    if (!idle_.empty()) {
        auto driver = std::move(idle_.back());
        idle_.pop_back();
        return Lease(*this, std::move(driver));
    }
    ++open_;
    lock.unlock();
    try {
        return Lease(*this, db::connect(address_));
    } catch (...) {
        giveBack(nullptr);
        throw;
    }
}

void DriverPool::giveBack(std::unique_ptr<db::Driver> driver)
{
    if (driver && driver->inTransaction()) {
        try {
            driver->rollback();
        } catch (const db::Error&) {
            driver.reset();
        }
    }
    {
        std::lock_guard lock(mutex_);
        if (driver)
            idle_.push_back(std::move(driver));
        else
            --open_;
    }
    available_.notify_one();
}

} // namespace rsim
