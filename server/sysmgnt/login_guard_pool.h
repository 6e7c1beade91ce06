// Password checks on a few threads of their own. A check costs 64 MiB and a core for a while:
// on the workers that serve calls, a flood of guesses would take them all. Here the guesses get
// the pool's threads only, and a login waits for its check without holding a worker: what
// follows the check runs on the pool's thread, which then answers. A check beyond the number
// admitted is not taken, and its login is told to come back.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

namespace rsim::sysmgnt {

class PasswordCheckPool {
public:
    // threads: checks run at once; admitted: checks running or waiting at most.
    PasswordCheckPool(std::size_t threads, std::size_t admitted);
    // Runs the checks taken that are still waiting, then ends.
    ~PasswordCheckPool();
    PasswordCheckPool(const PasswordCheckPool&) = delete;
    PasswordCheckPool& operator=(const PasswordCheckPool&) = delete;

    // Has check run on one of the pool's threads, in the order taken, and then `then` on that
    // thread with its outcome, once the check has given its place back; false, and neither
    // runs, when the pool has admitted as many checks as it takes. then throws nothing.
    bool submit(std::function<bool()> check, std::function<void(std::future<bool>)> then);

private:
    void serve();

    const std::size_t admitted_;
    std::mutex mutex_;
    std::condition_variable queued_;
    struct Job {
        std::packaged_task<bool()> check;
        std::function<void(std::future<bool>)> then;
    };
    std::deque<Job> queue_;
    std::size_t taken_ = 0; // running or waiting
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

} // namespace rsim::sysmgnt
