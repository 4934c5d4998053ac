// Runs the --and-dialog segments of the command line one after the other.
#pragma once

// Schedules the dialog sequence in the GTK main loop; the final exit code is
// stored through exit_status. Returns 0, or -1 after a diagnostic.
int start_dialog_sequence(int *exit_status, int argc, char **argv);
