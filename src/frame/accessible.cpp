#include "frame/accessible.h"

#include "frame/callbacks.h"

void relate_label(GtkWidget *label, GtkWidget *input) {
    gtk_label_set_mnemonic_widget(GTK_LABEL(label), input);
}

static void relate_each_label(GtkWidget *widget, GtkWidget *input) {
    relate_text(widget, input);
}

void relate_text(GtkWidget *text, GtkWidget *input) {
    if (GTK_IS_LABEL(text))
        relate_label(text, input);
    else if (GTK_IS_CONTAINER(text))
        gtk_container_foreach(GTK_CONTAINER(text), untyped<relate_each_label>, input);
}

void relate_control(GtkWidget *control, GtkWidget *target) {
    AtkObject *control_object = gtk_widget_get_accessible(control);
    AtkObject *target_object = gtk_widget_get_accessible(target);
    atk_object_add_relationship(control_object, ATK_RELATION_CONTROLLER_FOR, target_object);
    atk_object_add_relationship(target_object, ATK_RELATION_CONTROLLED_BY, control_object);
}

void set_accessible_name(GtkWidget *widget, const char *name) {
    atk_object_set_name(gtk_widget_get_accessible(widget), name);
}

void set_progress_text(GtkWidget *bar, const char *text) {
    gtk_progress_bar_set_text(GTK_PROGRESS_BAR(bar), text);
    set_accessible_name(bar, text);
}
