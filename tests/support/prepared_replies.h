#pragma once

// Choosers in tests answer from queues of prepared replies.

#include <gtest/gtest.h>

#include <deque>
#include <optional>

namespace veltra::test {

// The front reply of the queue, taken off it. A chooser asked with an empty queue is a test
// fault and answers as if cancelled.
template <typename T>
std::optional<T> NextReply(std::deque<std::optional<T>>& replies)
{
    if (replies.empty()) {
        ADD_FAILURE() << "a chooser was asked without a prepared reply";
        return std::nullopt;
    }
    // Built up by hand: copying the optional whole trips a false uninitialised-use warning.
    std::optional<T> reply;
    if (replies.front())
        reply.emplace(*replies.front());
    replies.pop_front();
    return reply;
}

}  // namespace veltra::test
