// Reading a command line's options in the "--name value" and "--name=value"
// forms the project's programs share: which options take a value is the
// program's, the checks and their messages are common.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <vector>

struct CommandOption {
    std::string name;  // as written, without any "=value"
    std::string value; // empty for an option that takes none
};

// Reads the option at arguments[index], with its value from "=value" or the
// next argument (index then moves to it) when its name is one of `valued`.
// False with `error` for a missing or empty value, or a value given to an
// option that takes none.
bool readCommandOption(const std::vector<std::string>& arguments, std::size_t& index,
                       std::initializer_list<const char*> valued, CommandOption& option,
                       std::string& error);

// The error for an argument no option of the program matches: "unknown
// option 'NAME'" for what begins with '-', "unexpected argument 'NAME'" else.
std::string unmatchedArgumentError(const std::string& name);
