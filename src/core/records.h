// The configuration records of one dialog, and the entry of a dialog in the
// program's table of dialogs.
#pragma once

#include <cstdint>
#include <gtk/gtk.h>

#include "core/results.h"

// Presentation and buttons. Strings are borrowed from the argument vector.
struct DialogConf {
    const char *subtitle;
    int *size_height_out;
    int *size_width_out;
    bool no_lines;
    bool shadow;
    uint32_t sleep_ms;
    const char *title;
    int begin_y;
    int begin_x;
    bool deletable;
    const char *help_file;
    const char *help_message;
    bool no_descriptions;
    bool no_names;
    char secure_char;
    bool enter_activates_default;
    bool no_ok;
    const char *ok_label;
    bool extra_button;
    const char *extra_label;
    bool no_cancel;
    const char *cancel_label;
    bool default_no;
    bool help_button;
    const char *help_label;
};

struct Options;
struct DialogEntry;

// The one signature of every dialog. text is a heap copy owned by the
// caller; args points into the process's argument vector.
using DialogBuilder = DialogResult (*)(DialogConf *conf, char *text, int rows, int cols, int argc,
                                       char **args, Options *opts);

// Output, lists, text handling, side jobs and the selected dialog.
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
    const char *time_format;
    int size_height;
    int size_width;
    bool ignore;
    int output_fd;
    bool cr_wrap;
    bool tab_escape;
    bool text_unchanged;
    const char *backtitle;
    bool bikeshed;
    bool clear_screen;
    const char *load_theme;
    const char *save_theme;
    bool need_dialog;
    GtkAlign label_halign;
    GtkWindowPosition window_position;
    const char *dialog_name;
    const DialogEntry *dialog;
};

// Everything the command line says about one --and-dialog segment.
struct SegmentConfig {
    DialogConf conf;
    Options opts;
};

// A dialog the program knows: its option as written on the command line
// ("--msgbox"), its line in the --help text, and its builder.
struct DialogEntry {
    const char *option;
    const char *usage;
    DialogBuilder builder;
    // The textbox's text is a file path, taken exactly as typed.
    bool text_is_path = false;
};

// Fresh values for each --and-dialog segment.
void reset_dialog_conf(DialogConf *conf);
void reset_options(Options *opts);
