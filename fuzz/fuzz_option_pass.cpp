// The option pass over one segment: arguments split at NUL bytes, run
// through getopt_long and the effect of every option, without a display.
#include <getopt.h>

#include "cli/option_table.h"
#include "dialogs/catalog.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static OptionParser parser(dialog_catalog());
    std::vector<std::string> args = split_arguments(data, size);
    args.insert(args.begin(), "wrenpane");
    std::vector<char *> argv = argv_of(args);
    SegmentConfig config;
    reset_segment_config(&config);
    opterr = 0; // getopt's complaints about bad options would flood the log
    SegmentScan scan(parser, static_cast<int>(args.size()), argv.data());
    // Side jobs are the driver's; the scan just goes on past them.
    while (scan.next(config).kind == ScanStep::Kind::side_job) {
    }
    // The positional arguments are gathered behind element 0, which stays.
    if (scan.positional().size() >= args.size() || argv[0] != args[0].data())
        __builtin_trap();
    return 0;
}
