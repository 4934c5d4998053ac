#include <gtest/gtest.h>
#include <random>
#include <vector>

#include "dialogs/lists/part_index.h"

namespace {

// The lists as they are: the rows of each state in order.
std::vector<size_t> list_of(const std::vector<bool> &on, bool state) {
    std::vector<size_t> rows;
    for (size_t row = 0; row < on.size(); ++row) {
        if (on[row] == state)
            rows.push_back(row);
    }
    return rows;
}

// Every place and every row of both lists agree with the lists as they are.
void expect_agrees(const PartIndex &index, const std::vector<bool> &on) {
    for (bool state : {false, true}) {
        const std::vector<size_t> rows = list_of(on, state);
        ASSERT_EQ(index.count(state), rows.size());
        for (size_t place = 0; place < rows.size(); ++place) {
            ASSERT_EQ(index.row_at(state, place), rows[place]) << state << " " << place;
            ASSERT_EQ(index.place(rows[place]), place);
        }
        ASSERT_EQ(index.row_at(state, rows.size()), on.size());
    }
}

TEST(PartIndex, EmptyAndOneSidedLists) {
    expect_agrees(PartIndex({}), {});
    expect_agrees(PartIndex({true, true, true}), {true, true, true});
    expect_agrees(PartIndex({false, false, false, false, false}),
                  {false, false, false, false, false});
}

// Sizes around powers of two, where the tree's blocks end.
TEST(PartIndex, AgreesWithTheListsThroughRandomMoves) {
    std::mt19937 random(7);
    for (size_t size : {1, 2, 7, 8, 9, 64, 100, 1000}) {
        std::vector<bool> on(size);
        for (size_t row = 0; row < size; ++row)
            on[row] = random() % 3 == 0;
        PartIndex index(on);
        expect_agrees(index, on);
        for (int move = 0; move < 50; ++move) {
            const size_t row = random() % size;
            on[row] = !on[row];
            index.set(row, on[row]);
            expect_agrees(index, on);
        }
    }
}

} // namespace
