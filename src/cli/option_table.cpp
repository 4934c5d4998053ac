#include "cli/option_table.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <unistd.h>
#include <utility>

#include "core/descriptors.h"
#include "core/diagnostics.h"
#include "core/i18n.h"
#include "core/numbers.h"
#include "core/results.h"

namespace {

// getopt_long's code for an argument that is no option, in the order the
// arguments stand (the "-" that starts the option string asks for that).
constexpr int POSITIONAL_ARGUMENT = 1;

// A row's code is its index plus this, a dialog option's its index in the
// table of dialogs plus FIRST_DIALOG_CODE: both above the codes that
// getopt_long returns itself.
constexpr int FIRST_ROW_CODE = 1000;
constexpr int FIRST_DIALOG_CODE = 2000;

std::optional<ScanStep> ask_for(SideJob job) {
    return ScanStep{ScanStep::Kind::side_job, job};
}

// The checks below return 0, or -1 after a diagnostic.
std::optional<ScanStep> checked(int status) {
    if (status == 0)
        return std::nullopt;
    return ScanStep{ScanStep::Kind::error};
}

std::optional<ScanStep> and_dialog(SegmentConfig &config, const char *) {
    if (config.jobs.dialog == nullptr)
        return checked(warn_msg(-1, _("--and-dialog without previous --<dialog>")));
    return std::nullopt;
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

std::optional<ScanStep> begin_x(SegmentConfig &config, const char *arg) {
    return checked(parse_begin("--begin-x", arg, &config.conf.begin_x));
}

std::optional<ScanStep> begin_y(SegmentConfig &config, const char *arg) {
    return checked(parse_begin("--begin-y", arg, &config.conf.begin_y));
}

// An empty subtitle would only take the room of one.
std::optional<ScanStep> hline(SegmentConfig &config, const char *arg) {
    if (arg[0] != '\0')
        config.conf.subtitle = arg;
    return std::nullopt;
}

std::optional<ScanStep> sleep_for(SegmentConfig &config, const char *arg) {
    config.conf.sleep_ms = sleep_milliseconds(arg);
    return std::nullopt;
}

std::optional<ScanStep> timeout_after(SegmentConfig &config, const char *arg) {
    config.conf.timeout_ms = sleep_milliseconds(arg);
    return std::nullopt;
}

std::optional<ScanStep> datebox_format(SegmentConfig &config, const char *arg) {
    static constexpr std::pair<const char *, DateOrder> orders[] = {
        {"d/m/y", DateOrder::day_month_year},
        {"m/d/y", DateOrder::month_day_year},
        {"y/m/d", DateOrder::year_month_day},
    };
    for (auto [name, order] : orders) {
        if (strcmp(arg, name) == 0) {
            config.opts.datebox_order = order;
            return std::nullopt;
        }
    }
    // TRANSLATORS: an option, the value given and the values it takes, e.g.
    // "--datebox-format 1/2/3 is not one of d/m/y|m/d/y|y/m/d".
    return checked(
        warn_msg(-1, _("%s %s is not one of %s"), "--datebox-format", arg, "d/m/y|m/d/y|y/m/d"));
}

std::optional<ScanStep> max_input(SegmentConfig &config, const char *arg) {
    config.opts.max_input = leading_uint32(arg);
    return std::nullopt;
}

// Unlike other numbers, a descriptor must be written out in full: taking
// "abc" for 0 would send the answer into standard input.
std::optional<ScanStep> output_fd(SegmentConfig &config, const char *arg) {
    std::optional<int> fd = whole_int(arg);
    if (!fd)
        return checked(warn_msg(-1, _("--output-fd %s is not a number"), arg));
    // Never a descriptor the program opened itself.
    config.opts.output_fd = answer_descriptor(*fd);
    return std::nullopt;
}

template <int FD> std::optional<ScanStep> output_to(SegmentConfig &config, const char *) {
    config.opts.output_fd = answer_descriptor(FD);
    return std::nullopt;
}

// The options that are a job in themselves need no dialog beside them.
std::optional<ScanStep> clear_screen(SegmentConfig &config, const char *) {
    config.jobs.clear_screen = true;
    config.jobs.need_dialog = false;
    return std::nullopt;
}

std::optional<ScanStep> save_theme(SegmentConfig &config, const char *arg) {
    config.jobs.save_theme = arg;
    config.jobs.need_dialog = false;
    return std::nullopt;
}

std::optional<ScanStep> print_maxsize(SegmentConfig &config, const char *) {
    config.jobs.need_dialog = false;
    return ask_for({SideJob::Kind::print_maxsize, nullptr, config.opts.output_fd});
}

std::optional<ScanStep> print_version(SegmentConfig &config, const char *) {
    config.jobs.need_dialog = false;
    return ask_for({SideJob::Kind::print_version, nullptr, config.opts.output_fd});
}

std::optional<ScanStep> theme(SegmentConfig &, const char *arg) {
    return ask_for({SideJob::Kind::set_theme, arg});
}

template <DialogResult RESULT> std::optional<ScanStep> exit_code(SegmentConfig &, const char *arg) {
    return ask_for({SideJob::Kind::set_exit_code, arg, -1, RESULT});
}

// Of --default-button and --default-no, the later one wins.
std::optional<ScanStep> default_button(SegmentConfig &config, const char *arg) {
    config.conf.default_button = arg;
    config.conf.default_no = false;
    return std::nullopt;
}

std::optional<ScanStep> default_no(SegmentConfig &config, const char *) {
    config.conf.default_no = true;
    config.conf.default_button = nullptr;
    return std::nullopt;
}

// The script's own buttons, numbered from 0 (left1) to 5 (right3).
template <int BUTTON>
std::optional<ScanStep> custom_button(SegmentConfig &config, const char *arg) {
    config.conf.custom_labels[BUTTON] = arg;
    return std::nullopt;
}

constexpr const char *custom_exit_code_options[CUSTOM_BUTTONS] = {
    "--left1-exit-code",  "--left2-exit-code",  "--left3-exit-code",
    "--right1-exit-code", "--right2-exit-code", "--right3-exit-code",
};

// A code that is not a number is an error rather than ignored, so that a
// typo shows at once instead of when the button is pressed.
template <int BUTTON> std::optional<ScanStep> custom_exit_code(SegmentConfig &, const char *arg) {
    if (!checked_long(arg))
        // TRANSLATORS: an option and its value, e.g. "--left1-exit-code abc".
        return checked(
            warn_msg(-1, _("%s %s is not a number"), custom_exit_code_options[BUTTON], arg));
    return ask_for({SideJob::Kind::set_exit_code, arg, -1, RESULT_LEFT1 + BUTTON});
}

// A tab stop of no width would be no stop at all; one wider than any dialog
// shows the same as the widest.
std::optional<ScanStep> tab_len(SegmentConfig &config, const char *arg) {
    std::optional<int> columns = whole_int(arg);
    if (!columns)
        return checked(warn_msg(-1, _("%s %s is not a number"), "--tab-len", arg));
    if (*columns < 1)
        return checked(warn_msg(-1, _("%s %d is < %d"), "--tab-len", *columns, 1));
    config.opts.tab_len = std::min(*columns, MAX_TAB_LEN);
    return std::nullopt;
}

std::optional<ScanStep> no_effect(SegmentConfig &, const char *) {
    return std::nullopt;
}

constexpr bool HIDDEN = false;
constexpr HelpOnly help_only;

// In the order --help lists them; the rows it does not list stand beside
// their synonyms.
const OptionRow rows[] = {
    {"alternate-screen", nullptr, no_effect},
    {"and-dialog", nullptr, and_dialog, HIDDEN},
    {"and-widget", nullptr, and_dialog, HIDDEN},
    {"ascii-lines", nullptr, no_effect},
    {"backtitle", "<backtitle>", &SegmentJobs::backtitle},
    {"begin-x", "<x>", begin_x},
    {"begin-y", "<y>", begin_y},
    {"bikeshed", nullptr, Flag{&SegmentJobs::bikeshed}},
    {"cancel-exit-code", "<retval>", exit_code<RESULT_CANCEL>},
    {"cancel-label", "<label>", &DialogConf::cancel_label},
    {"clear", nullptr, clear_screen, HIDDEN},
    {"clear-dialog", nullptr, no_effect},
    {"clear-screen", nullptr, clear_screen},
    {"colors", nullptr, no_effect, HIDDEN},
    {"columns-per-row", "<columns>", help_only},
    {"cr-wrap", nullptr, Flag{&Options::cr_wrap}},
    {"datebox-format", "d/m/y|m/d/y|y/m/d", datebox_format},
    {"date-format", "<format>", &Options::date_format},
    {"default-button", "<label>", default_button},
    {"default-item", "<name>", &Options::default_item},
    {"default-no", nullptr, default_no},
    {"defaultno", nullptr, default_no, HIDDEN},
    {"disable-esc", nullptr, Flag{&DialogConf::deletable, false}},
    {"error-exit-code", "<retval>", exit_code<RESULT_ERROR>},
    {"esc-exit-code", "<retval>", exit_code<RESULT_ESC>},
    {"exit-label", "<label>", &DialogConf::ok_label},
    {"extra-button", nullptr, Flag{&DialogConf::extra_button}},
    {"extra-exit-code", "<retval>", exit_code<RESULT_EXTRA>},
    {"extra-label", "<label>", &DialogConf::extra_label},
    {"left1-button", "<label>", custom_button<0>},
    {"left1-exit-code", "<retval>", custom_exit_code<0>},
    {"left2-button", "<label>", custom_button<1>},
    {"left2-exit-code", "<retval>", custom_exit_code<1>},
    {"left3-button", "<label>", custom_button<2>},
    {"left3-exit-code", "<retval>", custom_exit_code<2>},
    {"help-button", nullptr, Flag{&DialogConf::help_button}},
    {"help-exit-code", "<retval>", exit_code<RESULT_HELP>},
    {"help-label", "<label>", &DialogConf::help_label},
    {"help-print-items", nullptr, help_only},
    {"help-print-name", nullptr, help_only},
    {"hfile", "<file>", &DialogConf::help_file},
    {"hline", "<string>", hline},
    {"hmsg", "<string>", &DialogConf::help_message},
    {"ignore", nullptr, Flag{&SegmentJobs::ignore}},
    {"insecure", nullptr, Flag{&DialogConf::insecure}},
    {"item-bottom-desc", nullptr, Flag{&Options::item_bottom_desc}},
    {"item-help", nullptr, Flag{&Options::item_bottom_desc}, HIDDEN},
    {"item-depth", nullptr, Flag{&Options::item_depth}},
    {"item-prefix", nullptr, Flag{&Options::item_prefix}},
    {"keep-tite", nullptr, no_effect, HIDDEN},
    {"load-theme", "<file>", &SegmentJobs::load_theme},
    {"max-input", "<size>", max_input},
    {"no-cancel", nullptr, Flag{&DialogConf::no_cancel}},
    {"nocancel", nullptr, Flag{&DialogConf::no_cancel}, HIDDEN},
    {"no-descriptions", nullptr, Flag{&DialogConf::no_descriptions}},
    {"no-items", nullptr, Flag{&DialogConf::no_descriptions}, HIDDEN},
    {"no-kill", nullptr, Flag{&Options::no_kill}},
    {"no-label", "<label>", &DialogConf::cancel_label},
    {"no-lines", nullptr, Flag{&SegmentJobs::no_lines}},
    {"no-names", nullptr, Flag{&DialogConf::no_names}},
    {"no-tags", nullptr, Flag{&DialogConf::no_names}, HIDDEN},
    {"no-ok", nullptr, Flag{&DialogConf::no_ok}},
    {"nook", nullptr, Flag{&DialogConf::no_ok}, HIDDEN},
    {"no-shadow", nullptr, Flag{&DialogConf::shadow, false}},
    {"normal-screen", nullptr, no_effect},
    {"ok-exit-code", "<retval>", exit_code<RESULT_OK>},
    {"ok-label", "<label>", &DialogConf::ok_label},
    {"output-fd", "<fd>", output_fd},
    {"output-separator", "<sep>", &Options::output_separator},
    {"print-maxsize", nullptr, print_maxsize},
    {"print-size", nullptr, Flag{&DialogConf::print_size}},
    {"print-version", nullptr, print_version},
    {"quoted", nullptr, Flag{&Options::quoted}},
    {"right1-button", "<label>", custom_button<3>},
    {"right1-exit-code", "<retval>", custom_exit_code<3>},
    {"right2-button", "<label>", custom_button<4>},
    {"right2-exit-code", "<retval>", custom_exit_code<4>},
    {"right3-button", "<label>", custom_button<5>},
    {"right3-exit-code", "<retval>", custom_exit_code<5>},
    {"save-theme", "<file>", save_theme},
    {"separate-output", nullptr, Flag{&Options::separate_output}},
    {"separator", "<sep>", &Options::output_separator},
    {"shadow", nullptr, Flag{&DialogConf::shadow}},
    {"single-quoted", nullptr, Flag{&Options::single_quoted}},
    {"sleep", "<secs>", sleep_for},
    {"stderr", nullptr, output_to<STDERR_FILENO>},
    {"stdout", nullptr, output_to<STDOUT_FILENO>},
    {"switch-buttons", nullptr, Flag{&DialogConf::enter_activates_default, false}},
    {"tab-escape", nullptr, Flag{&Options::tab_escape}},
    {"tab-len", "<spaces>", tab_len},
    {"text-escape", nullptr, no_effect},
    {"text-unchanged", nullptr, Flag{&Options::text_unchanged}},
    {"theme", "3d|blackwhite|flat", theme},
    {"timeout", "<secs>", timeout_after},
    {"timeout-exit-code", "<retval>", exit_code<RESULT_TIMEOUT>},
    {"time-format", "<format>", &Options::time_format},
    {"title", "<title>", &DialogConf::title},
    {"yes-label", "<label>", &DialogConf::ok_label},
};

bool is_accepted(const OptionRow &row) {
    return !std::holds_alternative<HelpOnly>(row.effect);
}

// The code of a row is that of the first row with its effect, so that
// synonyms share it.
int row_code(size_t index) {
    size_t first = 0;
    while (rows[first].effect != rows[index].effect)
        ++first;
    return FIRST_ROW_CODE + static_cast<int>(first);
}

template <class Record> Record &record_of(SegmentConfig &config);
template <> DialogConf &record_of(SegmentConfig &config) {
    return config.conf;
}
template <> Options &record_of(SegmentConfig &config) {
    return config.opts;
}
template <> SegmentJobs &record_of(SegmentConfig &config) {
    return config.jobs;
}

// Does what a row says with the option's argument (null for an option that
// takes none).
struct ApplyEffect {
    SegmentConfig &config;
    const char *arg;

    template <class Record> std::optional<ScanStep> operator()(const char *Record::*field) {
        record_of<Record>(config).*field = arg;
        return std::nullopt;
    }
    template <class Record> std::optional<ScanStep> operator()(Flag<Record> flag) {
        record_of<Record>(config).*flag.field = flag.value;
        return std::nullopt;
    }
    std::optional<ScanStep> operator()(OptionHandler handler) { return handler(config, arg); }
    std::optional<ScanStep> operator()(HelpOnly) { return std::nullopt; }
};

int select_dialog(SegmentJobs &jobs, const DialogEntry &dialog) {
    if (jobs.dialog != nullptr)
        // TRANSLATORS: two dialog options, e.g. "--msgbox and --yesno", given in
        // one segment of the command line; option names stay as they are.
        return warn_msg(-1, _("%s and %s without --and-dialog"), jobs.dialog->option,
                        dialog.option);
    jobs.dialog = &dialog;
    return 0;
}

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

void reset_segment_config(SegmentConfig *config) {
    reset_dialog_conf(&config->conf);
    reset_options(&config->opts);
    config->jobs = SegmentJobs{};
}

std::span<const OptionRow> option_rows() {
    return rows;
}

std::string option_help() {
    constexpr size_t WIDTH = 80;
    std::string help;
    std::string line;
    for (const OptionRow &row : rows) {
        if (!row.in_help)
            continue;
        std::string item = std::string(" --") + row.name;
        if (row.value != nullptr)
            item += std::string(" ") + row.value;
        // Each item but the last ends in a comma, added before the next.
        if (!line.empty() && line.size() + 1 + item.size() + 1 > WIDTH) {
            help += line + ",\n";
            line.clear();
        } else if (!line.empty()) {
            line += ",";
        }
        line += item;
    }
    return help + line + ".";
}

OptionParser::OptionParser(std::span<const DialogEntry> dialogs) : dialogs_(dialogs) {
    for (size_t i = 0; i < dialogs.size(); ++i)
        table_.push_back(
            {dialogs[i].option + 2, no_argument, nullptr, FIRST_DIALOG_CODE + static_cast<int>(i)});
    for (size_t i = 0; i < std::size(rows); ++i) {
        if (is_accepted(rows[i]))
            table_.push_back({rows[i].name,
                              rows[i].value != nullptr ? required_argument : no_argument, nullptr,
                              row_code(i)});
    }
    table_.push_back({nullptr, 0, nullptr, 0});
}

// Returns a side job, an error, or nothing when the scan simply goes on.
std::optional<ScanStep> OptionParser::apply_option(SegmentConfig &config, int code,
                                                   const char *arg) const {
    if (code >= FIRST_DIALOG_CODE &&
        static_cast<size_t>(code - FIRST_DIALOG_CODE) < dialogs_.size())
        return checked(select_dialog(config.jobs, dialogs_[code - FIRST_DIALOG_CODE]));
    return std::visit(ApplyEffect{config, arg}, rows[code - FIRST_ROW_CODE].effect);
}

SegmentScan::SegmentScan(const OptionParser &parser, int n, char **argv)
    : parser_(parser), n_(n), argv_(argv) {
    // Not 1: 0 also forgets where getopt_long stood inside an earlier
    // argument ("-xy" is read a letter at a time).
    optind = 0;
}

// Positional arguments are collected here rather than left to getopt_long's
// permutation, which POSIXLY_CORRECT in the environment would turn off: then
// an option after the dialog's arguments would be taken for one of them.
ScanStep SegmentScan::next(SegmentConfig &config) {
    // Each argument is moved to an element that getopt_long has passed.
    auto gather = [&](char *arg) { argv_[1 + positional_++] = arg; };
    for (;;) {
        int code = getopt_long(n_, argv_, "-", parser_.table_.data(), nullptr);
        if (code == -1) {
            // After "--", everything left is positional.
            while (optind < n_)
                gather(argv_[optind++]);
            return {ScanStep::Kind::end};
        }
        if (code == POSITIONAL_ARGUMENT) {
            gather(optarg);
            // The plain arguments that follow are taken at once: a list's
            // items are most of a long command line, and getopt_long would
            // hand them over one call each.
            while (optind < n_ && is_plain_argument(argv_[optind]))
                gather(argv_[optind++]);
            continue;
        }
        if (code == '?') {
            // getopt_long has written its own diagnostic.
            if (config.jobs.ignore)
                continue;
            // TRANSLATORS: after an unknown option: use the option --ignore to go on
            // regardless.
            warn_msg(-1, _("--ignore to continue"));
            return {ScanStep::Kind::error};
        }
        if (std::optional<ScanStep> step = parser_.apply_option(config, code, optarg))
            return *step;
    }
}
