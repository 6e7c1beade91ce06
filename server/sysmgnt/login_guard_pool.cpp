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

std::optional<bool> PasswordCheckPool::run(std::function<bool()> check)
{
    std::packaged_task<bool()> task(std::move(check));
    std::future<bool> result = task.get_future();
    {
        std::lock_guard lock(mutex_);
        if (taken_ >= admitted_)
            return std::nullopt;
        ++taken_;
        queue_.push_back(std::move(task));
    }
    queued_.notify_one();
    struct Release {
        PasswordCheckPool& pool;
        ~Release()
        {
            std::lock_guard lock(pool.mutex_);
            --pool.taken_;
        }
    } release{*this};
    return result.get();
}

void PasswordCheckPool::serve()
{
    std::unique_lock lock(mutex_);
    while (true) {
        queued_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (queue_.empty())
            return;
        std::packaged_task<bool()> task = std::move(queue_.front());
        queue_.pop_front();
        lock.unlock();
        task();
        lock.lock();
    }
}

} // namespace rsim::sysmgnt
