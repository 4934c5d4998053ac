#include "cli/option_table.h"

#include <cstdint>
#include <cstring>
#include <optional>
#include <unistd.h>

#include "core/descriptors.h"
#include "core/diagnostics.h"
#include "core/i18n.h"
#include "core/numbers.h"
#include "core/results.h"

namespace {

// getopt_long's code for an argument that is no option, in the order the
// arguments stand (the "-" that starts the option string asks for that).
constexpr int POSITIONAL_ARGUMENT = 1;

// A dialog option's code is its index in the table of dialogs plus this,
// above every code below.
constexpr int FIRST_DIALOG_CODE = 2000;

// Synonyms share a code, so that a prefix shared only by synonyms is not
// ambiguous.
enum OptionCode {
    OPT_AND_DIALOG = 1000,
    // DialogConf
    OPT_BEGIN_X,
    OPT_BEGIN_Y,
    OPT_CANCEL_LABEL,
    OPT_DEFAULT_NO,
    OPT_DISABLE_ESC,
    OPT_OK_LABEL,
    OPT_EXTRA_BUTTON,
    OPT_EXTRA_LABEL,
    OPT_HELP_BUTTON,
    OPT_HELP_LABEL,
    OPT_HFILE,
    OPT_HLINE,
    OPT_HMSG,
    OPT_INSECURE,
    OPT_NO_CANCEL,
    OPT_NO_DESCRIPTIONS,
    OPT_NO_LINES,
    OPT_NO_NAMES,
    OPT_NO_OK,
    OPT_NO_SHADOW,
    OPT_PRINT_SIZE,
    OPT_SHADOW,
    OPT_SLEEP,
    OPT_SWITCH_BUTTONS,
    OPT_TITLE,
    // Options
    OPT_BACKTITLE,
    OPT_BIKESHED,
    OPT_CLEAR_SCREEN,
    OPT_CR_WRAP,
    OPT_DATE_FORMAT,
    OPT_DEFAULT_ITEM,
    OPT_IGNORE,
    OPT_ITEM_BOTTOM_DESC,
    OPT_ITEM_DEPTH,
    OPT_ITEM_PREFIX,
    OPT_LOAD_THEME,
    OPT_MAX_INPUT,
    OPT_OUTPUT_FD,
    OPT_OUTPUT_SEPARATOR,
    OPT_PRINT_MAXSIZE,
    OPT_PRINT_VERSION,
    OPT_QUOTED,
    OPT_SAVE_THEME,
    OPT_SEPARATE_OUTPUT,
    OPT_SINGLE_QUOTED,
    OPT_STDERR,
    OPT_STDOUT,
    OPT_TAB_ESCAPE,
    OPT_TEXT_UNCHANGED,
    OPT_THEME,
    OPT_TIME_FORMAT,
    // Exit codes
    OPT_CANCEL_EXIT_CODE,
    OPT_ERROR_EXIT_CODE,
    OPT_ESC_EXIT_CODE,
    OPT_EXTRA_EXIT_CODE,
    OPT_HELP_EXIT_CODE,
    OPT_OK_EXIT_CODE,
    OPT_TIMEOUT_EXIT_CODE,
    // Accepted for compatibility, no effect
    OPT_NO_EFFECT,
};

std::optional<ScanStep> ask_for(SideJob job) {
    return ScanStep{ScanStep::Kind::side_job, job};
}

int select_dialog(Options &opts, const DialogEntry &dialog) {
    if (opts.dialog_name != nullptr)
        // TRANSLATORS: two dialog options, e.g. "--msgbox and --yesno", given in
        // one segment of the command line; option names stay as they are.
        return warn_msg(-1, _("%s and %s without --and-dialog"), opts.dialog_name, dialog.option);
    opts.dialog_name = dialog.option;
    opts.dialog = &dialog;
    return 0;
}

int parse_begin(const char *name, const char *arg, int *field) {
    int value = leading_int32(arg);
    if (value < -1)
        // TRANSLATORS: an option, its value and the least value it takes, e.g.
        // "--begin-x -5 is < -1".
        return warn_msg(-1, _("%s %d is < %d"), name, value, -1);
    *field = value;
    return 0;
}

// Unlike other numbers, a descriptor must be written out in full: taking
// "abc" for 0 would send the answer into standard input.
int parse_output_fd(const char *arg, int *output_fd) {
    std::optional<int> fd = whole_int(arg);
    if (!fd)
        return warn_msg(-1, _("--output-fd %s is not a number"), arg);
    // Never a descriptor the program opened itself.
    *output_fd = answer_descriptor(*fd);
    return 0;
}

#define NO_ARG(name, code)                                                                         \
    { name, no_argument, nullptr, code }
#define WITH_ARG(name, code)                                                                       \
    { name, required_argument, nullptr, code }

// Every option but the dialogs', which come from the table of dialogs.
const struct option fixed_options[] = {
    NO_ARG("and-dialog", OPT_AND_DIALOG),
    NO_ARG("and-widget", OPT_AND_DIALOG),

    WITH_ARG("begin-x", OPT_BEGIN_X),
    WITH_ARG("begin-y", OPT_BEGIN_Y),
    WITH_ARG("cancel-label", OPT_CANCEL_LABEL),
    WITH_ARG("no-label", OPT_CANCEL_LABEL),
    NO_ARG("defaultno", OPT_DEFAULT_NO),
    NO_ARG("default-no", OPT_DEFAULT_NO),
    NO_ARG("disable-esc", OPT_DISABLE_ESC),
    WITH_ARG("exit-label", OPT_OK_LABEL),
    WITH_ARG("ok-label", OPT_OK_LABEL),
    WITH_ARG("yes-label", OPT_OK_LABEL),
    NO_ARG("extra-button", OPT_EXTRA_BUTTON),
    WITH_ARG("extra-label", OPT_EXTRA_LABEL),
    NO_ARG("help-button", OPT_HELP_BUTTON),
    WITH_ARG("help-label", OPT_HELP_LABEL),
    WITH_ARG("hfile", OPT_HFILE),
    WITH_ARG("hline", OPT_HLINE),
    WITH_ARG("hmsg", OPT_HMSG),
    NO_ARG("insecure", OPT_INSECURE),
    NO_ARG("no-cancel", OPT_NO_CANCEL),
    NO_ARG("nocancel", OPT_NO_CANCEL),
    NO_ARG("no-descriptions", OPT_NO_DESCRIPTIONS),
    NO_ARG("no-items", OPT_NO_DESCRIPTIONS),
    NO_ARG("no-lines", OPT_NO_LINES),
    NO_ARG("no-names", OPT_NO_NAMES),
    NO_ARG("no-tags", OPT_NO_NAMES),
    NO_ARG("no-ok", OPT_NO_OK),
    NO_ARG("nook", OPT_NO_OK),
    NO_ARG("no-shadow", OPT_NO_SHADOW),
    NO_ARG("print-size", OPT_PRINT_SIZE),
    NO_ARG("shadow", OPT_SHADOW),
    WITH_ARG("sleep", OPT_SLEEP),
    NO_ARG("switch-buttons", OPT_SWITCH_BUTTONS),
    WITH_ARG("title", OPT_TITLE),

    WITH_ARG("backtitle", OPT_BACKTITLE),
    NO_ARG("bikeshed", OPT_BIKESHED),
    NO_ARG("clear", OPT_CLEAR_SCREEN),
    NO_ARG("clear-screen", OPT_CLEAR_SCREEN),
    NO_ARG("cr-wrap", OPT_CR_WRAP),
    WITH_ARG("date-format", OPT_DATE_FORMAT),
    WITH_ARG("default-item", OPT_DEFAULT_ITEM),
    NO_ARG("ignore", OPT_IGNORE),
    NO_ARG("item-bottom-desc", OPT_ITEM_BOTTOM_DESC),
    NO_ARG("item-help", OPT_ITEM_BOTTOM_DESC),
    NO_ARG("item-depth", OPT_ITEM_DEPTH),
    NO_ARG("item-prefix", OPT_ITEM_PREFIX),
    WITH_ARG("load-theme", OPT_LOAD_THEME),
    WITH_ARG("max-input", OPT_MAX_INPUT),
    WITH_ARG("output-fd", OPT_OUTPUT_FD),
    WITH_ARG("output-separator", OPT_OUTPUT_SEPARATOR),
    WITH_ARG("separator", OPT_OUTPUT_SEPARATOR),
    NO_ARG("print-maxsize", OPT_PRINT_MAXSIZE),
    NO_ARG("print-version", OPT_PRINT_VERSION),
    NO_ARG("quoted", OPT_QUOTED),
    WITH_ARG("save-theme", OPT_SAVE_THEME),
    NO_ARG("separate-output", OPT_SEPARATE_OUTPUT),
    NO_ARG("single-quoted", OPT_SINGLE_QUOTED),
    NO_ARG("stderr", OPT_STDERR),
    NO_ARG("stdout", OPT_STDOUT),
    NO_ARG("tab-escape", OPT_TAB_ESCAPE),
    NO_ARG("text-unchanged", OPT_TEXT_UNCHANGED),
    WITH_ARG("theme", OPT_THEME),
    WITH_ARG("time-format", OPT_TIME_FORMAT),

    WITH_ARG("cancel-exit-code", OPT_CANCEL_EXIT_CODE),
    WITH_ARG("error-exit-code", OPT_ERROR_EXIT_CODE),
    WITH_ARG("esc-exit-code", OPT_ESC_EXIT_CODE),
    WITH_ARG("extra-exit-code", OPT_EXTRA_EXIT_CODE),
    WITH_ARG("help-exit-code", OPT_HELP_EXIT_CODE),
    WITH_ARG("ok-exit-code", OPT_OK_EXIT_CODE),
    WITH_ARG("timeout-exit-code", OPT_TIMEOUT_EXIT_CODE),

    NO_ARG("alternate-screen", OPT_NO_EFFECT),
    NO_ARG("ascii-lines", OPT_NO_EFFECT),
    NO_ARG("clear-dialog", OPT_NO_EFFECT),
    NO_ARG("colors", OPT_NO_EFFECT),
    NO_ARG("keep-tite", OPT_NO_EFFECT),
    NO_ARG("normal-screen", OPT_NO_EFFECT),
    NO_ARG("text-escape", OPT_NO_EFFECT),
};

#undef NO_ARG
#undef WITH_ARG

// What getopt_long takes for no option: a word without a leading dash, or
// a lone dash.
bool is_plain_argument(const char *arg) {
    return arg[0] != '-' || arg[1] == '\0';
}

} // namespace

