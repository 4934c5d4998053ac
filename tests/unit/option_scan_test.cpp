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
    Options opts;
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
    args.insert(args.begin(), "wrenpane");
    std::vector<char *> argv;
    for (std::string &arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    SegmentConfig config{};
    reset_dialog_conf(&config.conf);
    reset_options(&config.opts);
    Scanned scanned;
    int positional = 0;
    opterr = 0;
    optind = 0;
    for (;;) {
        ScanStep step = parser.scan(config, static_cast<int>(args.size()), argv.data(), positional);
        if (step.kind == ScanStep::Kind::error)
            scanned.failed = true;
        if (step.kind != ScanStep::Kind::side_job)
            break;
        scanned.jobs.push_back(describe(step.job));
    }
    scanned.positional.assign(argv.begin() + 1, argv.begin() + 1 + positional);
    scanned.opts = config.opts;
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
    EXPECT_EQ(scanned.opts.output_fd, 3);
    EXPECT_FALSE(scanned.opts.need_dialog);
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

} // namespace
