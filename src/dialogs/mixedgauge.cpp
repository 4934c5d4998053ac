// Mixedgauge: a fixed status report, one labelled bar per sub-task, then the
// text and the main bar. Nothing changes while it is up.
#include <gtk/gtk.h>

#include "core/diagnostics.h"
#include "core/records.h"
#include "dialogs/mixedgauge_bar.h"
#include "frame/accessible.h"
#include "frame/dialog_text.h"
#include "frame/dialog_window.h"
#include "frame/gobject_ptr.h"
#include "frame/help.h"
#include "frame/text.h"

namespace {

GtkWidget *mixedgauge_bar_new(int value) {
    MixedgaugeBar shown = mixedgauge_bar(value);
    GtkWidget *bar = gtk_progress_bar_new();
    gtk_progress_bar_set_show_text(GTK_PROGRESS_BAR(bar), TRUE);
    if (shown.pulse)
        gtk_progress_bar_pulse(GTK_PROGRESS_BAR(bar));
    else
        gtk_progress_bar_set_fraction(GTK_PROGRESS_BAR(bar), shown.fraction);
    set_progress_text(bar, shown.text.c_str());
    return bar;
}

GtkWidget *task_row_new(const char *name, int value) {
    GtkWidget *row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 4);
    GCharPtr shown = display_text(name);
    GtkWidget *label = gtk_label_new(shown.get());
    gtk_label_set_single_line_mode(GTK_LABEL(label), TRUE);
    gtk_widget_set_halign(label, GTK_ALIGN_START);
    gtk_box_pack_start(GTK_BOX(row), label, TRUE, TRUE, 0);
    GtkWidget *bar = mixedgauge_bar_new(value);
    relate_label(label, bar);
    gtk_box_pack_start(GTK_BOX(row), bar, FALSE, TRUE, 0);
    gtk_widget_show_all(row);
    return row;
}

} // namespace

DialogResult dialog_mixedgauge(const DialogRequest &request) {
    std::span<const char *const> args = request.args;
    if (!mixedgauge_args_count_ok(static_cast<int>(args.size())))
        return unexpected_args(request, 1);

    DialogWindow dialog(request, help_on_f1(request.conf), WindowStyle::without_text);
    GtkWidget *content = dialog.content();
    for (size_t i = 1; i + 1 < args.size(); i += 2)
        gtk_container_add(GTK_CONTAINER(content),
                          task_row_new(args[i], mixedgauge_value(args[i + 1])));
    GtkWidget *label = text_label_new(display_text(request.text.c_str()).get(), request.rows);
    gtk_widget_show(label);
    gtk_box_pack_start(GTK_BOX(content), label, FALSE, TRUE, 4);
    GtkWidget *main_bar = mixedgauge_bar_new(args.empty() ? 0 : mixedgauge_value(args[0]));
    relate_label(label, main_bar);
    gtk_widget_show(main_bar);
    gtk_box_pack_start(GTK_BOX(content), main_bar, FALSE, TRUE, 0);
    return run_dialog(dialog, {});
}
