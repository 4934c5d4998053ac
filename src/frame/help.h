// F1 help: the --hmsg message or the --hfile file, over the dialog that got
// the key.
#pragma once

#include <gtk/gtk.h>

#include "core/records.h"

// Makes F1 show the help in window, when conf has a help message or file.
// conf must outlive the window.
void connect_help_key(GtkWidget *window, const DialogConf *conf);

// Shows the help modally: the help file in the file viewer (centred, titled
// "Help"), or else the help message in a message dialog.
void show_help(GtkWidget *parent, const DialogConf *conf);
