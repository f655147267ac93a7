#pragma once

#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

// A thread that runs jobs one at a time, for work handed over once per
// chunk of a file: starting a thread per chunk costs about as much as
// converting the chunk, and on the thread that waits.
class Worker {
  public:
    Worker();
    // Waits for the running job, if any (its error is dropped), then stops.
    ~Worker();
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;

    // Starts a job; the one before must have been waited for.
    void start(std::function<void()> job);
    // Waits for the job started last; rethrows what it threw. Returns at
    // once if none is running.
    void wait();

  private:
    std::mutex mutex;
    std::condition_variable changed;
    std::function<void()> job;
    bool running = false, stopping = false;
    std::exception_ptr error;
    std::thread thread; // last: starts once the members above exist

    void loop();
};
