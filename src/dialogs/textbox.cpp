// The textbox: a file shown in the file viewer. Its text is the file's path,
// taken exactly as typed. Nothing is written to the output descriptor.
#include "core/diagnostics.h"
#include "frame/file_viewer.h"
#include "frame/help.h"

DialogResult dialog_textbox(const DialogRequest &request) {
    if (!request.args.empty())
        return unexpected_args(request);
    return run_file_viewer(request, help_on_f1(request.conf));
}
