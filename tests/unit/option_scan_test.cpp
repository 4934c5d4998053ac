// The option pass hands its side jobs back in command-line order, each with
// the output descriptor as it stood at that point, and gathers the
// positional arguments wherever they stand.
#include <getopt.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "cli/option_table.h"
#include "dialogs/catalog.h"

namespace {

struct Scanned {
    std::vector<std::string> jobs; // "kind arg fd result", one per job
    std::vector<std::string> positional;
    bool failed = false;
    // Its texts point into args, which a move of the vector keeps in place.
    SegmentConfig config;
    std::vector<std::string> args;
};

std::string describe(const SideJob &job) {
    static const char *const kinds[] = {"maxsize", "version", "theme", "exit-code"};
    std::string text = kinds[static_cast<int>(job.kind)];
    if (job.arg != nullptr)
        text += std::string(" ") + job.arg;
    if (job.kind == SideJob::Kind::print_maxsize || job.kind == SideJob::Kind::print_version)
        text += " fd " + std::to_string(job.output_fd);
    if (job.kind == SideJob::Kind::set_exit_code)
        text += " for " + std::to_string(job.result);
    return text;
}

Scanned scan_all(std::vector<std::string> args) {
    static const OptionParser parser(dialog_catalog());
    Scanned scanned;
    scanned.args = std::move(args);
    scanned.args.insert(scanned.args.begin(), "wrenpane");
    std::vector<char *> argv;
    for (std::string &arg : scanned.args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    reset_segment_config(&scanned.config);
    opterr = 0;
    SegmentScan scan(parser, static_cast<int>(scanned.args.size()), argv.data());
    for (;;) {
        ScanStep step = scan.next(scanned.config);
        if (step.kind == ScanStep::Kind::error)
            scanned.failed = true;
        if (step.kind != ScanStep::Kind::side_job)
            break;
        scanned.jobs.push_back(describe(step.job));
    }
    scanned.positional.assign(scan.positional().begin(), scan.positional().end());
    return scanned;
}

using Strings = std::vector<std::string>;

TEST(OptionScan, SideJobsComeBackInOrderWithTheDescriptorOfTheirTime) {
    Scanned scanned = scan_all({"--print-version", "--stdout", "--print-maxsize", "--theme", "Dark",
                                "--msgbox", "hi", "--cancel-exit-code", "9", "0", "--output-fd",
                                "3", "--print-version", "0"});
    EXPECT_FALSE(scanned.failed);
    EXPECT_EQ(scanned.jobs,
              (Strings{"version fd 2", "maxsize fd 1", "theme Dark",
                       "exit-code 9 for " + std::to_string(RESULT_CANCEL), "version fd 3"}));
    EXPECT_EQ(scanned.positional, (Strings{"hi", "0", "0"}));
    EXPECT_EQ(scanned.config.opts.output_fd, 3);
    EXPECT_FALSE(scanned.config.jobs.need_dialog);
}

TEST(OptionScan, PositionalArgumentsAroundOptionsAndAfterDoubleDash) {
    Scanned scanned = scan_all({"a", "--title", "T", "b", "--", "--title", "-1"});
    EXPECT_FALSE(scanned.failed);
    EXPECT_TRUE(scanned.jobs.empty());
    EXPECT_EQ(scanned.positional, (Strings{"a", "b", "--title", "-1"}));
}

TEST(OptionScan, RunsOfPlainArgumentsStopAtEachOption) {
    Scanned scanned = scan_all({"--ignore", "a", "-", "b", "-xy", "c", "d", "--title", "e", "f",
                                "--print-version", "g", "h"});
    EXPECT_FALSE(scanned.failed);
    EXPECT_EQ(scanned.jobs, (Strings{"version fd 2"}));
    EXPECT_EQ(scanned.positional, (Strings{"a", "-", "b", "c", "d", "f", "g", "h"}));
}

TEST(OptionScan, AnErrorEndsTheScanAfterTheJobsBeforeIt) {
    Scanned scanned = scan_all({"--print-version", "--bogus", "--print-version"});
    EXPECT_TRUE(scanned.failed);
    EXPECT_EQ(scanned.jobs, (Strings{"version fd 2"}));
}

// Rows with one effect are synonyms: "--and" names only the two separators,
// so it is no ambiguity; "--item-" names three options.
TEST(OptionScan, APrefixSharedOnlyBySynonymsIsNotAmbiguous) {
    EXPECT_FALSE(scan_all({"--msgbox", "x", "--and"}).failed);
    Scanned ambiguous = scan_all({"--msgbox", "x", "--item-"});
    EXPECT_TRUE(ambiguous.failed);
    Scanned synonym = scan_all({"--msgbox", "x", "--nook", "--no-t", "--exit-l", "E"});
    EXPECT_FALSE(synonym.failed);
    EXPECT_TRUE(synonym.config.conf.no_ok);
    EXPECT_TRUE(synonym.config.conf.no_names);
    EXPECT_STREQ(synonym.config.conf.ok_label, "E");
}

// --timeout reads its seconds as --sleep does, and is an option of its own
// rather than a shortened --timeout-exit-code.
TEST(OptionScan, TimeoutIsReadAsSleepIs) {
    Scanned scanned = scan_all({"--timeout", "3", "--sleep", "4"});
    EXPECT_FALSE(scanned.failed);
    EXPECT_TRUE(scanned.jobs.empty());
    EXPECT_EQ(scanned.config.conf.timeout_ms, 3000u);
    EXPECT_EQ(scanned.config.conf.sleep_ms, 4000u);
    for (const char *arg : {"0", "abc", "99999999999999999999"})
        EXPECT_EQ(scan_all({"--timeout", arg}).config.conf.timeout_ms, sleep_milliseconds(arg))
            << arg;
    EXPECT_EQ(scan_all({}).config.conf.timeout_ms, 0u);
    EXPECT_TRUE(scan_all({"--timeo", "3"}).failed); // two options now
}

TEST(OptionScan, DateboxFormatTakesThreeOrdersOnly) {
    EXPECT_EQ(scan_all({}).config.opts.datebox_order, DateOrder::day_month_year);
    const std::pair<const char *, DateOrder> orders[] = {
        {"d/m/y", DateOrder::day_month_year},
        {"m/d/y", DateOrder::month_day_year},
        {"y/m/d", DateOrder::year_month_day},
    };
    for (auto [arg, order] : orders) {
        Scanned scanned = scan_all({"--datebox-format", arg});
        EXPECT_FALSE(scanned.failed) << arg;
        EXPECT_EQ(scanned.config.opts.datebox_order, order) << arg;
    }
    for (const char *arg : {"", "d/m/Y", "y/m/d/", "ymd", "d/d/d"})
        EXPECT_TRUE(scan_all({"--datebox-format", arg}).failed) << arg;
}

// A stop wider than any dialog is taken as the widest; no stop at all, or
// anything but a number, is an error.
TEST(OptionScan, TabLenTakesAWholePositiveNumberUpToTheWidest) {
    EXPECT_EQ(scan_all({}).config.opts.tab_len, DEFAULT_TAB_LEN);
    const std::pair<const char *, int> accepted[] = {
        {"1", 1}, {"4", 4}, {"256", 256}, {"257", MAX_TAB_LEN}, {"2147483647", MAX_TAB_LEN}};
    for (auto [arg, columns] : accepted) {
        Scanned scanned = scan_all({"--tab-len", arg});
        EXPECT_FALSE(scanned.failed) << arg;
        EXPECT_EQ(scanned.config.opts.tab_len, columns) << arg;
    }
    for (const char *arg : {"0", "-4", "", "abc", "4x", "99999999999999999999"})
        EXPECT_TRUE(scan_all({"--tab-len", arg}).failed) << arg;
}

// A scan starts afresh, even after one that stopped inside a cluster of
// one-letter options.
TEST(OptionScan, EachScanStartsAfresh) {
    EXPECT_TRUE(scan_all({"-xy"}).failed);
    Scanned next = scan_all({"a", "--title", "T"});
    EXPECT_FALSE(next.failed);
    EXPECT_EQ(next.positional, (Strings{"a"}));
    EXPECT_STREQ(next.config.conf.title, "T");
}

} // namespace
