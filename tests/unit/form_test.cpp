#include <climits>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "dialogs/form.h"

namespace {

TEST(FieldLayoutTest, FieldLengthRules) {
    struct {
        long fieldlen, maxletters;
        FieldLayout expected;
    } cases[] = {
        // fieldlen 0: natural width, editable; no limit, so the entry fills its row.
        {0, 0, {0, true, 0, true}},
        {12, 0, {12, true, 12, false}},
        {-20, 0, {20, false, 20, false}},
        {10, 40, {10, true, 40, false}},
        {-10, 3, {10, false, 3, false}},
        {0, 7, {0, true, 7, false}},
        // A negative maxletters sets no limit and does not expand.
        {8, -5, {8, true, -5, false}},
        {0, -5, {0, true, -5, false}},
        // The magnitude of the most negative number must not overflow.
        {LONG_MIN, 0, {LONG_MAX, false, LONG_MAX, false}},
    };
    for (const auto &c : cases) {
        FieldLayout got = field_layout(c.fieldlen, c.maxletters);
        SCOPED_TRACE("fieldlen " + std::to_string(c.fieldlen) + ", maxletters " +
                     std::to_string(c.maxletters));
        EXPECT_EQ(got.width_chars, c.expected.width_chars);
        EXPECT_EQ(got.editable, c.expected.editable);
        EXPECT_EQ(got.max_length, c.expected.max_length);
        EXPECT_EQ(got.expand, c.expected.expand);
    }
}

TEST(FormArgsTest, FormrowsAndWholeGroups) {
    struct {
        std::vector<std::string> args;
        int group_size;
        bool valid;
    } cases[] = {
        {{}, FORM_GROUP_SIZE, false},
        {{"0"}, FORM_GROUP_SIZE, true},
        {{"5"}, MIXEDFORM_GROUP_SIZE, true},
        {{"-1"}, FORM_GROUP_SIZE, false},
        {{"rows"}, FORM_GROUP_SIZE, true}, // not a number reads as 0
        {{"1", "a", "1", "1", "i", "1", "9", "10", "0"}, FORM_GROUP_SIZE, true},
        {{"1", "a", "1", "1", "i", "1", "9", "10", "0"}, MIXEDFORM_GROUP_SIZE, false},
        {{"1", "a", "1", "1", "i", "1", "9", "10", "0", "2"}, FORM_GROUP_SIZE, false},
        {{"1", "a", "1", "1", "i", "1", "9", "10", "0", "2"}, MIXEDFORM_GROUP_SIZE, true},
        {{"-3", "a", "1", "1", "i", "1", "9", "10", "0"}, FORM_GROUP_SIZE, false},
    };
    for (const auto &c : cases) {
        std::vector<const char *> argv;
        for (const std::string &arg : c.args)
            argv.push_back(arg.c_str());
        EXPECT_EQ(form_args_valid(argv, c.group_size), c.valid)
            << argv.size() << " arguments, groups of " << c.group_size;
    }
}

} // namespace
