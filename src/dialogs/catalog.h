// The table of every dialog the program knows, in the order of the help
// text. The option table, the dispatch and the help text come from it.
#pragma once

#include <span>

#include "core/records.h"

std::span<const DialogEntry> dialog_catalog();
