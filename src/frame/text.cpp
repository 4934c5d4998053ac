#include "frame/text.h"

#include "core/locale_text.h"

GCharPtr valid_utf8(const char *text) {
    if (text == nullptr)
        return nullptr;
    return GCharPtr(g_utf8_make_valid(text, -1));
}

GCharPtr display_text(const char *bytes) {
    const char *charset = converted_charset();
    if (bytes == nullptr || charset == nullptr)
        return valid_utf8(bytes);
    // Checked again: the system may lack the conversion.
    return valid_utf8(charset_to_utf8(bytes, charset).c_str());
}

bool displayed_as_is(const char *bytes) {
    if (converted_charset() == nullptr)
        return g_utf8_validate(bytes, -1, nullptr);
    // The character sets of locales keep ASCII as it is.
    for (const char *p = bytes; *p != '\0'; ++p)
        if (static_cast<unsigned char>(*p) >= 0x80)
            return false;
    return true;
}

std::string answer_text(const char *utf8) {
    const char *charset = converted_charset();
    return charset == nullptr ? utf8 : utf8_to_charset(utf8, charset);
}

int text_line_height(GtkWidget *widget) {
    GObjectPtr<PangoLayout> layout(gtk_widget_create_pango_layout(widget, "X"));
    int height = 0;
    pango_layout_get_pixel_size(layout.get(), nullptr, &height);
    return height;
}
