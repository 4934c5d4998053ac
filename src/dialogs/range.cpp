// Rangebox: a slider over the whole numbers from <min> to <max>; the answer
// is the chosen number.
#include "dialogs/range.h"

#include <cstdio>
#include <string>

#include "core/diagnostics.h"
#include "core/i18n.h"
#include "core/numbers.h"
#include "frame/buttons.h"
#include "frame/dialog_window.h"
#include "frame/help.h"
#include "frame/window.h"
#include "frame/writer.h"

namespace {

int range_number(const char *text) {
    return leading_int32(text);
}

// GTK cannot make a scale whose bounds are equal; such a range shows its one
// value on a slider that cannot be moved.
GtkWidget *range_slider_new(const RangeArgs &range) {
    if (range.min < range.max) {
        GtkWidget *scale =
            gtk_scale_new_with_range(GTK_ORIENTATION_HORIZONTAL, range.min, range.max, 1.0);
        gtk_range_set_value(GTK_RANGE(scale), range.init);
        return scale;
    }
    GtkAdjustment *single = gtk_adjustment_new(range.min, range.min, range.max, 1.0, 0.0, 0.0);
    GtkWidget *scale = gtk_scale_new(GTK_ORIENTATION_HORIZONTAL, single);
    gtk_scale_set_digits(GTK_SCALE(scale), 0);
    gtk_widget_set_sensitive(scale, FALSE);
    return scale;
}

} // namespace

bool range_args_count_ok(int argc) {
    return argc == 2 || argc == 3;
}

RangeArgs parse_range_args(std::span<const char *const> args) {
    RangeArgs range{};
    range.min = range_number(args[0]);
    range.max = range_number(args[1]);
    range.init = args.size() == 3 ? range_number(args[2]) : range.min;
    return range;
}

int range_answer(double value) {
    return static_cast<int>(value);
}

DialogResult dialog_rangebox(const DialogRequest &request) {
    if (!range_args_count_ok(static_cast<int>(request.args.size())))
        return unexpected_args(request);
    RangeArgs range = parse_range_args(request.args);
    if (range.min > range.max) {
        puts(console_text(_("Error: min > max")));
        return RESULT_ERROR;
    }

    DialogWindow dialog(request, help_on_f1(request.conf));
    GtkWidget *slider = range_slider_new(range);
    dialog.label_input(slider);
    gtk_widget_show(slider);
    gtk_box_pack_start(GTK_BOX(dialog.content()), slider, FALSE, TRUE, 4);
    add_standard_buttons(dialog.dialog(), &request.conf);
    return run_dialog(dialog, {[&] {
                          int answer = range_answer(gtk_range_get_value(GTK_RANGE(slider)));
                          return write_all(request.opts.output_fd, std::to_string(answer) + '\n');
                      }});
}
