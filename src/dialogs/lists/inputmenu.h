// The inputmenu: a menu whose rows' item texts can be renamed in place. Its
// rename answer is made here without widgets, so that unit tests can read it.
#pragma once

#include <string>

#include "core/records.h"

// The answer of a confirmed rename: RENAMED, the row's tag and its new item
// text, one space apart, then a newline. Under --quoted the tag and the
// text are each quoted where they need it, as the menu's answer is, and an
// empty one too: a shell then reads back exactly three words.
std::string renamed_line(const Options *opts, const char *tag, const char *text);
