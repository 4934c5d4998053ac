// Runs the --and-dialog segments of the command line one after the other.
#pragma once

// Runs the whole chain inside the GTK main loop and returns the exit status
// of the run, or -1 after a diagnostic when it cannot start.
int run_dialog_sequence(int argc, char **argv);
