#include "login_guard_pool.h"

namespace rsim::sysmgnt {

PasswordCheckPool::PasswordCheckPool(std::size_t threads, std::size_t admitted)
    : admitted_(admitted)
{
    for (std::size_t i = 0; i < threads; ++i)
        threads_.emplace_back([this] { serve(); });
}

PasswordCheckPool::~PasswordCheckPool()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    queued_.notify_all();
    for (auto& thread : threads_)
        thread.join();
}

bool PasswordCheckPool::submit(std::function<bool()> check,
                               std::function<void(std::future<bool>)> then)
{
    {
        std::lock_guard lock(mutex_);
        if (taken_ >= admitted_)
            return false;
        ++taken_;
        queue_.push_back({std::packaged_task<bool()>(std::move(check)), std::move(then)});
    }
    queued_.notify_one();
    return true;
}

void PasswordCheckPool::serve()
{
    std::unique_lock lock(mutex_);
    while (true) {
        queued_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (queue_.empty())
            return;
        Job job = std::move(queue_.front());
        queue_.pop_front();
        lock.unlock();
        job.check();
        lock.lock();
        --taken_;
        lock.unlock();
        job.then(job.check.get_future());
        lock.lock();
    }
}

} // namespace rsim::sysmgnt
