/* The floor of the start-up benchmark: the least work any header-bar dialog
 * program must do to show "hi" with an OK button. wrenpane is measured
 * against it, so it stays exactly this bare.
 *
 * Usage: floor [WIDTH HEIGHT]. A Wayland client draws its window into memory
 * of its own, so there the floor is given the size of the window it is
 * compared with. */
#include <gtk/gtk.h>
#include <stdlib.h>

int main(int argc, char **argv) {
    gtk_init(&argc, &argv);
    GtkWidget *dialog = gtk_dialog_new_with_buttons("", NULL, GTK_DIALOG_USE_HEADER_BAR, "OK",
                                                    GTK_RESPONSE_OK, NULL);
    if (argc == 3)
        gtk_window_set_default_size(GTK_WINDOW(dialog), atoi(argv[1]), atoi(argv[2]));
    GtkWidget *label = gtk_label_new("hi");
    gtk_widget_show(label);
    gtk_container_add(GTK_CONTAINER(gtk_dialog_get_content_area(GTK_DIALOG(dialog))), label);
    gtk_dialog_run(GTK_DIALOG(dialog));
    gtk_widget_destroy(dialog);
    return 0;
}
