// The option pass: the long-option table and the effect of each option.
#pragma once

#include <cstdint>
#include <getopt.h>
#include <optional>
#include <span>
#include <vector>

#include "core/records.h"

// The --sleep wait in milliseconds: the seconds given, or the longest wait a
// main-loop timeout can take when that many milliseconds do not fit.
uint32_t sleep_milliseconds(const char *arg);

// A job that an option asks for besides configuring the dialog. The driver
// does it the moment the scan reaches the option, so that its output keeps
// its place among the scan's own diagnostics.
struct SideJob {
    enum class Kind {
        print_maxsize, // "MaxSize: ..." on output_fd
        print_version, // the version line on output_fd
        set_theme,     // arg names the GTK theme to use
        set_exit_code, // arg is the exit code for result
    };
    Kind kind;
    const char *arg = nullptr;
    int output_fd = -1;
    DialogResult result = RESULT_OK;
};

// What one call of OptionParser::scan found.
struct ScanStep {
    enum class Kind {
        side_job, // job is to be done now; then scan on
        end,      // the segment is read
        error,    // a diagnostic has been written
    };
    Kind kind;
    SideJob job = {};
};

class OptionParser {
  public:
    // The dialogs' options come from their table; their codes are their
    // index in it.
    explicit OptionParser(std::span<const DialogEntry> dialogs);

    // Runs getopt_long over the first n elements of argv, from where the
    // last call stopped (set optind to 1 and positional to 0 for a new
    // segment): applies each option to config and gathers the other
    // arguments, in their order, at argv[1] onwards, counting them in
    // positional, until an option asks for a side job or the segment ends.
    // The arguments gathered so need no memory of their own, however many
    // items a list has; the scan never reads an element twice.
    ScanStep scan(SegmentConfig &config, int n, char **argv, int &positional) const;

    // Every long option accepted, the dialogs' included, without the
    // table's terminator.
    std::span<const struct option> options() const { return {table_.data(), table_.size() - 1}; }

  private:
    std::optional<ScanStep> apply_option(SegmentConfig &config, int code, const char *arg) const;

    std::span<const DialogEntry> dialogs_;
    std::vector<struct option> table_;
};
