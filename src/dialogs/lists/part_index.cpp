#include "dialogs/lists/part_index.h"

#include <bit>

PartIndex::PartIndex(const std::vector<bool> &on) : on_(on), sums_(on.size() + 1, 0) {
    const size_t n = on_.size();
    for (size_t i = 1; i <= n; ++i) {
        sums_[i] += on_[i - 1] ? 1 : 0;
        on_count_ += on_[i - 1] ? 1 : 0;
        const size_t up = i + (i & -i);
        if (up <= n)
            sums_[up] += sums_[i];
    }
}

size_t PartIndex::on_before(size_t row) const {
    size_t total = 0;
    for (size_t i = row; i > 0; i -= i & -i)
        total += sums_[i];
    return total;
}

size_t PartIndex::place(size_t row) const {
    const size_t on = on_before(row);
    return on_[row] ? on : row - on;
}

// Descends the tree from its widest block: a block is skipped while the
// rows it counts (those on, or those off) do not reach place n.
size_t PartIndex::row_at(bool on, size_t n) const {
    if (n >= count(on))
        return size();
    size_t row = 0; // rows passed so far
    size_t left = n;
    for (size_t step = std::bit_floor(size()); step > 0; step >>= 1) {
        const size_t next = row + step;
        if (next > size())
            continue;
        const size_t counted = on ? sums_[next] : step - sums_[next];
        if (counted <= left) {
            row = next;
            left -= counted;
        }
    }
    return row;
}

void PartIndex::set(size_t row, bool on) {
    if (on_[row] == on)
        return;
    on_[row] = on;
    if (on)
        ++on_count_;
    else
        --on_count_;
    for (size_t i = row + 1; i < sums_.size(); i += i & -i) {
        if (on)
            ++sums_[i];
        else
            --sums_[i];
    }
}
