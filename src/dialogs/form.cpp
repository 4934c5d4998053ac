// Forms: form, passwordform and mixedform. A column of labelled fields laid
// out in argument order (the coordinates on the command line are accepted
// and ignored); the answer is every field's text, one line each.
#include "dialogs/form.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "core/diagnostics.h"
#include "core/numbers.h"
#include "frame/accessible.h"
#include "frame/buttons.h"
#include "frame/dialog_window.h"
#include "frame/entry_field.h"
#include "frame/gobject_ptr.h"
#include "frame/help.h"
#include "frame/text.h"
#include "frame/window.h"
#include "frame/writer.h"

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
int print_field_text(const FieldList &fields, const Options *opts) {
    std::string answer;
    for (const EntryField &field : fields)
        answer += entry_answer_line(field);
    return write_all(opts->output_fd, answer);
}

// A label too long for any window is cut short with an ellipsis. Its text
// keeps to the start when the label is made wider.
GtkWidget *field_label_new(const char *text, double unit) {
    GCharPtr shown = display_text(text);
    GtkWidget *label = gtk_label_new(shown.get());
    gtk_widget_set_halign(label, GTK_ALIGN_START);
    gtk_label_set_xalign(GTK_LABEL(label), 0.0F);
    gtk_label_set_ellipsize(GTK_LABEL(label), PANGO_ELLIPSIZE_END);
    gtk_label_set_max_width_chars(GTK_LABEL(label), widest_field_chars(unit));
    return label;
}

// An entry for one field, before the mixedform's flags are applied.
GtkWidget *field_entry_new(GtkEntryBuffer *buffer, const FieldLayout &layout, double unit,
                           const DialogConf *conf) {
    GtkWidget *entry = entry_new(buffer, conf);
    if (conf->insecure)
        gtk_entry_set_visibility(GTK_ENTRY(entry), FALSE);
    if (layout.width_chars > 0)
        gtk_entry_set_width_chars(GTK_ENTRY(entry), entry_width_chars(layout.width_chars, unit));
    gtk_editable_set_editable(GTK_EDITABLE(entry), layout.editable);
    limit_entry_length(GTK_ENTRY(entry), layout.max_length);
    return entry;
}

// What one row shows: a field's label, and its entry unless the row is the
// label alone.
struct RowPlan {
    const char *label;
    GtkEntryBuffer *buffer;
    bool label_only;
    FieldLayout layout;
    long flags;
};

// An entry for one row, with the mixedform's flags applied.
GtkWidget *row_entry_new(const RowPlan &plan, double unit, const DialogConf *conf) {
    GtkWidget *entry = field_entry_new(plan.buffer, plan.layout, unit, conf);
    if (plan.flags & FIELD_HIDDEN)
        gtk_entry_set_visibility(GTK_ENTRY(entry), FALSE);
    if (plan.flags & FIELD_READ_ONLY)
        gtk_editable_set_editable(GTK_EDITABLE(entry), FALSE);
    return entry;
}

int natural_width(GtkWidget *widget) {
    int natural = 0;
    gtk_widget_get_preferred_width(widget, nullptr, &natural);
    return natural;
}

int natural_height(GtkWidget *widget) {
    int natural = 0;
    gtk_widget_get_preferred_height(widget, nullptr, &natural);
    return natural;
}

