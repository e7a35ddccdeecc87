// The option and its value split apart, strictly.
#include "command_options.h"

bool readCommandOption(const std::vector<std::string>& arguments, std::size_t& index,
                       std::initializer_list<const char*> valued, CommandOption& option,
                       std::string& error) {
    option.name = arguments[index];
    option.value.clear();
    bool hasValue = false;
    const std::size_t equals = option.name.find('=');
    if (option.name.compare(0, 2, "--") == 0 && equals != std::string::npos) {
        option.value = option.name.substr(equals + 1);
        option.name.resize(equals);
        hasValue = true;
    }
    bool takesValue = false;
    for (const char* name : valued)
        takesValue = takesValue || option.name == name;
    if (takesValue && !hasValue) {
        if (index + 1 >= arguments.size()) {
            error = option.name + " needs a value";
            return false;
        }
        option.value = arguments[++index];
    } else if (!takesValue && hasValue) {
        error = option.name + " takes no value";
        return false;
    }
    if (takesValue && option.value.empty()) {
        error = option.name + " needs a non-empty value";
        return false;
    }
    return true;
}

std::string unmatchedArgumentError(const std::string& name) {
    return (name.compare(0, 1, "-") == 0 ? "unknown option '" : "unexpected argument '") + name +
           "'";
}
