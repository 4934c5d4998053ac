// Calendar and datebox: the user picks a date, in a calendar or in a day,
// month and year field, and the answer is that date through strftime.
#include <cerrno>
#include <cstring>
#include <ctime>
#include <string>

#include "core/diagnostics.h"
#include "core/i18n.h"
#include "dialogs/date_rules.h"
#include "frame/accessible.h"
#include "frame/buttons.h"
#include "frame/dialog_window.h"
#include "frame/gobject_ptr.h"
#include "frame/help.h"
#include "frame/popup.h"
#include "frame/writer.h"

namespace {

bool date_args_count_ok(int argc) {
    return argc == 0 || argc == 3;
}

// format null is the calendar's "%d/%m/%Y".
int write_date(const Options *opts, const char *format, int day, int month_index, int year) {
    return write_all(opts->output_fd, date_answer_line(format, day, month_index, year));
}

// The datebox's year can start at 0 or be typed as 0, but never stays
// there after a change: there was no year 0.
void on_year_value_changed(GtkSpinButton *spin, gpointer) {
    if (gtk_spin_button_get_value_as_int(spin) == 0)
        gtk_spin_button_set_value(spin, 1);
}

// A spin button over whole numbers; the value is taken as the unsigned
// number the command line gave and clamped into the range by GTK.
GtkWidget *number_spin_new(double min, double max, uint32_t value, const DialogConf *conf) {
    GtkWidget *spin = gtk_spin_button_new_with_range(min, max, 1);
    gtk_spin_button_set_numeric(GTK_SPIN_BUTTON(spin), TRUE);
    gtk_spin_button_set_value(GTK_SPIN_BUTTON(spin), value);
    gtk_entry_set_activates_default(GTK_ENTRY(spin), conf->enter_activates_default);
    return spin;
}

enum { MONTH_INDEX_COLUMN, MONTH_NAME_COLUMN };

// The twelve months by the locale's names; month_index outside 0 to 11
// leaves none chosen.
GtkWidget *month_combo_new(int month_index) {
    GObjectPtr<GtkListStore> months(gtk_list_store_new(2, G_TYPE_LONG, G_TYPE_STRING));
    for (long index = 0; index < 12; ++index) {
        std::string name = month_name(static_cast<int>(index));
        gtk_list_store_insert_with_values(months.get(), nullptr, -1, MONTH_INDEX_COLUMN, index,
                                          MONTH_NAME_COLUMN, name.c_str(), -1);
    }
    GtkWidget *combo = gtk_combo_box_new_with_model(GTK_TREE_MODEL(months.get()));
    GtkCellRenderer *cell = gtk_cell_renderer_text_new();
    gtk_cell_layout_pack_start(GTK_CELL_LAYOUT(combo), cell, TRUE);
    gtk_cell_layout_set_attributes(GTK_CELL_LAYOUT(combo), cell, "text", MONTH_NAME_COLUMN,
                                   nullptr);
    gtk_combo_box_set_active(GTK_COMBO_BOX(combo),
                             month_index >= 0 && month_index <= 11 ? month_index : -1);
    return combo;
}

// A text label beside a field; it does not grow with the window.
GtkWidget *pack_label(GtkWidget *row, const char *text) {
    GtkWidget *label = gtk_label_new(text);
    gtk_box_pack_start(GTK_BOX(row), label, FALSE, TRUE, 0);
    return label;
}

void pack_field(GtkWidget *row, GtkWidget *field) {
    gtk_box_pack_start(GTK_BOX(row), field, TRUE, TRUE, 0);
}

// The date the datebox starts on when the command line gives none: today,
// or a date of -1s that the fields clamp or leave empty when the clock has
// no time at all. False (errno set) when the time has no local date.
bool read_today(DateArgs *today) {
    time_t now = time(nullptr);
    if (now == static_cast<time_t>(-1)) {
        *today = {UINT32_MAX, 0, UINT32_MAX}; // month 0 is index -1
        return true;
    }
    struct tm local;
    if (localtime_r(&now, &local) == nullptr)
        return false;
    *today = {static_cast<uint32_t>(local.tm_mday), static_cast<uint32_t>(local.tm_mon + 1),
              static_cast<uint32_t>(local.tm_year + 1900)};
    return true;
}

} // namespace

