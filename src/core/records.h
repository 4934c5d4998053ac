// The configuration records of one dialog, the request a dialog is built
// from, and the entry of a dialog in the program's table of dialogs.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "core/results.h"

// Presentation and buttons. Strings are borrowed from the argument vector.
struct DialogConf {
    const char *subtitle;
    bool print_size; // the window's size is written after the answer
    bool shadow;
    uint32_t sleep_ms;
    uint32_t timeout_ms; // a dialog waiting for the user ends by itself after it; 0: never
    const char *title;
    int begin_y;
    int begin_x;
    bool deletable;
    const char *help_file;
    const char *help_message;
    bool no_descriptions;
    bool no_names;
    bool insecure; // typed text shows as masked characters (always in a passwordform)
    bool enter_activates_default;
    bool no_ok;
    const char *ok_label;
    bool extra_button;
    const char *extra_label;
    bool no_cancel;
    const char *cancel_label;
    bool default_no;
    const char *default_button; // a button's name (--default-button), or null
    // The labels of --left1-button to --right3-button; null: no such button.
    const char *custom_labels[CUSTOM_BUTTONS];
    bool help_button;
    const char *help_label;
};

struct DialogEntry;

// The order of the datebox's day, month and year, on screen and in its
// answer.
enum class DateOrder { day_month_year, month_day_year, year_month_day };

// Where tabs stop in viewed text unless --tab-len says otherwise, and the
// widest stop it may ask for: wider than any dialog.
constexpr int DEFAULT_TAB_LEN = 8;
constexpr int MAX_TAB_LEN = 256;

// Output, lists and text handling.
struct Options {
    bool quoted;
    const char *default_item;
    bool item_depth;
    const char *output_separator;
    bool separate_output;
    bool item_prefix;
    bool single_quoted;
    bool item_bottom_desc;
    uint32_t max_input;
    const char *date_format;
    DateOrder datebox_order;
    const char *time_format;
    int output_fd;
    bool cr_wrap;
    bool tab_escape;
    bool text_unchanged;
    bool no_kill; // a following window in the background outlives the program
    int tab_len;  // tabs stop at multiples of this many columns in viewed text
};

// One dialog as its segment of the command line asks for it, read and
// checked. A dialog is built from it and changes nothing in it.
struct DialogRequest {
    const DialogEntry *dialog; // the dialog asked for
    DialogConf conf;
    Options opts;
    std::string text; // preprocessed, unless the dialog takes it verbatim
    int rows;
    int cols;
    std::span<const char *const> args; // the dialog's own, after <cols>
    // The program's name and the segment's arguments as the script wrote
    // them (without the separator that ends it), for a dialog that runs its
    // segment again in a process of its own.
    std::span<const char *const> command_line;
};

// The one signature of every dialog.
using DialogBuilder = DialogResult (*)(const DialogRequest &request);

// A dialog the program knows: its option as written on the command line
// ("--msgbox"), its line in the --help text, and its builder.
struct DialogEntry {
    const char *option;
    const char *usage;
    DialogBuilder builder;
    // The textbox's text is a file path, taken exactly as typed.
    bool text_is_path = false;
    // The text may be left out ("[<text>] <rows> <cols>"): the count of
    // arguments tells. args_before_size of the dialog's own arguments stand
    // between the text and <rows> (the prgbox's command); the request has
    // them first in its args.
    bool optional_text = false;
    int args_before_size = 0;
};

// Fresh values for each --and-dialog segment.
void reset_dialog_conf(DialogConf *conf);
void reset_options(Options *opts);
