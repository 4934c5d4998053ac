// Handing the toolkit its own options (--display, --class, --gtk-module, ...)
// out of the command line.
#pragma once

// A parser in the manner of gtk_init_check: it removes the options it knows
// from the vector, keeping the others in their order, and lowers the count.
using ToolkitParser = int (*)(int *argc, char ***argv);

// Runs parse over the arguments that can matter to it and removes from argv
// what it removed, as if it had been given the whole vector: argv[0], every
// argument with a leading dash and the one after each (an option's value).
// A list's items are most of a long command line and never look like
// options, and the toolkit's parser would look at every one of them.
// Returns what parse returned; argv stays terminated by a null pointer.
int take_toolkit_options(int &argc, char **argv, ToolkitParser parse);
