#pragma once
// Work cut into pieces that run side by side, every piece done (or failed)
// before the call returns. For jobs over memory that nobody changes
// meanwhile: reading a sorter's keys, sorting the halves of a quicksort,
// moving rows into place. The pieces run on a few threads kept for the
// purpose (started on first use) and on the calling thread, which takes
// any piece no other thread has begun: a job never waits for a free thread,
// so pieces may themselves share work out.
#include <cstddef>
#include <functional>

namespace platform {

// Threads a job may use at most: the machine's cores, between 1 and 8.
int WorkerCount();

// How many pieces ForEachPiece cuts n items into: at most WorkerCount(),
// each of at least minPiece items (one piece when n is smaller).
size_t PieceCount(size_t n, size_t minPiece);

// Calls fn(piece, begin, end) for the PieceCount(n, minPiece) consecutive
// pieces of [0, n), side by side. A piece that fails makes the call raise
// the first failure (by piece) once all pieces are done.
void ForEachPiece(size_t n, size_t minPiece, const std::function<void(size_t, size_t, size_t)> &fn);

// Runs a and b side by side, both done before the call returns; a failure
// of either is raised then.
void RunBoth(const std::function<void()> &a, const std::function<void()> &b);

} // namespace platform
