#include "dialogs/mixedgauge_bar.h"

#include "core/i18n.h"
#include "core/numbers.h"
#include "dialogs/gauge_protocol.h"

bool mixedgauge_args_count_ok(int argc) {
    return argc < 2 || argc % 2 == 1;
}

int mixedgauge_value(const char *arg) {
    return leading_int32(arg);
}

MixedgaugeBar mixedgauge_bar(int value) {
    if (value >= 0) {
        int percent = value < 100 ? value : 100;
        return {gauge_percent_text(static_cast<unsigned>(percent)), percent / 100.0, false};
    }
    switch (value) {
    case -1:
        // TRANSLATORS: the states of a sub-task, shown in its bar in a status report.
        return {_("Success"), 1.0, false};
    case -2:
        return {_("Failed"), 0.0, false};
    case -3:
        return {_("Passed"), 1.0, false};
    case -4:
        return {_("Completed"), 1.0, false};
    case -5:
        return {_("Checked"), 1.0, false};
    case -6:
        return {_("Done"), 1.0, false};
    case -7:
        return {_("Skipped"), 0.0, false};
    case -8:
        return {_("In Progress"), 0.0, true};
    case -9:
        return {"", 0.0, false};
    case -10:
        return {_("N/A"), 0.0, false};
    case -11:
        return {_("Pending"), 0.0, false};
    default:
        return {_("Unknown"), 0.0, false};
    }
}
