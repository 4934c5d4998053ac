// Forms: form, passwordform and mixedform. A column of labelled fields laid
// out in argument order (the coordinates on the command line are accepted
// and ignored); the answer is every field's text, one line each.
#include "dialogs/form.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/diagnostics.h"
#include "frame/accessible.h"
#include "frame/buttons.h"
#include "frame/dialog_window.h"
#include "frame/entry_field.h"
#include "frame/text.h"
#include "frame/window.h"

namespace {

// Field group members, by position in the group.
enum FieldMember {
    MEMBER_LABEL = 0,
    MEMBER_INIT = 3,
    MEMBER_FIELDLEN = 6,
    MEMBER_MAXLETTERS = 7,
    MEMBER_FLAGS = 8,
};

// Without this the magnitude of LONG_MIN would overflow.
long magnitude(long value) {
    return value == LONG_MIN ? LONG_MAX : std::labs(value);
}

using FieldList = std::vector<EntryField>;

// One line per field, in group order.
void print_field_text(const FieldList &fields, const Options *opts) {
    for (const EntryField &field : fields)
        print_entry_text(field, opts);
}

// Text inside a label made wider than its text follows the label's
// alignment.
float label_xalign(GtkAlign align) {
    if (align == GTK_ALIGN_START)
        return 0.0F;
    if (align == GTK_ALIGN_END)
        return 1.0F;
    return 0.5F;
}

// A label too long for any window is cut short with an ellipsis.
GtkWidget *field_label_new(const char *text, double unit, const Options *opts) {
    GCharPtr shown = valid_utf8(text);
    GtkWidget *label = gtk_label_new(shown.get());
    gtk_widget_set_halign(label, opts->label_halign);
    gtk_label_set_xalign(GTK_LABEL(label), label_xalign(opts->label_halign));
    gtk_label_set_ellipsize(GTK_LABEL(label), PANGO_ELLIPSIZE_END);
    gtk_label_set_max_width_chars(GTK_LABEL(label), widest_field_chars(unit));
    return label;
}

// An entry for one field, before the mixedform's flags are applied.
GtkWidget *field_entry_new(GtkEntryBuffer *buffer, const FieldLayout &layout, double unit,
                           const DialogConf *conf) {
    GtkWidget *entry = entry_new(buffer, conf);
    if (conf->secure_char != 0)
        gtk_entry_set_visibility(GTK_ENTRY(entry), FALSE);
    if (layout.width_chars > 0)
        gtk_entry_set_width_chars(GTK_ENTRY(entry), entry_width_chars(layout.width_chars, unit));
    gtk_editable_set_editable(GTK_EDITABLE(entry), layout.editable);
    limit_entry_length(GTK_ENTRY(entry), layout.max_length);
    return entry;
}

// Rows of label and entry, the labels in one column and the entries lined
// up beside them. GTK's cost of adding a widget grows with the number of
// its siblings, and a size group's with the number of its widgets, so
// thousands of fields in one box or one size group take quadratic time:
// the rows go into boxes of ROWS_PER_GROUP rows instead, stacked in a box,
// and the labels are given the width of the widest once all are in place.
// The rows scroll once they are taller than the screen, so that every
// field stays within reach and the window within what X11 can map.
class FieldRows {
  public:
    explicit FieldRows(DialogWindow &dialog) {
        GtkWidget *content = dialog.content();
        gtk_box_set_spacing(GTK_BOX(content), SPACING);
        GdkRectangle area;
        primary_workarea(gdk_screen_get_default(), &area);
        GtkWidget *scroller = gtk_scrolled_window_new(nullptr, nullptr);
        gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroller), GTK_POLICY_NEVER,
                                       GTK_POLICY_AUTOMATIC);
        gtk_scrolled_window_set_propagate_natural_height(GTK_SCROLLED_WINDOW(scroller), TRUE);
        gtk_scrolled_window_set_max_content_height(GTK_SCROLLED_WINDOW(scroller),
                                                   std::max(area.height, 1));
        groups_ = gtk_box_new(GTK_ORIENTATION_VERTICAL, SPACING);
        gtk_container_add(GTK_CONTAINER(scroller), groups_);
        gtk_container_add(GTK_CONTAINER(content), scroller);
    }

    // A row of label and entry; entry is null for a row with a label only.
    // An expanding entry takes the rest of its row.
    void add(GtkWidget *label, GtkWidget *entry, bool expand) {
        if (rows_ % ROWS_PER_GROUP == 0) {
            group_ = gtk_box_new(GTK_ORIENTATION_VERTICAL, SPACING);
            gtk_container_add(GTK_CONTAINER(groups_), group_);
        }
        ++rows_;
        GtkWidget *row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, SPACING);
        gtk_container_add(GTK_CONTAINER(group_), row);
        gtk_box_pack_start(GTK_BOX(row), label, FALSE, TRUE, 0);
        labels_.push_back(label);
        if (entry != nullptr)
            gtk_box_pack_start(GTK_BOX(row), entry, expand, TRUE, 0);
    }

    // Makes every label as wide as the widest (hidden widgets measure
    // nothing: call it once they are shown).
    void align_labels() {
        int widest = 0;
        for (GtkWidget *label : labels_) {
            int natural = 0;
            gtk_widget_get_preferred_width(label, nullptr, &natural);
            widest = std::max(widest, natural);
        }
        for (GtkWidget *label : labels_)
            gtk_widget_set_size_request(label, widest, -1);
    }

  private:
    static constexpr int ROWS_PER_GROUP = 64;
    static constexpr int SPACING = 4;

    GtkWidget *groups_;
    GtkWidget *group_ = nullptr;
    int rows_ = 0;
    std::vector<GtkWidget *> labels_;
};

} // namespace

