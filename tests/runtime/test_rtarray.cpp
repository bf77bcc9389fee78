// Tests for RtArray: sizing, strides and storage, the bounds check and its
// program end, resizing with kept elements, deleting slices and splitting.
#include "runtime/rtarray.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(ArrayDim, CapacityRankAndStorage) {
    struct {
        double a, b, c, d;
        std::int32_t capacity, rank;
        bool inline_storage;
    } const cases[] = {
        {5, 0, 0, 0, 8, 1, true},   {7, 0, 0, 0, 8, 1, true},    {8, 0, 0, 0, 16, 1, true},
        {15, 0, 0, 0, 16, 1, true}, {16, 0, 0, 0, 24, 1, false}, {3, 4, 0, 0, 16, 2, true},
        {2, 3, 4, 0, 32, 3, false}, {2, 2, 2, 2, 24, 4, false},  {0.5, 0, 0, 0, 8, 1, true},
        {4, 0.5, 0, 0, 8, 2, true},
    };
    for (const auto& c : cases) {
        RtArray<double> a;
        rt_dim(a, c.a, c.b, c.c, c.d);
        EXPECT_EQ(a.capacity, c.capacity) << c.a << "x" << c.b << "x" << c.c << "x" << c.d;
        EXPECT_EQ(a.rank, c.rank) << c.a << "x" << c.b << "x" << c.c << "x" << c.d;
        EXPECT_EQ(a.uses_inline(), c.inline_storage) << c.a << "x" << c.b;
    }
    RtArray<RtString> strings;
    rt_dim(strings, 5);
    EXPECT_FALSE(strings.uses_inline());
}

TEST(ArrayDim, StridesPlaceTheFirstIndexFastest) {
    RtArray<double> a;
    rt_dim(a, 3, 4);
    EXPECT_EQ(a.stride1, 3);
    EXPECT_EQ(a.stride2, 12);
    rt_index(a, 2, 3) = 42;
    EXPECT_EQ(a.elements[11], 42);
    RtArray<double> b;
    rt_dim(b, 2, 3, 4, 5);
    rt_index(b, 1, 2, 3, 4) = 7;
    EXPECT_EQ(b.elements[1 + 2 * 2 + 3 * 6 + 4 * 24], 7);
    EXPECT_EQ(rt_bounds(b, 3), 5);
}

TEST(ArrayDim, ResetsAndKeepsLargeStorage) {
    RtArray<double> a;
    rt_dim(a, 40);
    rt_index(a, 3) = 9;
    double* storage = a.elements;
    rt_dim(a, 10);
    EXPECT_EQ(a.elements, storage) << "large enough storage is kept";
    EXPECT_EQ(a.capacity, 48);
    EXPECT_EQ(rt_index(a, 3), 0) << "every element reset";
    rt_dim(a, 0.5);
    EXPECT_EQ(rt_bounds(a, 0), 0);
    EXPECT_EQ(a.capacity, 8);
}

TEST(ArrayDim, BoundsOfEachDimension) {
    RtArray<double> a;
    rt_dim(a, 3, 4, 5, 6);
    const double expected[] = {3, 4, 5, 6};
    for (int n = 0; n < 4; ++n)
        EXPECT_EQ(rt_bounds(a, n), expected[n]) << n;
    EXPECT_EQ(rt_bounds(a, 4), 0);
    EXPECT_EQ(rt_bounds(a, -1), 0);
    EXPECT_EQ(rt_bounds(a, 1.7), 4);
}

TEST(ArrayDim, RecordsStartZeroed) {
    struct Record {
        double x;
        int flags;
        RtString name;
    };
    RtArray<Record> records;
    rt_dim(records, 3);
    rt_index(records, 1).x = 5;
    rt_index(records, 1).name = "kept";
    rt_redim(records, 4);
    EXPECT_EQ(rt_index(records, 1).x, 5);
    EXPECT_EQ(rt_index(records, 1).name.str(), "kept");
    EXPECT_EQ(rt_index(records, 3).x, 0);
    EXPECT_EQ(rt_index(records, 3).flags, 0);
    EXPECT_EQ(rt_index(records, 3).name.length(), 0u);
}

// A bad index ends the program with the error code as its exit status.
using ArrayDeathTest = ::testing::Test;

TEST_F(ArrayDeathTest, FreshArrayIsNotDimensioned) {
    RtArray<double> a;
    EXPECT_EXIT(rt_index(a, 0, 0, 0, 0), ::testing::ExitedWithCode(8), "");
    RtArray<RtString> s;
    rt_dim(s, 0.5);
    EXPECT_EXIT(rt_index(s, 0), ::testing::ExitedWithCode(8), "");
}

