#include "frame/entry_field.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "frame/text.h"

int entry_max_length(long requested, long held) {
    if (requested <= 0)
        return 0;
    return static_cast<int>(std::min<long>(std::max(requested, held), ENTRY_MAX_LENGTH_LIMIT));
}

void limit_entry_length(GtkEntry *entry, long requested) {
    int limit = entry_max_length(requested, gtk_entry_get_text_length(entry));
    if (limit > 0)
        gtk_entry_set_max_length(entry, limit);
}

int widest_field_chars(double unit) {
    return static_cast<int>(std::max(1.0, std::trunc(FIELD_MAX_WIDTH_PIXELS / unit)));
}

int entry_width_chars(long requested, double unit) {
    if (requested <= 0)
        return -1;
    return static_cast<int>(std::min<long>(requested, widest_field_chars(unit)));
}

EntryField entry_field_new(const char *initial) {
    GCharPtr valid = display_text(initial != nullptr ? initial : "");
    return EntryField{GObjectPtr<GtkEntryBuffer>(gtk_entry_buffer_new(valid.get(), -1)), initial};
}

GtkWidget *entry_new(GtkEntryBuffer *buffer, const DialogConf *conf) {
    GtkWidget *entry = gtk_entry_new_with_buffer(buffer);
    if (conf->enter_activates_default)
        gtk_entry_set_activates_default(GTK_ENTRY(entry), TRUE);
    return entry;
}

std::string entry_answer_line(const EntryField &field) {
    return field_answer(gtk_entry_buffer_get_text(field.buffer.get()), field.initial) + '\n';
}

std::string field_answer(const char *text, const char *initial) {
    GCharPtr shown_initial = display_text(initial);
    if (shown_initial != nullptr && strcmp(text, shown_initial.get()) == 0)
        return initial;
    return answer_text(text);
}
