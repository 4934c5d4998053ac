// The option pass: the long-option table and the effect of each option.
#pragma once

#include <cstdint>
#include <getopt.h>
#include <span>
#include <vector>

#include "core/records.h"

// The --sleep wait in milliseconds: the seconds given, or the longest wait a
// main-loop timeout can take when that many milliseconds do not fit.
uint32_t sleep_milliseconds(const char *arg);

class OptionParser {
  public:
    // The dialogs' options come from their table; their codes are their
    // index in it.
    explicit OptionParser(std::span<const DialogEntry> dialogs);

    // Runs getopt_long over the first n elements of argv, applies each
    // option to config and appends the other arguments to positional, in
    // their order. Returns 0, or -1 after a diagnostic.
    int parse_segment(SegmentConfig &config, GdkScreen *screen, int n, char **argv,
                      std::vector<char *> &positional);

    // Every long option accepted, the dialogs' included, without the
    // table's terminator.
    std::span<const struct option> options() const { return {table_.data(), table_.size() - 1}; }

  private:
    int apply_option(SegmentConfig &config, GdkScreen *screen, int code, const char *arg);

    std::span<const DialogEntry> dialogs_;
    std::vector<struct option> table_;
};
