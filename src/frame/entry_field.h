// Pieces shared by every dialog with text fields.
#pragma once

#include <gtk/gtk.h>
#include <string>

#include "core/records.h"
#include "frame/gobject_ptr.h"

// Above this GTK refuses a maximum length.
constexpr int ENTRY_MAX_LENGTH_LIMIT = GTK_ENTRY_BUFFER_MAX_SIZE;

// Widest field, in pixels, that keeps the window within what X11 can map.
constexpr double FIELD_MAX_WIDTH_PIXELS = 16000;

// The maximum length to give GTK for a field that already holds held
// characters: 0 (no limit) for 0 or less; else at least held, since GTK cuts
// the text to the maximum length, and at most ENTRY_MAX_LENGTH_LIMIT.
int entry_max_length(long requested, long held);

// Limits what the user can type into entry to requested characters (0 or
// less: no limit). Its text as it stands is kept whole, even when longer.
void limit_entry_length(GtkEntry *entry, long requested);

// How many characters of the given unit fit in FIELD_MAX_WIDTH_PIXELS (at
// least one).
int widest_field_chars(double unit);

// The width in characters to give GTK: -1 (natural width) for 0 or less,
// else at most widest_field_chars.
int entry_width_chars(long requested, double unit);

// A field's buffer and the initial text it was made from (borrowed).
struct EntryField {
    GObjectPtr<GtkEntryBuffer> buffer;
    const char *initial;
};

// A field whose buffer holds initial (may be null: empty) as GTK shows it
// (display_text).
EntryField entry_field_new(const char *initial);

// An entry showing buffer; Enter activates the default button when so
// configured.
GtkWidget *entry_new(GtkEntryBuffer *buffer, const DialogConf *conf);

// The field's text and a newline, for the answer, in the locale's character
// set. A field left as it was shown answers its initial text byte for byte,
// even where bytes had to be replaced for display.
std::string entry_answer_line(const EntryField &field);

// text, typed in a field that showed initial (may be null: empty), as the
// answer gives it: the rule of entry_answer_line, without the newline.
std::string field_answer(const char *text, const char *initial);