FieldLayout field_layout(long fieldlen, long maxletters) {
    FieldLayout layout{};
    layout.width_chars = magnitude(fieldlen);
    layout.editable = fieldlen >= 0;
    layout.max_length = maxletters != 0 ? maxletters : magnitude(fieldlen);
    layout.expand = layout.max_length == 0;
    return layout;
}

bool form_args_valid(int argc, char **args, int group_size) {
    return argc >= 1 && form_number(args[0]) >= 0 && (argc - 1) % group_size == 0;
}

long form_number(const char *text) {
    return strtol(text, nullptr, 10);
}

// The form and the mixedform differ only in the mixedform's flag word; a
// form field has no flags.
static DialogResult run_form(DialogConf *conf, char *text, int rows, int cols, int argc,
                             char **args, Options *opts, int group_size) {
    if (!form_args_valid(argc, args, group_size))
        return unexpected_args(opts, argc, args);
    DialogWindow dialog(conf, opts, text, rows, cols);
    FieldRows rows_of_fields(dialog);
    const double unit = char_unit_pixels(gdk_screen_get_default());

    FieldList fields;
    for (int first = 1; first < argc; first += group_size) {
        char **group = args + first;
        GtkWidget *label = field_label_new(group[MEMBER_LABEL], unit, opts);
        fields.push_back(entry_field_new(group[MEMBER_INIT]));

        // A read-only field whose text repeats its label is shown as the
        // label alone; its text is still answered.
        long flags = group_size == MIXEDFORM_GROUP_SIZE ? form_number(group[MEMBER_FLAGS]) : 0;
        if ((flags & FIELD_READ_ONLY) && strcmp(group[MEMBER_LABEL], group[MEMBER_INIT]) == 0) {
            rows_of_fields.add(label, nullptr, false);
            continue;
        }
        FieldLayout layout = field_layout(form_number(group[MEMBER_FIELDLEN]),
                                          form_number(group[MEMBER_MAXLETTERS]));
        GtkWidget *entry = field_entry_new(fields.back().buffer.get(), layout, unit, conf);
        if (flags & FIELD_HIDDEN)
            gtk_entry_set_visibility(GTK_ENTRY(entry), FALSE);
        if (flags & FIELD_READ_ONLY)
            gtk_editable_set_editable(GTK_EDITABLE(entry), FALSE);
        relate_label(label, entry);
        rows_of_fields.add(label, entry, layout.expand);
    }
    gtk_widget_show_all(dialog.content());
    rows_of_fields.align_labels();
    add_standard_buttons(dialog.dialog(), conf);
    return run_dialog(dialog, {[&] { print_field_text(fields, opts); }});
}

DialogResult dialog_form(DialogConf *conf, char *text, int rows, int cols, int argc, char **args,
                         Options *opts) {
    return run_form(conf, text, rows, cols, argc, args, opts, FORM_GROUP_SIZE);
}

DialogResult dialog_passwordform(DialogConf *conf, char *text, int rows, int cols, int argc,
                                 char **args, Options *opts) {
    DialogConf hidden = *conf;
    hidden.secure_char = '*';
    return dialog_form(&hidden, text, rows, cols, argc, args, opts);
}

DialogResult dialog_mixedform(DialogConf *conf, char *text, int rows, int cols, int argc,
                              char **args, Options *opts) {
    return run_form(conf, text, rows, cols, argc, args, opts, MIXEDFORM_GROUP_SIZE);
}
