// Work shared among threads: every item handed out once, in consecutive
// pieces, and a failing piece raised once all are done.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <stdexcept>
#include <vector>

#include "platform/system/Workers.h"

TEST(Workers, PiecesCoverEveryItemOnceInOrder)
{
    for (size_t n : {size_t(0), size_t(1), size_t(999), size_t(1000), size_t(8191), size_t(100003)}) {
        const size_t pieces = platform::PieceCount(n, 1000);
        EXPECT_GE(pieces, size_t(1));
        EXPECT_LE(pieces, size_t(platform::WorkerCount()));
        EXPECT_TRUE(pieces == 1 || n / pieces >= 1000) << n;
        std::vector<int> seen(n, 0);
        std::vector<size_t> begins(pieces, size_t(-1)), ends(pieces, size_t(-1));
        platform::ForEachPiece(n, 1000, [&](size_t piece, size_t from, size_t to) {
            begins[piece] = from;
            ends[piece] = to;
            for (size_t k = from; k < to; ++k)
                ++seen[k];
        });
        EXPECT_EQ(std::vector<int>(n, 1), seen) << n;
        EXPECT_EQ(size_t(0), begins[0]);
        EXPECT_EQ(n, ends[pieces - 1]);
        for (size_t k = 1; k < pieces; ++k)
            EXPECT_EQ(ends[k - 1], begins[k]) << n;
    }
}

TEST(Workers, AFailingPieceIsRaisedAfterEveryPieceEnded)
{
    const size_t n = 64000;
    std::atomic<size_t> done{0};
    const size_t pieces = platform::PieceCount(n, 1000);
    try {
        platform::ForEachPiece(n, 1000, [&](size_t piece, size_t from, size_t to) {
            done += to - from;
            if (piece == pieces - 1)
                throw std::runtime_error("the last piece failed");
        });
        FAIL() << "no failure raised";
    } catch (const std::runtime_error &e) {
        EXPECT_STREQ("the last piece failed", e.what());
    }
    EXPECT_EQ(n, done.load());
}

TEST(Workers, WorkSharedOutFromSharedWorkEndsAndCountsEveryItem)
{
    // Each piece splits its items in halves again and again, as the
    // quicksort does: more calls wait than there are threads, and all end.
    std::vector<int> seen(1 << 16, 0);
    std::function<void(size_t, size_t)> halves = [&](size_t from, size_t to) {
        if (to - from <= 256) {
            for (size_t k = from; k < to; ++k)
                ++seen[k];
            return;
        }
        const size_t middle = from + (to - from) / 2;
        platform::RunBoth([&, from, middle] { halves(from, middle); }, [&, middle, to] { halves(middle, to); });
    };
    platform::ForEachPiece(seen.size(), 1024, [&](size_t, size_t from, size_t to) { halves(from, to); });
    EXPECT_EQ(std::vector<int>(seen.size(), 1), seen);

    bool other = false;
    EXPECT_THROW(platform::RunBoth([] { throw std::runtime_error("a failed"); }, [&other] { other = true; }),
                 std::runtime_error);
    EXPECT_TRUE(other) << "the other half still ran";
}