uint32_t sleep_milliseconds(const char *arg) {
    unsigned long seconds = leading_ulong(arg);
    if (seconds > UINT32_MAX / 1000)
        return UINT32_MAX;
    return static_cast<uint32_t>(seconds) * 1000u;
}

OptionParser::OptionParser(std::span<const DialogEntry> dialogs) : dialogs_(dialogs) {
    for (size_t i = 0; i < dialogs.size(); ++i)
        table_.push_back(
            {dialogs[i].option + 2, no_argument, nullptr, FIRST_DIALOG_CODE + static_cast<int>(i)});
    table_.insert(table_.end(), std::begin(fixed_options), std::end(fixed_options));
    table_.push_back({nullptr, 0, nullptr, 0});
}

// Positional arguments are collected here rather than left to getopt_long's
// permutation, which POSIXLY_CORRECT in the environment would turn off: then
// an option after the dialog's arguments would be taken for one of them.
ScanStep OptionParser::scan(SegmentConfig &config, int n, char **argv, int &positional) const {
    // Each argument is moved to an element that getopt_long has passed.
    auto gather = [&](char *arg) { argv[1 + positional++] = arg; };
    for (;;) {
        int code = getopt_long(n, argv, "-", table_.data(), nullptr);
        if (code == -1) {
            // After "--", everything left is positional.
            while (optind < n)
                gather(argv[optind++]);
            return {ScanStep::Kind::end};
        }
        if (code == POSITIONAL_ARGUMENT) {
            gather(optarg);
            // The plain arguments that follow are taken at once: a list's
            // items are most of a long command line, and getopt_long would
            // hand them over one call each.
            while (optind < n && is_plain_argument(argv[optind]))
                gather(argv[optind++]);
            continue;
        }
        if (code == '?') {
            // getopt_long has written its own diagnostic.
            if (config.opts.ignore)
                continue;
            // TRANSLATORS: after an unknown option: use the option --ignore to go on
            // regardless.
            warn_msg(-1, _("--ignore to continue"));
            return {ScanStep::Kind::error};
        }
        if (std::optional<ScanStep> step = apply_option(config, code, optarg))
            return *step;
    }
}

