// The row chosen for each column of a list is drawn as wide as the widest
// of its rows, whatever their texts, as Pango lays them out in a font.
#include <algorithm>
#include <pango/pangocairo.h>

#include "dialogs/lists/widest_rows.h"
#include "frame/gobject_ptr.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static PangoLayout *layout = [] {
        PangoContext *context = pango_font_map_create_context(pango_cairo_font_map_get_default());
        PangoFontDescription *font = pango_font_description_from_string("Sans 10");
        pango_context_set_font_description(context, font);
        pango_font_description_free(font);
        return pango_layout_new(context);
    }();
    std::vector<std::string> args = split_arguments(data, size, 256);
    // A menu: menurows, then names and descriptions.
    if (args.size() % 2 == 0)
        args.pop_back();
    std::vector<char *> argv = argv_of(args);
    Options opts{};
    reset_options(&opts);
    const ItemArgs items(ListKind::menu, std::span<const char *const>(argv.data(), args.size()),
                         &opts);
    LayoutTextWidths widths(layout);
    const ItemText members[] = {ItemText::name, ItemText::description};
    const auto widest = widest_rows(items, members, widths);
    if (!widest)
        return 0;
    for (size_t m = 0; m < std::size(members); ++m) {
        int drawn = -1;
        for (size_t row = 0; row < items.size(); ++row)
            drawn = std::max(drawn, widths.width(items.text(row, members[m])));
        const std::optional<size_t> chosen = (*widest)[m];
        if (chosen.has_value() != (items.size() > 0))
            __builtin_trap();
        if (chosen && widths.width(items.text(*chosen, members[m])) != drawn)
            __builtin_trap();
    }
    return 0;
}
