#include "service/decode_ahead.h"

#include "service/picture_content.h"
#include "service/view_copies.h"

#include <QCoreApplication>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace veltra::imaging {
namespace {

// A window shows a large picture from a copy about its own size; copies below this side are
// cheap enough to make when asked.
constexpr int kSmallestPreparedSide = 512;

// False once the thread object is gone at the program's end.
std::atomic<bool> g_threadAlive{true};

class DecodeThread {
public:
    ~DecodeThread() { stop(); }

    // Ends the thread after the work in hand. Called while the application object is
    // destroyed, before the program's static objects go: the work may be scaling a picture on
    // Qt's own thread pool, which static destruction takes away from under it.
    void stop()
    {
        g_threadAlive = false;
        {
            const std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_wake.notify_all();
        if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id())
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
            start();
        }
        m_wake.notify_all();
    }

    void enqueueFiles(const QStringList& paths, QSize view)
    {
        {
            const std::lock_guard lock(m_mutex);
            m_files = paths;
            m_view = view;
            start();
        }
        m_wake.notify_all();
    }

    void release(std::shared_ptr<PictureContent> content)
    {
        {
            const std::lock_guard lock(m_mutex);
            m_released.push_back(std::move(content));
            start();
        }
        m_wake.notify_all();
    }

    void setHandler(std::function<void()> handler)
    {
        // Waits for a call in progress: once this returns, the old handler is never called.
        const std::lock_guard lock(m_handlerMutex);
        m_handler = std::move(handler);
    }

    void waitUntilIdle()
    {
        std::unique_lock lock(m_mutex);
        m_wake.wait(lock, [this] { return m_stopping || (!m_working && nothingQueued()); });
    }

private:
    bool nothingQueued() const
    {
        return m_queue.empty() && m_files.isEmpty() && m_released.empty();
    }

    void start()
    {
        if (m_thread.joinable() || m_stopping)
            return;
        m_thread = std::thread([this] { run(); });
        qAddPostRoutine(StopThread);
    }

    static void StopThread();

    void run()
    {
        for (;;) {
            std::shared_ptr<PictureContent> content;
            std::vector<std::shared_ptr<PictureContent>> released;
            QString file;
            QSize view;
            {
                std::unique_lock lock(m_mutex);
                m_working = false;
                m_wake.notify_all();
                m_wake.wait(lock, [this] { return m_stopping || !nothingQueued(); });
                if (m_stopping)
                    return;
                m_working = true;
                // Memory given back first, then the pictures opened, then those that may be
                // opened next.
                if (!m_released.empty()) {
                    released.swap(m_released);
                } else if (!m_queue.empty()) {
                    content = m_queue.front().lock();
                    m_queue.pop_front();
                } else {
                    file = m_files.takeFirst();
                    view = m_view;
                }
            }
            if (!released.empty()) {
                released.clear();
            } else if (content) {
                if (content->prepare(kSmallestPreparedSide))
                    pixelsReady();
            } else if (!file.isEmpty()) {
                PrepareViewCopy(file, view);
            }
        }
    }

    void pixelsReady()
    {
        const std::lock_guard lock(m_handlerMutex);
        if (m_handler)
            m_handler();
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::weak_ptr<PictureContent>> m_queue;
    QStringList m_files;
    QSize m_view;
    std::vector<std::shared_ptr<PictureContent>> m_released;
    bool m_working = false;
    bool m_stopping = false;
    std::mutex m_handlerMutex;
    std::function<void()> m_handler;
    std::thread m_thread;
};

DecodeThread& Thread()
{
    static DecodeThread thread;
    return thread;
}

void DecodeThread::StopThread()
{
    Thread().stop();
}

}  // namespace

void DecodeAhead(const std::shared_ptr<PictureContent>& content)
{
    if (DecodesAhead())
        Thread().enqueue(content);
}

void DecodeFilesAhead(const QStringList& paths, QSize view)
{
    KeepViewCopiesOf(paths);
    if (DecodesAhead() && !view.isEmpty())
        Thread().enqueueFiles(paths, view);
}

void ReleaseAhead(std::shared_ptr<PictureContent> content)
{
    if (DecodesAhead() && g_threadAlive)
        Thread().release(std::move(content));
}

void SetReadyHandler(std::function<void()> handler)
{
    Thread().setHandler(std::move(handler));
}

void WaitUntilDecodedAhead()
{
    if (DecodesAhead())
        Thread().waitUntilIdle();
}

}  // namespace veltra::imaging
