// The textbox: a file shown in the file viewer. Its text is the file's path,
// taken exactly as typed. Nothing is written to the output descriptor.
#include "core/diagnostics.h"
#include "frame/file_view.h"

DialogResult dialog_textbox(DialogConf *conf, char *text, int rows, int cols, int argc, char **args,
                            Options *opts) {
    if (argc > 0)
        return unexpected_args(opts, argc, args);
    return run_file_viewer(conf, opts, text, rows, cols);
}
