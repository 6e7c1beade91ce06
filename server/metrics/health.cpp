#include "health.h"

#include <condition_variable>
#include <iostream>
#include <string>
#include <thread>

namespace rsim::metrics {

// What a check's thread and the callers waiting for it share; the thread keeps it alive.
struct HealthProbe::Run {
    explicit Run(Clock::time_point deadline) : deadline(deadline) {}
    const Clock::time_point deadline;
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    std::optional<int> version;
    std::string fault;
};

HealthProbe::HealthProbe(Check check, std::chrono::milliseconds timeout)
    : check_(std::move(check)), timeout_(timeout)
{}

std::optional<int> HealthProbe::probe()
{
    std::shared_ptr<Run> run;
    {
        std::lock_guard lock(mutex_);
        if (last_) {
            std::lock_guard runLock(last_->mutex);
            if (!last_->done && Clock::now() < last_->deadline)
                run = last_; // answered with the check in progress
            else if (!last_->done)
                return std::nullopt; // still hanging past its timeout
        }
        if (!run)
            run = last_ = start(Clock::now() + timeout_);
    }
    std::unique_lock lock(run->mutex);
    const bool done = run->finished.wait_until(lock, run->deadline, [&run] { return run->done; });
    const std::optional<int> version = done ? run->version : std::nullopt;
    const std::string fault =
        done ? run->fault
             : "the database did not answer within " + std::to_string(timeout_.count()) + " ms";
    lock.unlock();
    report(version.has_value(), fault);
    return version;
}

std::shared_ptr<HealthProbe::Run> HealthProbe::start(Clock::time_point deadline)
{
    auto run = std::make_shared<Run>(deadline);
    std::thread([run, check = check_] {
        std::optional<int> version;
        std::string fault;
        try {
            version = check(run->deadline);
        } catch (const std::exception& e) {
            fault = e.what();
        }
        std::lock_guard lock(run->mutex);
        run->version = version;
        run->fault = fault;
        run->done = true;
        run->finished.notify_all();
    }).detach();
    return run;
}

void HealthProbe::report(bool healthy, const std::string& fault)
{
    std::lock_guard lock(mutex_);
    if (healthy != healthy_)
        std::cerr << "rsimd: health: "
                  << (healthy ? "the database answers again" : "unhealthy: " + fault) << std::endl;
    healthy_ = healthy;
}

} // namespace rsim::metrics
