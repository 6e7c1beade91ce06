// Password checks on a few threads of their own. A check costs 64 MiB and a core for a while:
// on the workers that serve calls, a flood of guesses would take them all. Here the guesses get
// the pool's threads only, and hold at most a bounded number of workers, each waiting for its
// check; a check beyond them is not taken, and its login is told to come back.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace rsim::sysmgnt {

class PasswordCheckPool {
public:
    // threads: checks run at once; admitted: checks running or waiting at most.
    PasswordCheckPool(std::size_t threads, std::size_t admitted);
    ~PasswordCheckPool();
    PasswordCheckPool(const PasswordCheckPool&) = delete;
    PasswordCheckPool& operator=(const PasswordCheckPool&) = delete;

    // What check answers, run on one of the pool's threads; nothing when the pool has admitted
    // as many checks as it takes.
    std::optional<bool> run(std::function<bool()> check);

private:
    void serve();

    const std::size_t admitted_;
    std::mutex mutex_;
    std::condition_variable queued_;
    std::deque<std::packaged_task<bool()>> queue_;
    std::size_t taken_ = 0; // running or waiting
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

} // namespace rsim::sysmgnt
