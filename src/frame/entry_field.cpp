#include "frame/entry_field.h"

#include <algorithm>
#include <cmath>

#include "frame/text.h"

int entry_max_length(long requested) {
    if (requested <= 0)
        return 0;
    return static_cast<int>(std::min<long>(requested, ENTRY_MAX_LENGTH_LIMIT));
}

int widest_field_chars(double unit) {
    return static_cast<int>(std::max(1.0, std::trunc(FIELD_MAX_WIDTH_PIXELS / unit)));
}

int entry_width_chars(long requested, double unit) {
    if (requested <= 0)
        return -1;
    return static_cast<int>(std::min<long>(requested, widest_field_chars(unit)));
}

GObjectPtr<GtkEntryBuffer> entry_buffer_new(const char *text) {
    GCharPtr valid = valid_utf8(text != nullptr ? text : "");
    return GObjectPtr<GtkEntryBuffer>(gtk_entry_buffer_new(valid.get(), -1));
}

GtkWidget *entry_new(GtkEntryBuffer *buffer, const DialogConf *conf) {
    GtkWidget *entry = gtk_entry_new_with_buffer(buffer);
    if (conf->enter_activates_default)
        gtk_entry_set_activates_default(GTK_ENTRY(entry), TRUE);
    return entry;
}

void print_entry_text(GtkEntryBuffer *buffer, const Options *opts) {
    dprintf(opts->output_fd, "%s\n", gtk_entry_buffer_get_text(buffer));
}
