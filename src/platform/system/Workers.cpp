#include "platform/system/Workers.h"

namespace platform {

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

} // namespace platform
