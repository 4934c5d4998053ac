#include "frame/text.h"

GCharPtr valid_utf8(const char *text) {
    if (text == nullptr)
        return nullptr;
    return GCharPtr(g_utf8_make_valid(text, -1));
}

int text_line_height(GtkWidget *widget) {
    GObjectPtr<PangoLayout> layout(gtk_widget_create_pango_layout(widget, "X"));
    int height = 0;
    pango_layout_get_pixel_size(layout.get(), nullptr, &height);
    return height;
}
