// Every option the program accepts is documented in the manual page and
// offered by the bash completion, and the completion offers nothing else.
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <set>
#include <sstream>
#include <string>

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

std::string read_file(const char *path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// What the completion offers for "wrenpane --<TAB>", one name per line.
std::set<std::string> completed_options() {
    std::string command = std::string("bash -c 'source \"$0\"; COMP_WORDS=(wrenpane --); "
                                      "COMP_CWORD=1; _wrenpane; printf \"%s\\n\" "
                                      "\"${COMPREPLY[@]}\"' '") +
                          WRENPANE_COMPLETION_PATH + "'";
    std::set<std::string> names;
    FILE *out = popen(command.c_str(), "r");
    if (out == nullptr)
        return names;
    char line[256];
    while (fgets(line, sizeof line, out) != nullptr) {
        std::string name(line);
        if (!name.empty() && name.back() == '\n')
            name.pop_back();
        names.insert(name);
    }
    pclose(out);
    return names;
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

} // namespace
