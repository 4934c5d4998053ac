// The option pass: one row per option, and the scan of a segment that
// applies them.
#pragma once

#include <cstdint>
#include <getopt.h>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "core/records.h"

// The --sleep and --timeout waits in milliseconds: the seconds given, or the
// longest wait a main-loop timeout can take when that many milliseconds do
// not fit.
uint32_t sleep_milliseconds(const char *arg);

// What the driver alone acts on for one segment; a dialog never sees it.
struct SegmentJobs {
    const DialogEntry *dialog = nullptr; // the segment's dialog option, if any
    bool need_dialog = true;             // a segment without a dialog is an error
    bool ignore = false;                 // unknown options from here on are skipped
    const char *save_theme = nullptr;
    const char *load_theme = nullptr;
    bool clear_screen = false; // become the backdrop and its relay
    // What the backdrop shows.
    const char *backtitle = nullptr;
    bool bikeshed = false;
    bool no_lines = false;
};

// Everything the command line says about one --and-dialog segment.
struct SegmentConfig {
    DialogConf conf;
    Options opts;
    SegmentJobs jobs;
};

// Fresh values for each segment.
void reset_segment_config(SegmentConfig *config);

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

// What one call of SegmentScan::next found.
struct ScanStep {
    enum class Kind {
        side_job, // job is to be done now; then scan on
        end,      // the segment is read
        error,    // a diagnostic has been written
    };
    Kind kind;
    SideJob job = {};
};

// Where an option's value goes. A plain option names a field of the record
// that reads it: a text field takes the argument, a flag its value. The few
// with more to do (numbers, checks, side jobs) name a function, which
// returns a step that ends the scan's run, or nothing to go on.
template <class Record> struct Flag {
    bool Record::*field;
    bool value = true;
    bool operator==(const Flag &) const = default;
};
// Spelled out for compilers that do not deduce an aggregate's arguments.
template <class Record> Flag(bool Record::*) -> Flag<Record>;
template <class Record> Flag(bool Record::*, bool) -> Flag<Record>;
using OptionHandler = std::optional<ScanStep> (*)(SegmentConfig &config, const char *arg);
// Listed by --help but not accepted: the scan takes it for an unknown option.
struct HelpOnly {
    bool operator==(const HelpOnly &) const = default;
};
using OptionEffect =
    std::variant<const char * DialogConf::*, const char * Options::*, const char * SegmentJobs::*,
                 Flag<DialogConf>, Flag<Options>, Flag<SegmentJobs>, OptionHandler, HelpOnly>;

// One option. Rows with the same effect are synonyms: a prefix shared only
// by them is not ambiguous.
struct OptionRow {
    const char *name;  // without the leading "--"
    const char *value; // the argument's name in --help ("<label>"), or null: it takes none
    OptionEffect effect;
    bool in_help = true;
};

// Every option but the dialogs', in the order --help lists them.
std::span<const OptionRow> option_rows();

// The options part of --help: each row it lists, with its argument, wrapped
// into lines of 80 columns, ending in a full stop without a newline.
std::string option_help();

// The long-option table of getopt_long: the dialogs' options (from their
// table), then every row that is accepted.
class OptionParser {
  public:
    explicit OptionParser(std::span<const DialogEntry> dialogs);

    // Every long option accepted, the dialogs' included, without the
    // table's terminator.
    std::span<const struct option> options() const { return {table_.data(), table_.size() - 1}; }

  private:
    friend class SegmentScan;
    std::optional<ScanStep> apply_option(SegmentConfig &config, int code, const char *arg) const;

    std::span<const DialogEntry> dialogs_;
    std::vector<struct option> table_;
};

// The scan of one segment, the first n elements of argv (element 0 names the
// program). It applies each option to config and gathers the other
// arguments, in their order, at argv[1] onwards: they need no memory of
// their own, however many items a list has, and no element is read twice.
// getopt_long keeps its place in globals, so one segment is scanned at a
// time; making a scan starts getopt_long afresh.
class SegmentScan {
  public:
    SegmentScan(const OptionParser &parser, int n, char **argv);

    // Scans on until an option asks for a side job, the segment ends or an
    // option is wrong.
    ScanStep next(SegmentConfig &config);

    // The positional arguments gathered so far.
    std::span<const char *const> positional() const {
        return {argv_ + 1, static_cast<size_t>(positional_)};
    }

  private:
    const OptionParser &parser_;
    int n_;
    char **argv_;
    int positional_ = 0;
};