// Rows of label and entry, the labels in one column and the entries lined
// up beside them. GTK's cost of adding a widget grows with the number of
// its siblings, and a size group's with the number of its widgets, so
// thousands of fields in one box or one size group take quadratic time:
// the rows go into boxes of ROWS_PER_GROUP rows instead, stacked in a box,
// and the labels are given the width of the widest. The rows scroll once
// they are taller than the screen, so that every field stays within reach
// and the window within what X11 can map.
//
// Even in linear time, thousands of rows take seconds to make. Only the
// rows that fill the scroller are made before the window shows; the rest
// are made in the background, a group at a time, after their widths (the
// label column's and the widest row's) have been measured, so that the
// window has the size that all its rows give it. Every field's buffer
// exists from the start: the answer holds every field whenever the dialog
// closes.
class FieldRows {
  public:
    FieldRows(DialogWindow &dialog, std::vector<RowPlan> plans, const DialogConf *conf)
        : dialog_(dialog), plans_(std::move(plans)), conf_(conf),
          unit_(char_unit_pixels(gdk_screen_get_default())) {
        GtkWidget *content = dialog.content();
        gtk_box_set_spacing(GTK_BOX(content), SPACING);
        greatest_height_ = std::max(dialog.workarea().height, 1);
        GtkWidget *scroller = gtk_scrolled_window_new(nullptr, nullptr);
        gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroller), GTK_POLICY_NEVER,
                                       GTK_POLICY_AUTOMATIC);
        gtk_scrolled_window_set_propagate_natural_height(GTK_SCROLLED_WINDOW(scroller), TRUE);
        gtk_scrolled_window_set_max_content_height(GTK_SCROLLED_WINDOW(scroller), greatest_height_);
        groups_ = gtk_box_new(GTK_ORIENTATION_VERTICAL, SPACING);
        gtk_container_add(GTK_CONTAINER(scroller), groups_);
        gtk_container_add(GTK_CONTAINER(content), scroller);
    }
    FieldRows(const FieldRows &) = delete;
    FieldRows &operator=(const FieldRows &) = delete;

    // Shows the content area with the rows that fill the scroller, and
    // leaves the others to the main loop.
    void show() {
        gtk_widget_show_all(dialog_.content());
        while (made_ < plans_.size()) {
            add_group();
            if (natural_height(groups_) >= greatest_height_)
                break;
        }
        label_width_ = widest_label();
        for (GtkWidget *label : labels_)
            gtk_widget_set_size_request(label, label_width_, -1);
        if (made_ == plans_.size())
            return;
        gtk_widget_set_size_request(groups_, widest_row_to_make(), -1);
        dialog_.add_idle<&FieldRows::add_next_group>(this);
    }

  private:
    static constexpr size_t ROWS_PER_GROUP = 64;
    static constexpr int SPACING = 4;

    gboolean add_next_group() {
        add_group();
        return made_ < plans_.size() ? G_SOURCE_CONTINUE : G_SOURCE_REMOVE;
    }

    void add_group() {
        GtkWidget *group = gtk_box_new(GTK_ORIENTATION_VERTICAL, SPACING);
        for (size_t end = std::min(made_ + ROWS_PER_GROUP, plans_.size()); made_ < end; ++made_)
            gtk_container_add(GTK_CONTAINER(group), row_new(plans_[made_]));
        gtk_container_add(GTK_CONTAINER(groups_), group);
        gtk_widget_show_all(group);
    }

    // A row of label and entry; an expanding entry takes the rest of its row.
    GtkWidget *row_new(const RowPlan &plan) {
        GtkWidget *row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, SPACING);
        GtkWidget *label = field_label_new(plan.label, unit_);
        if (label_width_ > 0)
            gtk_widget_set_size_request(label, label_width_, -1);
        gtk_box_pack_start(GTK_BOX(row), label, FALSE, TRUE, 0);
        labels_.push_back(label);
        if (plan.label_only)
            return row;
        GtkWidget *entry = row_entry_new(plan, unit_, conf_);
        relate_label(label, entry);
        gtk_box_pack_start(GTK_BOX(row), entry, plan.layout.expand, TRUE, 0);
        return row;
    }

    // The natural width of every row's label, measured on the first label
    // for the rows not made yet (the label is a shown one in the window,
    // so it measures as theirs will).
    int widest_label() {
        int widest = 0;
        for (GtkWidget *label : labels_)
            widest = std::max(widest, natural_width(label));
        if (made_ == plans_.size())
            return widest;
        GtkLabel *probe = GTK_LABEL(labels_.front());
        GCharPtr own_text(g_strdup(gtk_label_get_label(probe)));
        for (size_t i = made_; i < plans_.size(); ++i) {
            GCharPtr shown = display_text(plans_[i].label);
            gtk_label_set_text(probe, shown.get());
            widest = std::max(widest, natural_width(GTK_WIDGET(probe)));
        }
        gtk_label_set_text(probe, own_text.get());
        return widest;
    }

    // The natural width of the widest row still to be made. An entry's
    // width depends only on its width in characters.
    int widest_row_to_make() {
        int widest = label_width_;
        std::vector<long> measured;
        for (size_t i = made_; i < plans_.size(); ++i) {
            const RowPlan &plan = plans_[i];
            if (plan.label_only || std::find(measured.begin(), measured.end(),
                                             plan.layout.width_chars) != measured.end())
                continue;
            measured.push_back(plan.layout.width_chars);
            GObjectPtr<GtkEntryBuffer> buffer(gtk_entry_buffer_new(nullptr, 0));
            auto probe = GObjectPtr<GtkWidget>::ref_sink(
                field_entry_new(buffer.get(), plan.layout, unit_, conf_));
            gtk_widget_show(probe.get());
            widest = std::max(widest, label_width_ + SPACING + natural_width(probe.get()));
            gtk_widget_destroy(probe.get());
        }
        return widest;
    }

    DialogWindow &dialog_;
    std::vector<RowPlan> plans_;
    const DialogConf *conf_;
    double unit_;
    int greatest_height_;
    GtkWidget *groups_;
    size_t made_ = 0;
    int label_width_ = 0;
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

