#include "service/decode_ahead.h"

#include "service/picture_content.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace veltra::imaging {
namespace {

// A window shows a large picture from a copy about its own size; copies below this side are
// cheap enough to make when asked.
constexpr int kSmallestPreparedSide = 512;

class DecodeThread {
public:
    ~DecodeThread()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_wake.notify_all();
        if (m_thread.joinable())
            m_thread.join();
    }

    void enqueue(const std::shared_ptr<PictureContent>& content)
    {
        {
            const std::lock_guard lock(m_mutex);
            // Only the newest picture is worth the work: one opened before it and not yet
            // decoded is decoded when (if ever) it is shown.
            m_queue.clear();
            m_queue.push_back(content);
            if (!m_thread.joinable())
                m_thread = std::thread([this] { run(); });
        }
        m_wake.notify_one();
    }

private:
    void run()
    {
        for (;;) {
            std::shared_ptr<PictureContent> content;
            {
                std::unique_lock lock(m_mutex);
                m_wake.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
                if (m_stopping)
                    return;
                content = m_queue.front().lock();
                m_queue.pop_front();
            }
            if (content)
                content->prepare(kSmallestPreparedSide);
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::weak_ptr<PictureContent>> m_queue;
    bool m_stopping = false;
    std::thread m_thread;
};

std::atomic<bool> g_enabled{false};

DecodeThread& Thread()
{
    static DecodeThread thread;
    return thread;
}

}  // namespace

void EnableDecodeAhead(bool enabled)
{
    g_enabled = enabled;
}

void DecodeAhead(const std::shared_ptr<PictureContent>& content)
{
    if (g_enabled)
        Thread().enqueue(content);
}

}  // namespace veltra::imaging
