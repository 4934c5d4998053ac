// The editbox's text: a file's bytes as the editor shows them, and whether
// the editor may be trusted with them. No widgets.
#pragma once

#include <string>
#include <string_view>

// Why a file's bytes are shown read-only rather than for editing.
enum class NotEditable {
    no,       // the shown text, encoded again, is the bytes
    nul_byte, // a text buffer cannot hold a NUL byte
    not_text, // bytes that are not text in the character set
};

struct EditableText {
    // UTF-8, as GTK takes it. When the file is not editable, its text with
    // each byte that cannot be shown replaced by U+FFFD. Empty when the bytes
    // are that text already (shows_bytes): a large file is not held twice.
    std::string shown;
    bool shows_bytes;
    NotEditable not_editable;
};

// bytes, in charset (UTF-8 when null), as the editor shows them. The file
// is editable only when encoding the shown text back into charset gives
// exactly bytes, so that an unedited answer can never differ from the file.
EditableText editable_text(std::string_view bytes, const char *charset);

// Where the piece of UTF-8 text that starts at from and is at most most
// bytes long ends, for a text handed to GTK in pieces: after its last
// newline, else at the last character boundary that does not part a CR
// from its LF (GTK would take them for two line ends). At least one
// character, when any is left.
size_t text_piece_end(std::string_view text, size_t from, size_t most);
