#include "frame/measured_label.h"

namespace {

// One size that GTK asked for, with the serial of the pango context it was
// measured with: the serial changes with the font, the resolution and the
// font options.
struct MeasuredSize {
    bool measured = false;
    guint serial = 0;
    int minimum = 0;
    int natural = 0;
    int minimum_baseline = -1;
    int natural_baseline = -1;
};

struct MeasuredLabel {
    GtkLabel parent;
    // Sizes that need no width to be given: the widths, and the heights at
    // the least width.
    MeasuredSize width;
    MeasuredSize height;
};

struct MeasuredLabelClass {
    GtkLabelClass parent_class;
};

G_DEFINE_TYPE(MeasuredLabel, measured_label, GTK_TYPE_LABEL)

GtkWidgetClass *label_class() {
    return GTK_WIDGET_CLASS(measured_label_parent_class);
}

// Whether size still holds; if not, it is marked as measured now and the
// caller fills it in.
bool still_holds(GtkWidget *widget, MeasuredSize &size) {
    guint serial = pango_context_get_serial(gtk_widget_get_pango_context(widget));
    if (size.measured && size.serial == serial)
        return true;
    size.measured = true;
    size.serial = serial;
    return false;
}

void measured_label_get_preferred_width(GtkWidget *widget, int *minimum, int *natural) {
    MeasuredSize &width = reinterpret_cast<MeasuredLabel *>(widget)->width;
    if (!still_holds(widget, width))
        label_class()->get_preferred_width(widget, &width.minimum, &width.natural);
    *minimum = width.minimum;
    *natural = width.natural;
}

void measured_label_get_preferred_height_and_baseline_for_width(GtkWidget *widget, int for_width,
                                                                int *minimum, int *natural,
                                                                int *minimum_baseline,
                                                                int *natural_baseline) {
    if (for_width != -1) {
        label_class()->get_preferred_height_and_baseline_for_width(
            widget, for_width, minimum, natural, minimum_baseline, natural_baseline);
        return;
    }
    MeasuredSize &height = reinterpret_cast<MeasuredLabel *>(widget)->height;
    if (!still_holds(widget, height))
        label_class()->get_preferred_height_and_baseline_for_width(
            widget, -1, &height.minimum, &height.natural, &height.minimum_baseline,
            &height.natural_baseline);
    *minimum = height.minimum;
    *natural = height.natural;
    if (minimum_baseline != nullptr)
        *minimum_baseline = height.minimum_baseline;
    if (natural_baseline != nullptr)
        *natural_baseline = height.natural_baseline;
}

void measured_label_get_preferred_height(GtkWidget *widget, int *minimum, int *natural) {
    measured_label_get_preferred_height_and_baseline_for_width(widget, -1, minimum, natural,
                                                               nullptr, nullptr);
}

void measured_label_get_preferred_height_for_width(GtkWidget *widget, int for_width, int *minimum,
                                                   int *natural) {
    measured_label_get_preferred_height_and_baseline_for_width(widget, for_width, minimum, natural,
                                                               nullptr, nullptr);
}

void measured_label_get_preferred_width_for_height(GtkWidget *widget, int, int *minimum,
                                                   int *natural) {
    measured_label_get_preferred_width(widget, minimum, natural);
}

void measured_label_class_init(MeasuredLabelClass *klass) {
    GtkWidgetClass *widget_class = GTK_WIDGET_CLASS(klass);
    widget_class->get_preferred_width = measured_label_get_preferred_width;
    widget_class->get_preferred_height = measured_label_get_preferred_height;
    widget_class->get_preferred_height_for_width = measured_label_get_preferred_height_for_width;
    widget_class->get_preferred_width_for_height = measured_label_get_preferred_width_for_height;
    widget_class->get_preferred_height_and_baseline_for_width =
        measured_label_get_preferred_height_and_baseline_for_width;
}

// A new text, new attributes or any other property may change the sizes.
void forget_sizes(GObject *object, GParamSpec *, gpointer) {
    MeasuredLabel *label = reinterpret_cast<MeasuredLabel *>(object);
    label->width.measured = false;
    label->height.measured = false;
}

void measured_label_init(MeasuredLabel *label) {
    g_signal_connect(label, "notify", G_CALLBACK(forget_sizes), nullptr);
}

} // namespace

GtkWidget *measured_label_new(const char *text) {
    GtkWidget *label = GTK_WIDGET(g_object_new(measured_label_get_type(), nullptr));
    gtk_label_set_text(GTK_LABEL(label), text);
    return label;
}
