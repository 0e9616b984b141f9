#pragma once
// Work cut into pieces that run side by side on short-lived threads, every
// piece done (or failed) before the call returns. For jobs over memory that
// nobody changes meanwhile: reading a sorter's keys, moving rows into place.
#include <algorithm>
#include <cstddef>
#include <exception>
#include <thread>
#include <vector>

namespace platform {

// Threads a job may use at most: the machine's cores, between 1 and 8.
int WorkerCount();

// Calls fn(piece, begin, end) for consecutive pieces of [0, n), each of at
// least minPiece items (one piece when n is smaller), at most WorkerCount()
// of them; the first runs on the calling thread. A piece that fails makes
// the call raise the first such failure, once all pieces are done. Where no
// thread can be started, the pieces run one after another here.
// The number of pieces is what PieceCount(n, minPiece) gives.
size_t PieceCount(size_t n, size_t minPiece);

template <typename Fn>
void ForEachPiece(size_t n, size_t minPiece, const Fn &fn)
{
    const size_t pieces = PieceCount(n, minPiece);
    const auto bounds = [n, pieces](size_t k) { return n / pieces * k + std::min(k, n % pieces); };
    if (pieces <= 1) {
        fn(size_t(0), size_t(0), n);
        return;
    }
    std::vector<std::exception_ptr> errors(pieces);
    std::vector<std::thread> threads;
    threads.reserve(pieces - 1);
    size_t started = 1;
    for (; started < pieces; ++started) {
        try {
            threads.emplace_back([&fn, &errors, &bounds, started] {
                try {
                    fn(started, bounds(started), bounds(started + 1));
                } catch (...) {
                    errors[started] = std::current_exception();
                }
            });
        } catch (...) {
            break;  // no more threads: the rest run here
        }
    }
    for (size_t k = 0; k < pieces; ++k) {
        if (k != 0 && k < started)
            continue;
        try {
            fn(k, bounds(k), bounds(k + 1));
        } catch (...) {
            errors[k] = std::current_exception();
        }
    }
    for (std::thread &t : threads)
        t.join();
    for (const std::exception_ptr &e : errors)
        if (e)
            std::rethrow_exception(e);
}

} // namespace platform
