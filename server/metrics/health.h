// The answer to "is this replica healthy?", for load balancers and systemd: the database's
// schema version read within a time bound, whatever the database does.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace rsim::metrics {

class HealthProbe {
public:
    using Clock = std::chrono::steady_clock;
    // Reads the schema version, giving up (by throwing) when it cannot start before the
    // deadline, e.g. when no pooled connection is free by then.
    using Check = std::function<int(Clock::time_point deadline)>;

    HealthProbe(Check check, std::chrono::milliseconds timeout);

    // The schema version, or nothing when the check failed or did not finish within the
    // timeout. The check runs on a thread of its own, so that a database that never answers
    // holds that thread, not the caller. Callers at the same time share one check; while a
    // check hangs past its timeout none other starts and the answer is nothing at once. A change
    // between healthy and not is logged once, with its reason.
    std::optional<int> probe();

private:
    struct Run;
    std::shared_ptr<Run> start(Clock::time_point deadline);
    void report(bool healthy, const std::string& fault);

    const Check check_;
    const std::chrono::milliseconds timeout_;
    std::mutex mutex_;
    std::shared_ptr<Run> last_; // the last check started, finished or not
    bool healthy_ = true;
};

} // namespace rsim::metrics
