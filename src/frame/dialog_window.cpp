#include "frame/dialog_window.h"

#include "frame/buttons.h"
#include "frame/help.h"
#include "frame/window.h"

DialogWindow::DialogWindow(DialogConf *conf, Options *opts, const char *text, int rows, int cols)
    : window_(dialog_window_new(conf, opts, text, rows, cols)), conf_(conf) {
    connect_help_key(window_, conf);
}

DialogWindow::DialogWindow(GtkWidget *window, const DialogConf *conf)
    : window_(window), conf_(conf) {
    connect_help_key(window_, conf);
}

DialogWindow::~DialogWindow() {
    remove_sources();
    gtk_widget_destroy(window_);
}

void DialogWindow::own_source(GSource *source) {
    // Let go of sources that have ended, so that a dialog which keeps
    // adding short-lived ones does not pile them up.
    std::erase_if(sources_, [](GSource *old) {
        if (!g_source_is_destroyed(old))
            return false;
        g_source_unref(old);
        return true;
    });
    g_source_attach(source, nullptr);
    sources_.push_back(source);
}

void DialogWindow::add_timeout(unsigned interval_ms, GSourceFunc callback, gpointer data) {
    GSource *source = g_timeout_source_new(interval_ms);
    g_source_set_callback(source, callback, data, nullptr);
    own_source(source);
}

void DialogWindow::add_idle(GSourceFunc callback, gpointer data) {
    GSource *source = g_idle_source_new();
    g_source_set_callback(source, callback, data, nullptr);
    own_source(source);
}

void DialogWindow::add_watch(GIOChannel *channel, GIOCondition condition, GIOFunc callback,
                             gpointer data, int priority) {
    GSource *source = g_io_create_watch(channel, condition);
    g_source_set_priority(source, priority);
    g_source_set_callback(source, G_SOURCE_FUNC(callback), data, nullptr);
    own_source(source);
}

// Destroying a source that already ended by itself does nothing; the
// reference kept since it was attached makes that safe.
void DialogWindow::remove_sources() {
    for (GSource *source : sources_) {
        g_source_destroy(source);
        g_source_unref(source);
    }
    sources_.clear();
}

void DialogWindow::end_with(DialogResult result) {
    forced_result_ = result;
    gtk_dialog_response(dialog(), GTK_RESPONSE_NONE);
}

DialogResult DialogWindow::run() {
    int response = gtk_dialog_run(dialog());
    store_dialog_size(window_, conf_);
    gtk_widget_hide(window_);
    remove_sources();
    return forced_result_ ? *forced_result_ : response_to_result(response);
}

DialogResult run_dialog(DialogWindow &dialog, const DialogAnswer &answer) {
    DialogResult result = dialog.run();
    if ((result == RESULT_OK || result == RESULT_EXTRA) && answer.write)
        answer.write();
    else if (result == RESULT_HELP && answer.write_help)
        answer.write_help();
    return result;
}