// Returns a side job, an error, or nothing when the scan simply goes on.
std::optional<ScanStep> OptionParser::apply_option(SegmentConfig &config, int code,
                                                   const char *arg) const {
    // The checks below return 0, or -1 after a diagnostic.
    auto checked = [](int status) -> std::optional<ScanStep> {
        if (status == 0)
            return std::nullopt;
        return ScanStep{ScanStep::Kind::error};
    };
    DialogConf &conf = config.conf;
    Options &opts = config.opts;

    if (code >= FIRST_DIALOG_CODE &&
        static_cast<size_t>(code - FIRST_DIALOG_CODE) < dialogs_.size())
        return checked(select_dialog(opts, dialogs_[code - FIRST_DIALOG_CODE]));

    switch (code) {
    case OPT_AND_DIALOG:
        if (opts.dialog_name == nullptr)
            return checked(warn_msg(-1, _("--and-dialog without previous --<dialog>")));
        break;

    case OPT_BEGIN_X:
        return checked(parse_begin("--begin-x", arg, &conf.begin_x));
    case OPT_BEGIN_Y:
        return checked(parse_begin("--begin-y", arg, &conf.begin_y));
    case OPT_CANCEL_LABEL:
        conf.cancel_label = arg;
        break;
    case OPT_DEFAULT_NO:
        conf.default_no = true;
        break;
    case OPT_DISABLE_ESC:
        conf.deletable = false;
        break;
    case OPT_OK_LABEL:
        conf.ok_label = arg;
        break;
    case OPT_EXTRA_BUTTON:
        conf.extra_button = true;
        break;
    case OPT_EXTRA_LABEL:
        conf.extra_label = arg;
        break;
    case OPT_HELP_BUTTON:
        conf.help_button = true;
        break;
    case OPT_HELP_LABEL:
        conf.help_label = arg;
        break;
    case OPT_HFILE:
        conf.help_file = arg;
        break;
    case OPT_HLINE:
        if (arg[0] != '\0')
            conf.subtitle = arg;
        break;
    case OPT_HMSG:
        conf.help_message = arg;
        break;
    case OPT_INSECURE:
        conf.insecure = true;
        break;
    case OPT_NO_CANCEL:
        conf.no_cancel = true;
        break;
    case OPT_NO_DESCRIPTIONS:
        conf.no_descriptions = true;
        break;
    case OPT_NO_LINES:
        conf.no_lines = true;
        break;
    case OPT_NO_NAMES:
        conf.no_names = true;
        break;
    case OPT_NO_OK:
        conf.no_ok = true;
        break;
    case OPT_NO_SHADOW:
        conf.shadow = false;
        break;
    case OPT_PRINT_SIZE:
        conf.print_size = true;
        break;
    case OPT_SHADOW:
        conf.shadow = true;
        break;
    case OPT_SLEEP:
        conf.sleep_ms = sleep_milliseconds(arg);
        break;
    case OPT_SWITCH_BUTTONS:
        conf.enter_activates_default = false;
        break;
    case OPT_TITLE:
        conf.title = arg;
        break;

    case OPT_BACKTITLE:
        opts.backtitle = arg;
        break;
    case OPT_BIKESHED:
        opts.bikeshed = true;
        break;
    case OPT_CLEAR_SCREEN:
        opts.clear_screen = true;
        opts.need_dialog = false;
        break;
    case OPT_CR_WRAP:
        opts.cr_wrap = true;
        break;
    case OPT_DATE_FORMAT:
        opts.date_format = arg;
        break;
    case OPT_DEFAULT_ITEM:
        opts.default_item = arg;
        break;
    case OPT_IGNORE:
        opts.ignore = true;
        break;
    case OPT_ITEM_BOTTOM_DESC:
        opts.item_bottom_desc = true;
        break;
    case OPT_ITEM_DEPTH:
        opts.item_depth = true;
        break;
    case OPT_ITEM_PREFIX:
        opts.item_prefix = true;
        break;
    case OPT_LOAD_THEME:
        opts.load_theme = arg;
        break;
    case OPT_MAX_INPUT:
        opts.max_input = leading_uint32(arg);
        break;
    case OPT_OUTPUT_FD:
        return checked(parse_output_fd(arg, &opts.output_fd));
    case OPT_OUTPUT_SEPARATOR:
        opts.output_separator = arg;
        break;
    case OPT_PRINT_MAXSIZE:
        opts.need_dialog = false;
        return ask_for({SideJob::Kind::print_maxsize, nullptr, opts.output_fd});
    case OPT_PRINT_VERSION:
        opts.need_dialog = false;
        return ask_for({SideJob::Kind::print_version, nullptr, opts.output_fd});
    case OPT_QUOTED:
        opts.quoted = true;
        break;
    case OPT_SAVE_THEME:
        opts.save_theme = arg;
        opts.need_dialog = false;
        break;
    case OPT_SEPARATE_OUTPUT:
        opts.separate_output = true;
        break;
    case OPT_SINGLE_QUOTED:
        opts.single_quoted = true;
        break;
    case OPT_STDERR:
        opts.output_fd = answer_descriptor(STDERR_FILENO);
        break;
    case OPT_STDOUT:
        opts.output_fd = answer_descriptor(STDOUT_FILENO);
        break;
    case OPT_TAB_ESCAPE:
        opts.tab_escape = true;
        break;
    case OPT_TEXT_UNCHANGED:
        opts.text_unchanged = true;
        break;
    case OPT_THEME:
        return ask_for({SideJob::Kind::set_theme, arg});
    case OPT_TIME_FORMAT:
        opts.time_format = arg;
        break;

    case OPT_CANCEL_EXIT_CODE:
        return ask_for({SideJob::Kind::set_exit_code, arg, -1, RESULT_CANCEL});
    case OPT_ERROR_EXIT_CODE:
        return ask_for({SideJob::Kind::set_exit_code, arg, -1, RESULT_ERROR});
    case OPT_ESC_EXIT_CODE:
        return ask_for({SideJob::Kind::set_exit_code, arg, -1, RESULT_ESC});
    case OPT_EXTRA_EXIT_CODE:
        return ask_for({SideJob::Kind::set_exit_code, arg, -1, RESULT_EXTRA});
    case OPT_HELP_EXIT_CODE:
        return ask_for({SideJob::Kind::set_exit_code, arg, -1, RESULT_HELP});
    case OPT_OK_EXIT_CODE:
        return ask_for({SideJob::Kind::set_exit_code, arg, -1, RESULT_OK});
    case OPT_TIMEOUT_EXIT_CODE:
        return ask_for({SideJob::Kind::set_exit_code, arg, -1, RESULT_TIMEOUT});

    case OPT_NO_EFFECT:
        break;
    }
    return std::nullopt;
}
