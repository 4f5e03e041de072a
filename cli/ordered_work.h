#pragma once

// Work on a list spread over threads, its results taken in the list's order: a result is handed
// on as soon as it and all before it are done, and the workers never run more than a window
// ahead of what has been handed on, so a long list does not pile up in memory.

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace veltra::cli {

// `make(index)` runs on `workers` threads (inline for one); `take(index, result)` runs on the
// calling thread, in order.
template <typename Result, typename Make, typename Take>
void RunInOrder(std::size_t count, unsigned workers, Make make, Take take)
{
    if (workers <= 1 || count <= 1) {
        for (std::size_t index = 0; index < count; ++index)
            take(index, make(index));
        return;
    }
    const std::size_t window = 8 * static_cast<std::size_t>(workers);
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::optional<Result>> pending;  // from `taken` on
    std::size_t next = 0;
    std::size_t taken = 0;

    auto work = [&] {
        std::unique_lock lock(mutex);
        for (;;) {
            changed.wait(lock, [&] { return next >= count || next < taken + window; });
            if (next >= count)
                return;
            const std::size_t index = next++;
            lock.unlock();
            Result result = make(index);
            lock.lock();
            if (pending.size() <= index - taken)
                pending.resize(index - taken + 1);
            pending[index - taken] = std::move(result);
            changed.notify_all();
        }
    };
    std::vector<std::jthread> threads;
    threads.reserve(workers);
    for (unsigned worker = 0; worker < workers; ++worker)
        threads.emplace_back(work);

    std::unique_lock lock(mutex);
    while (taken < count) {
        changed.wait(lock, [&] { return !pending.empty() && pending.front().has_value(); });
        Result result = std::move(*pending.front());
        pending.pop_front();
        const std::size_t index = taken++;
        changed.notify_all();
        lock.unlock();
        take(index, std::move(result));
        lock.lock();
    }
}

}  // namespace veltra::cli
