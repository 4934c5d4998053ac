// Turning a fuzzer's bytes into the inputs the program takes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The bytes split at NUL into command-line arguments (at most max_args).
inline std::vector<std::string> split_arguments(const uint8_t *data, size_t size,
                                                size_t max_args = 64) {
    std::vector<std::string> args(1);
    for (size_t i = 0; i < size && args.size() <= max_args; ++i) {
        if (data[i] == '\0')
            args.emplace_back();
        else
            args.back().push_back(static_cast<char>(data[i]));
    }
    return args;
}

// A NULL-terminated argv over args (which must outlive it).
inline std::vector<char *> argv_of(std::vector<std::string> &args) {
    std::vector<char *> argv;
    for (std::string &arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    return argv;
}

// Bytes to be fed in reads of varying lengths: the first byte says how many
// of the next bytes (at most 7) give the lengths; the rest is the input.
struct CutInput {
    std::string_view cuts;
    std::string_view input;
};

// size must not be 0.
inline CutInput split_cuts(const uint8_t *data, size_t size) {
    size_t cut_count = data[0] % 8 < size - 1 ? data[0] % 8 : size - 1;
    const char *bytes = reinterpret_cast<const char *>(data + 1);
    return {std::string_view(bytes, cut_count),
            std::string_view(bytes + cut_count, size - 1 - cut_count)};
}

// The length of the next read, from 1 to most, taken in turn from cuts (the
// whole rest when there are no cuts).
inline size_t next_read_length(std::string_view cuts, size_t &turn, size_t most, size_t rest) {
    size_t length =
        cuts.empty() ? rest : 1 + static_cast<uint8_t>(cuts[turn++ % cuts.size()]) % most;
    return length < rest ? length : rest;
}