TEST_F(ArrayDeathTest, IndexOutsideASizeEndsWithNine) {
    RtArray<double> a;
    rt_dim(a, 3, 2);
    struct {
        int i, j, k, l;
    } const bad[] = {{-1, 0, 0, 0}, {3, 0, 0, 0}, {0, 2, 0, 0}, {0, -1, 0, 0},
                     {0, 0, 1, 0},  {0, 0, 0, 1}, {0, 0, -1, 0}};
    for (const auto& b : bad) {
        EXPECT_EXIT(rt_index(a, b.i, b.j, b.k, b.l), ::testing::ExitedWithCode(9), "")
            << b.i << "," << b.j << "," << b.k << "," << b.l;
    }
    EXPECT_EQ(&rt_index(a, 2, 1), &a.elements[5]);
}

TEST_F(ArrayDeathTest, DeletingOutsideTheListEndsWithEight) {
    RtArray<double> a;
    EXPECT_EXIT(rt_delete_at(a, 0), ::testing::ExitedWithCode(8), "");
    rt_dim(a, 2);
    EXPECT_EXIT(rt_delete_at(a, 2), ::testing::ExitedWithCode(8), "");
    EXPECT_EXIT(rt_delete_at(a, -1), ::testing::ExitedWithCode(8), "");
}

TEST_F(ArrayDeathTest, OversizedArrayEndsWithSeven) {
    RtArray<double> a;
    EXPECT_EXIT(rt_dim(a, 1e6, 1e6), ::testing::ExitedWithCode(7), "");
}

// Fills every element with a value made of its indices.
template <class Fill> void fill(RtArray<double>& a, int n0, int n1, Fill f) {
    for (int j = 0; j < n1; ++j)
        for (int i = 0; i < n0; ++i)
            rt_index(a, i, j) = f(i, j);
}

TEST(ArrayRedim, KeepsElementsAtTheirIndices) {
    struct {
        double old0, old1, new0, new1;
    } const cases[] = {
        {3, 2, 4, 2},  // grows the first dimension
        {3, 2, 2, 2},  // shrinks it
        {3, 2, 3, 5},  // grows the second
        {20, 2, 3, 2}, // heap to inline storage
        {3, 2, 20, 3}, // inline to heap storage
        {30, 2, 40, 1},
    };
    auto value = [](int i, int j) { return 100.0 + i + 10.0 * j; };
    for (const auto& c : cases) {
        RtArray<double> a;
        rt_dim(a, c.old0, c.old1);
        fill(a, static_cast<int>(c.old0), static_cast<int>(c.old1), value);
        rt_redim(a, c.new0, c.new1);
        ASSERT_EQ(rt_bounds(a, 0), c.new0);
        ASSERT_EQ(rt_bounds(a, 1), c.new1);
        for (int j = 0; j < c.new1; ++j)
            for (int i = 0; i < c.new0; ++i) {
                bool kept = i < c.old0 && j < c.old1;
                EXPECT_EQ(rt_index(a, i, j), kept ? value(i, j) : 0.0)
                    << c.old0 << "x" << c.old1 << " -> " << c.new0 << "x" << c.new1 << " at " << i
                    << "," << j;
            }
    }
}

TEST(ArrayRedim, ListGrowsFromNothingAndShrinksToNothing) {
    RtArray<RtString> list;
    rt_redim(list, 2);
    rt_index(list, 1) = "b";
    rt_redim(list, 3);
    EXPECT_EQ(rt_index(list, 1).str(), "b");
    rt_redim(list, 0);
    EXPECT_EQ(rt_bounds(list, 0), 0);
}

TEST(ArrayDelete, SlicesMoveDown) {
    RtArray<RtString> list;
    rt_dim(list, 3);
    rt_index(list, 0) = "zero";
    rt_index(list, 1) = "one";
    rt_index(list, 2) = "two";
    rt_delete_at(list, 0);
    EXPECT_EQ(rt_bounds(list, 0), 2);
    EXPECT_EQ(rt_index(list, 0).str(), "one");
    EXPECT_EQ(rt_index(list, 1).str(), "two");
    rt_delete_at(list, 1);
    rt_delete_at(list, 0);
    EXPECT_EQ(rt_bounds(list, 0), 0) << "the last element can go too";

    RtArray<double> grid;
    rt_dim(grid, 3, 2);
    fill(grid, 3, 2, [](int i, int j) { return i + 10.0 * j; });
    rt_delete_at(grid, 1);
    EXPECT_EQ(rt_bounds(grid, 0), 2);
    EXPECT_EQ(rt_bounds(grid, 1), 2);
    const double expected[2][2] = {{0, 2}, {10, 12}};
    for (int j = 0; j < 2; ++j)
        for (int i = 0; i < 2; ++i)
            EXPECT_EQ(rt_index(grid, i, j), expected[j][i]) << i << j;
}

