// Where each item stands in the buildlist's two lists, those that are on
// and those that are off, each in item order: counts kept in a binary
// indexed tree, so that an item's place in its list, the item at a place,
// and moving an item to the other list each take time logarithmic in the
// number of items. No widgets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class PartIndex {
  public:
    explicit PartIndex(const std::vector<bool> &on);

    size_t size() const { return on_.size(); }
    bool is_on(size_t row) const { return on_[row]; }
    // How many rows are on (or off).
    size_t count(bool on) const { return on ? on_count_ : size() - on_count_; }
    // The row's place in its own list: the rows of its state before it.
    size_t place(size_t row) const;
    // The row at place n of the list of rows that are on (or off); size()
    // when that list is shorter.
    size_t row_at(bool on, size_t n) const;
    void set(size_t row, bool on);

  private:
    // Rows that are on among the first row rows.
    size_t on_before(size_t row) const;

    std::vector<bool> on_;
    // sums_[i] (from 1) counts the rows that are on in the block of rows
    // that ends at row i - 1 and is as long as the lowest set bit of i.
    std::vector<uint32_t> sums_;
    size_t on_count_ = 0;
};