bool form_args_valid(std::span<const char *const> args, int group_size) {
    return !args.empty() && form_number(args[0]) >= 0 && (args.size() - 1) % group_size == 0;
}

long form_number(const char *text) {
    return leading_long(text);
}

// The form and the mixedform differ only in the mixedform's flag word; a
// form field has no flags.
static DialogResult run_form(const DialogRequest &request, int group_size) {
    if (!form_args_valid(request.args, group_size))
        return unexpected_args(request);
    DialogWindow dialog(request, help_on_f1(request.conf));
    FieldList fields;
    std::vector<RowPlan> plans;
    for (size_t first = 1; first < request.args.size(); first += group_size) {
        const char *const *group = request.args.data() + first;
        fields.push_back(entry_field_new(group[MEMBER_INIT]));
        long flags = group_size == MIXEDFORM_GROUP_SIZE ? form_number(group[MEMBER_FLAGS]) : 0;
        // A read-only field whose text repeats its label is shown as the
        // label alone; its text is still answered.
        bool label_only =
            (flags & FIELD_READ_ONLY) && strcmp(group[MEMBER_LABEL], group[MEMBER_INIT]) == 0;
        plans.push_back({group[MEMBER_LABEL], fields.back().buffer.get(), label_only,
                         field_layout(form_number(group[MEMBER_FIELDLEN]),
                                      form_number(group[MEMBER_MAXLETTERS])),
                         flags});
    }
    FieldRows rows_of_fields(dialog, std::move(plans), &request.conf);
    rows_of_fields.show();
    add_standard_buttons(dialog.dialog(), &request.conf);
    return run_dialog(dialog, {[&] { return print_field_text(fields, &request.opts); }});
}

DialogResult dialog_form(const DialogRequest &request) {
    return run_form(request, FORM_GROUP_SIZE);
}

DialogResult dialog_passwordform(const DialogRequest &request) {
    DialogRequest hidden = request;
    hidden.conf.insecure = true;
    return dialog_form(hidden);
}

DialogResult dialog_mixedform(const DialogRequest &request) {
    return run_form(request, MIXEDFORM_GROUP_SIZE);
}