TEST(ArrayAssign, CopiesSizesAndElements) {
    RtArray<RtString> source;
    rt_dim(source, 2, 2);
    rt_index(source, 1, 1) = "corner";
    RtArray<RtString> target;
    rt_dim(target, 50);
    rt_array_assign(target, source);
    EXPECT_EQ(rt_bounds(target, 0), 2);
    EXPECT_EQ(rt_bounds(target, 1), 2);
    EXPECT_EQ(target.rank, 2);
    EXPECT_EQ(rt_index(target, 1, 1).str(), "corner");
    rt_index(source, 1, 1) = "changed";
    EXPECT_EQ(rt_index(target, 1, 1).str(), "corner") << "deep copy";

    RtArray<double> numbers;
    const double values[] = {1.5, -2, 3};
    rt_array_from_list(numbers, 3, values);
    RtArray<double> copy(numbers);
    RtArray<double> moved(std::move(copy));
    EXPECT_EQ(moved.elements, moved.inline_buffer.values) << "inline storage moves with the value";
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(rt_index(moved, i), values[i]);
    EXPECT_EQ(rt_bounds(copy, 0), 0);
}

TEST(ArraySplit, PiecesBetweenDelimiterRuns) {
    struct {
        const char* text;
        const char* delimiters;
        std::vector<std::string> pieces;
    } const cases[] = {
        {"a b c", " ", {"a", "b", "c"}},
        {"a, b", " ,", {"a", "b"}},
        {"a,,b", ",", {"a", "b"}},
        {",a,", ",", {"a"}},
        {"", ",", {}},
        {",,,", ",", {}},
        {"whole", "", {"whole"}},
        {"k=v;x", "=;", {"k", "v", "x"}},
    };
    for (const auto& c : cases) {
        RtArray<RtString> target;
        rt_dim(target, 9);
        RtString text(c.text);
        double count = rt_split(text, target, RtString(c.delimiters));
        ASSERT_EQ(count, static_cast<double>(c.pieces.size())) << '"' << c.text << '"';
        EXPECT_EQ(rt_bounds(target, 0), count) << '"' << c.text << '"';
        for (std::size_t i = 0; i < c.pieces.size(); ++i)
            EXPECT_EQ(rt_index(target, static_cast<int>(i)).str(), c.pieces[i]) << c.text;
        EXPECT_EQ(text.str(), c.text) << "source unchanged";
    }
}

// The text and the delimiters may be elements of the very array being
// filled; the resize must not free them before they are read.
TEST(RtArraySplit, TextAndDelimitersMayLiveInTheTarget) {
    struct Case {
        int text_at, delimiters_at;
        std::vector<std::string> pieces;
    };
    const Case cases[] = {
        {0, 1, {"alpha", "beta", "gamma"}},
        {1, 0, {"a", "pha,b", "ta,ga", "a"}},
        {2, 2, {}},
    };
    for (const Case& c : cases) {
        RtArray<RtString> parts;
        rt_dim(parts, 3);
        rt_index(parts, 0) = RtString("alpha,beta,gamma");
        rt_index(parts, 1) = RtString(",");
        rt_index(parts, 2) = RtString("x;x");
        if (c.text_at == 1) rt_index(parts, 0) = RtString("lem");
        if (c.text_at == 1) rt_index(parts, 1) = RtString("alpha,beta,gamma");
        const RtString& text = rt_index(parts, c.text_at);
        const RtString& delimiters = rt_index(parts, c.delimiters_at);
        const double count = rt_split(text, parts, delimiters);
        ASSERT_EQ(count, static_cast<double>(c.pieces.size())) << c.text_at;
        for (std::size_t i = 0; i < c.pieces.size(); ++i)
            EXPECT_EQ(rt_index(parts, static_cast<int>(i)).str(), c.pieces[i]) << c.text_at;
    }
}

// An array that is not dimensioned may be given any other sizes; its
// strides must not overflow, and it still reads as not dimensioned.
TEST(RtArrayDim, HugeSizesBehindAZeroFirstSizeKeepSaneStrides) {
    RtArray<double> a;
    rt_dim(a, 0, 2e8, 2e8, 2e8);
    EXPECT_EQ(rt_bounds(a, 0), 0);
    EXPECT_EQ(rt_bounds(a, 1), 2e8);
    EXPECT_GT(a.stride2, 0);
    EXPECT_GE(a.stride3, a.stride2);
    EXPECT_EXIT(rt_index(a, 0), ::testing::ExitedWithCode(8), "");
}

} // namespace