DialogResult dialog_calendar(const DialogRequest &request) {
    if (!date_args_count_ok(request.args.size()))
        return unexpected_args(request);

    DialogWindow dialog(request, help_on_f1(request.conf));
    GtkWidget *calendar = gtk_calendar_new();
    dialog.label_input(calendar);
    if (request.args.size() == 3) {
        DateArgs date = parse_date_args(request.args.data());
        if (calendar_accepts(date)) {
            gtk_calendar_select_day(GTK_CALENDAR(calendar), calendar_start_day(date));
            gtk_calendar_select_month(GTK_CALENDAR(calendar), month_index(date.month), date.year);
        }
    }
    if (request.conf.enter_activates_default)
        g_signal_connect_swapped(calendar, "day-selected-double-click",
                                 G_CALLBACK(gtk_window_activate_default), dialog.widget());
    gtk_widget_show(calendar);
    gtk_box_pack_start(GTK_BOX(dialog.content()), calendar, TRUE, TRUE, 4);
    add_standard_buttons(dialog.dialog(), &request.conf);

    return run_dialog(dialog, {[&] {
                          guint year, month, day;
                          gtk_calendar_get_date(GTK_CALENDAR(calendar), &year, &month, &day);
                          return write_date(&request.opts, request.opts.date_format,
                                            static_cast<int>(day), static_cast<int>(month),
                                            static_cast<int>(year));
                      }});
}

DialogResult dialog_datebox(const DialogRequest &request) {
    if (!date_args_count_ok(request.args.size()))
        return unexpected_args(request);
    DateArgs start;
    if (request.args.size() == 3) {
        start = parse_date_args(request.args.data());
    } else if (!read_today(&start)) {
        show_error_popup(nullptr, &request.conf, g_strerror(errno));
        return RESULT_ERROR;
    }

    DialogWindow dialog(request, help_on_f1(request.conf));
    GtkWidget *day = number_spin_new(1, 31, start.day, &request.conf);
    GtkWidget *month = month_combo_new(month_index(start.month));
    GtkWidget *year = number_spin_new(-9999, 9999, start.year, &request.conf);
    g_signal_connect(year, "value-changed", G_CALLBACK(on_year_value_changed), nullptr);
    set_accessible_name(day, _("Day"));
    set_accessible_name(year, _("Year"));
    GtkWidget *row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 4);
    for (DateField field : datebox_fields(request.opts.datebox_order)) {
        switch (field) {
        case DateField::day:
            // TRANSLATORS: the labels before the day, month and year fields; the
            // space after the colon keeps them apart from the field.
            pack_label(row, _("Day: "));
            pack_field(row, day);
            break;
        case DateField::month:
            // The drop-down's own name is the month it shows.
            relate_label(pack_label(row, _("Month: ")), month);
            pack_field(row, month);
            break;
        case DateField::year:
            pack_label(row, _("Year: "));
            pack_field(row, year);
            break;
        }
    }
    gtk_widget_show_all(row);
    gtk_container_add(GTK_CONTAINER(dialog.content()), row);
    add_standard_buttons(dialog.dialog(), &request.conf);

    // The answer's order follows the fields' unless the script asks for a
    // format of its own.
    const char *format = request.opts.date_format != nullptr
                             ? request.opts.date_format
                             : datebox_answer_format(request.opts.datebox_order);
    return run_dialog(dialog, {[&] {
                          return write_date(
                              &request.opts, format,
                              gtk_spin_button_get_value_as_int(GTK_SPIN_BUTTON(day)),
                              gtk_combo_box_get_active(GTK_COMBO_BOX(month)),
                              gtk_spin_button_get_value_as_int(GTK_SPIN_BUTTON(year)));
                      }});
}
