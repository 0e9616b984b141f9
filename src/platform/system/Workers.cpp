#include "platform/system/Workers.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace platform {

namespace {

// One call's pieces: whoever comes first (a kept thread or the caller)
// takes the next piece not yet begun.
struct Job
{
    const std::function<void(size_t)> *run = nullptr;
    size_t pieces = 0;
    std::atomic<size_t> next{0};
    std::atomic<size_t> finished{0};
    std::vector<std::exception_ptr> errors;
    std::mutex mutex;
    std::condition_variable allDone;

    // Runs pieces until none is left to begin.
    void Take()
    {
        for (size_t k = next.fetch_add(1); k < pieces; k = next.fetch_add(1)) {
            try {
                (*run)(k);
            } catch (...) {
                errors[k] = std::current_exception();
            }
            if (finished.fetch_add(1) + 1 == pieces) {
                std::lock_guard<std::mutex> lock(mutex);
                allDone.notify_all();
            }
        }
    }
};

class Pool
{
public:
    Pool()
    {
        for (int i = 1; i < WorkerCount(); ++i) {
            try {
                threads_.emplace_back([this] { Serve(); });
            } catch (...) {
                break;  // fewer threads: the callers take the rest
            }
        }
    }
    ~Pool()
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stop_ = true;
        }
        wake_.notify_all();
        for (std::thread &t : threads_)
            t.join();
    }

    void Run(size_t pieces, const std::function<void(size_t)> &run)
    {
        auto job = std::make_shared<Job>();
        job->run = &run;
        job->pieces = pieces;
        job->errors.resize(pieces);
        const size_t helpers = std::min(pieces - 1, threads_.size());
        if (helpers > 0) {
            {
                std::lock_guard<std::mutex> lock(mutex_);
                for (size_t i = 0; i < helpers; ++i)
                    queue_.push_back(job);
            }
            if (helpers == 1)
                wake_.notify_one();
            else
                wake_.notify_all();
        }
        job->Take();
        // Pieces begun by others are running: meanwhile this thread takes
        // pieces of other calls waiting for a thread (pieces that share
        // their work out wait here as well), or else waits a moment.
        while (job->finished.load() != pieces) {
            std::shared_ptr<Job> other;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                if (!queue_.empty()) {
                    other = std::move(queue_.front());
                    queue_.pop_front();
                }
            }
            if (other) {
                other->Take();
                continue;
            }
            std::unique_lock<std::mutex> lock(job->mutex);
            job->allDone.wait_for(lock, std::chrono::microseconds(200),
                                  [&job, pieces] { return job->finished.load() == pieces; });
        }
        for (const std::exception_ptr &e : job->errors)
            if (e)
                std::rethrow_exception(e);
    }

private:
    void Serve()
    {
        for (;;) {
            std::shared_ptr<Job> job;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                wake_.wait(lock, [this] { return stop_ || !queue_.empty(); });
                if (stop_)
                    return;
                job = std::move(queue_.front());
                queue_.pop_front();
            }
            job->Take();
        }
    }

    std::vector<std::thread> threads_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::shared_ptr<Job>> queue_;
    bool stop_ = false;
};

Pool &ThePool()
{
    static Pool pool;
    return pool;
}

} // namespace

int WorkerCount()
{
    // More threads than this gain little on the memory-bound jobs here and
    // take cores from whatever else the machine runs.
    static const int count = [] {
        const unsigned cores = std::thread::hardware_concurrency();
        return static_cast<int>(std::clamp(cores, 1u, 8u));
    }();
    return count;
}

size_t PieceCount(size_t n, size_t minPiece)
{
    const size_t most = minPiece == 0 ? n : n / minPiece;
    return std::max<size_t>(1, std::min(most, static_cast<size_t>(WorkerCount())));
}

void ForEachPiece(size_t n, size_t minPiece, const std::function<void(size_t, size_t, size_t)> &fn)
{
    const size_t pieces = PieceCount(n, minPiece);
    if (pieces <= 1) {
        fn(0, 0, n);
        return;
    }
    const auto bound = [n, pieces](size_t k) { return n / pieces * k + std::min(k, n % pieces); };
    const std::function<void(size_t)> run = [&fn, &bound](size_t k) { fn(k, bound(k), bound(k + 1)); };
    ThePool().Run(pieces, run);
}

void RunBoth(const std::function<void()> &a, const std::function<void()> &b)
{
    if (WorkerCount() < 2) {
        std::exception_ptr failed;
        try {
            a();
        } catch (...) {
            failed = std::current_exception();
        }
        b();
        if (failed)
            std::rethrow_exception(failed);
        return;
    }
    // Piece 0 (b) is usually taken by the caller first; a by a kept thread.
    const std::function<void(size_t)> run = [&a, &b](size_t k) { k == 0 ? b() : a(); };
    ThePool().Run(2, run);
}

} // namespace platform
