// Every option the program accepts is documented in the manual page; the
// bash completion offers every option accepted and nothing
// else, and knows which of them take a value.
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <set>
#include <sstream>
#include <string>
#include <variant>

#include "cli/option_table.h"
#include "dialogs/catalog.h"

namespace {

// --help and --version are answered before the option pass, so they are not
// in the parser's table.
std::set<std::string> accepted_options() {
    std::set<std::string> names = {"--help", "--version"};
    OptionParser parser(dialog_catalog());
    for (const struct option &entry : parser.options())
        names.insert(std::string("--") + entry.name);
    return names;
}

// The options of the rows that keep picks.
std::set<std::string> option_rows_where(bool (*keep)(const OptionRow &)) {
    std::set<std::string> names;
    for (const OptionRow &row : option_rows())
        if (keep(row))
            names.insert(std::string("--") + row.name);
    return names;
}

bool takes_a_value(const OptionRow &row) {
    return row.value != nullptr && !std::holds_alternative<HelpOnly>(row.effect);
}

std::string read_file(const char *path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The words that a command run after sourcing the completion prints.
std::set<std::string> completion_words(const std::string &shell_command) {
    std::string command =
        "bash -c 'source \"$0\"; " + shell_command + "' '" + WRENPANE_COMPLETION_PATH + "'";
    std::set<std::string> names;
    FILE *out = popen(command.c_str(), "r");
    if (out == nullptr)
        return names;
    char word[256];
    while (fscanf(out, "%255s", word) == 1)
        names.insert(word);
    pclose(out);
    return names;
}

// What the completion offers for "wrenpane --<TAB>".
std::set<std::string> completed_options() {
    return completion_words("COMP_WORDS=(wrenpane --); COMP_CWORD=1; _wrenpane; "
                            "printf \"%s\\n\" \"${COMPREPLY[@]}\"");
}

TEST(OptionDocs, ManualPageDocumentsEveryOptionInBold) {
#ifndef WRENPANE_MANUAL_PATH
    GTEST_SKIP() << "the manual page is not built";
#else
    const std::string manual = read_file(WRENPANE_MANUAL_PATH);
    ASSERT_FALSE(manual.empty()) << WRENPANE_MANUAL_PATH;
    for (const std::string &name : accepted_options())
        EXPECT_NE(manual.find("\\fB" + name + "\\fR"), std::string::npos) << name;
#endif
}

// The names of one set that the other lacks, blank-separated.
std::string missing_from(const std::set<std::string> &names, const std::set<std::string> &from) {
    std::string missing;
    for (const std::string &name : from)
        if (!names.contains(name))
            missing += name + " ";
    return missing;
}

TEST(OptionDocs, CompletionOffersExactlyTheAcceptedOptions) {
    const std::set<std::string> offered = completed_options();
    const std::set<std::string> accepted = accepted_options();
    EXPECT_EQ(missing_from(offered, accepted), "") << "accepted, not offered";
    EXPECT_EQ(missing_from(accepted, offered), "") << "offered, not accepted";
}

// The completion offers nothing after an option that takes a value, where
// the user types it: it must know them all.
TEST(OptionDocs, CompletionKnowsTheOptionsThatTakeAValue) {
    const std::set<std::string> known = completion_words("echo $_wrenpane_valued");
    const std::set<std::string> valued = option_rows_where(takes_a_value);
    EXPECT_EQ(missing_from(known, valued), "") << "take a value, not known so";
    EXPECT_EQ(missing_from(valued, known), "") << "known to take a value, take none";
}

} // namespace
