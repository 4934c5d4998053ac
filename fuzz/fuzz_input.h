// Turning a fuzzer's bytes into the inputs the program takes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
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
