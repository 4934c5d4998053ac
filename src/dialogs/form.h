// Rules of the form dialogs that need no widgets.
#pragma once

#include <span>

// Extra arguments per field: label, its position, initial text, field
// position, field length and maximum letters; the mixedform adds a flag word.
constexpr int FORM_GROUP_SIZE = 8;
constexpr int MIXEDFORM_GROUP_SIZE = 9;

// Mixedform flag word bits.
constexpr long FIELD_HIDDEN = 1;
constexpr long FIELD_READ_ONLY = 2;

// How one field's entry is set up from its fieldlen and maxletters.
struct FieldLayout {
    long width_chars; // 0: GTK's natural width
    bool editable;
    long max_length; // 0 or less: no limit
    bool expand;     // fills the rest of its row
};

FieldLayout field_layout(long fieldlen, long maxletters);

// The extra arguments are formrows (not negative) and whole field groups.
bool form_args_valid(std::span<const char *const> args, int group_size);

// Numbers in the field groups: decimal, text without digits reads as 0.
long form_number(const char *text);
