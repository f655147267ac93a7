#include "host/Worker.h"

#include <utility>

Worker::Worker() : thread([this] { loop(); })
{
}

Worker::~Worker()
{
    {
        std::unique_lock lock(mutex);
        changed.wait(lock, [this] { return !running; });
        stopping = true;
    }
    changed.notify_all();
    thread.join();
}

void Worker::start(std::function<void()> next)
{
    {
        const std::lock_guard lock(mutex);
        job = std::move(next);
        running = true;
    }
    changed.notify_all();
}

void Worker::wait()
{
    std::unique_lock lock(mutex);
    changed.wait(lock, [this] { return !running; });
    if (error) std::rethrow_exception(std::exchange(error, nullptr));
}

void Worker::loop()
{
    std::unique_lock lock(mutex);
    for (;;) {
        changed.wait(lock, [this] { return running || stopping; });
        if (!running) return;
        std::function<void()> current = std::move(job);
        lock.unlock();
        std::exception_ptr thrown;
        try {
            current();
        } catch (...) {
            thrown = std::current_exception();
        }
        lock.lock();
        error = thrown;
        running = false;
        changed.notify_all();
    }
}
