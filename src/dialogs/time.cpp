// Timebox: hours, minutes and seconds in three spin buttons; the answer is
// that time of the day the dialog opened, through strftime.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "core/diagnostics.h"
#include "core/i18n.h"
#include "dialogs/date_rules.h"
#include "frame/accessible.h"
#include "frame/buttons.h"
#include "frame/dialog_window.h"
#include "frame/help.h"
#include "frame/popup.h"
#include "frame/writer.h"

namespace {

// Shows the value with two digits: 7 as 07.
gboolean on_time_spin_output(GtkSpinButton *spin, gpointer) {
    char digits[3];
    snprintf(digits, sizeof digits, "%02u",
             static_cast<unsigned>(gtk_spin_button_get_value_as_int(spin)));
    gtk_entry_set_text(GTK_ENTRY(spin), digits);
    return TRUE;
}

// Stepping past either end goes on at the other.
GtkWidget *time_spin_new(double max, uint32_t value, const DialogConf *conf) {
    GtkWidget *spin = gtk_spin_button_new_with_range(0, max, 1);
    gtk_spin_button_set_numeric(GTK_SPIN_BUTTON(spin), TRUE);
    g_signal_connect(spin, "output", G_CALLBACK(on_time_spin_output), nullptr);
    gtk_spin_button_set_value(GTK_SPIN_BUTTON(spin), value);
    gtk_spin_button_set_wrap(GTK_SPIN_BUTTON(spin), TRUE);
    gtk_entry_set_activates_default(GTK_ENTRY(spin), conf->enter_activates_default);
    return spin;
}

int spin_value(GtkWidget *spin) {
    return gtk_spin_button_get_value_as_int(GTK_SPIN_BUTTON(spin));
}

} // namespace

DialogResult dialog_timebox(const DialogRequest &request) {
    // The clock comes first, arguments or not: the answer keeps the date of
    // the moment the dialog opened.
    time_t now = time(nullptr);
    struct tm opened = {};
    if (now == static_cast<time_t>(-1) || localtime_r(&now, &opened) == nullptr) {
        show_error_popup(nullptr, &request.conf, g_strerror(errno));
        return RESULT_ERROR;
    }
    if (request.args.size() != 0 && request.args.size() != 3)
        return unexpected_args(request);
    bool given = request.args.size() == 3;

    DialogWindow dialog(request, help_on_f1(request.conf));
    GtkWidget *hours =
        time_spin_new(23, given ? date_arg_number(request.args[0]) : opened.tm_hour, &request.conf);
    GtkWidget *minutes =
        time_spin_new(59, given ? date_arg_number(request.args[1]) : opened.tm_min, &request.conf);
    GtkWidget *seconds =
        time_spin_new(60, given ? date_arg_number(request.args[2]) : opened.tm_sec, &request.conf);
    set_accessible_name(hours, _("Hours"));
    set_accessible_name(minutes, _("Minutes"));
    set_accessible_name(seconds, _("Seconds"));
    GtkWidget *row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 4);
    // Clocks read hours, minutes, seconds from left to right in every
    // script, right-to-left ones included.
    gtk_widget_set_direction(row, GTK_TEXT_DIR_LTR);
    gtk_box_pack_start(GTK_BOX(row), hours, TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(row), gtk_label_new(":"), FALSE, TRUE, 4);
    gtk_box_pack_start(GTK_BOX(row), minutes, TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(row), gtk_label_new(":"), FALSE, TRUE, 4);
    gtk_box_pack_start(GTK_BOX(row), seconds, TRUE, TRUE, 0);
    gtk_widget_show_all(row);
    gtk_container_add(GTK_CONTAINER(dialog.content()), row);
    add_standard_buttons(dialog.dialog(), &request.conf);

    return run_dialog(dialog, {[&] {
                          return write_all(request.opts.output_fd,
                                           time_answer_line(request.opts.time_format, opened,
                                                            spin_value(hours), spin_value(minutes),
                                                            spin_value(seconds)));
                      }});
}
