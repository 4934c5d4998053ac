#include "core/records.h"

#include <unistd.h>

#include "core/descriptors.h"

void reset_dialog_conf(DialogConf *conf) {
    *conf = DialogConf{};
    conf->shadow = true;
    conf->deletable = true;
    conf->enter_activates_default = true;
}

void reset_options(Options *opts) {
    *opts = Options{};
    opts->output_fd = answer_descriptor(STDERR_FILENO);
    opts->max_input = 2048;
    opts->tab_len = DEFAULT_TAB_LEN;
}
