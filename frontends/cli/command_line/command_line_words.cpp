#include "frontends/cli/command_line/command_line_words.h"

#include <sstream>
#include <string_view>

#include "frontends/cli/command_line/help_text.h"

namespace voq::cli {

namespace {

constexpr std::size_t text_column = 30;

std::string option_names(const CLI::Option& option)
{
    std::string names;
    for (const std::string& name : option.get_snames()) names += (names.empty() ? "-" : ", -") + name;
    for (const std::string& name : option.get_lnames()) names += (names.empty() ? "--" : ", --") + name;
    return names;
}

std::string long_name(const CLI::Option& option)
{
    if (!option.get_lnames().empty()) return "--" + option.get_lnames().front();
    if (!option.get_snames().empty()) return "-" + option.get_snames().front();
    return option.get_name(true);
}

bool takes_value(const CLI::Option& option) { return option.get_expected_min() > 0; }

std::string option_text(const CLI::Option& option)
{
    std::string text = option.get_description();
    if (!option.get_default_str().empty()) text += " (default " + option.get_default_str() + ")";
    std::string excluded;
    for (const CLI::Option* other : option.get_excludes())
        excluded += (excluded.empty() ? "" : ", ") + long_name(*other);
    if (!excluded.empty()) text += "; not with " + excluded;
    return text;
}

// The option argument names when it is one of the program's, taking a value or not.
const CLI::Option* option_named(const CLI::App& app, std::string_view argument)
{
    if (!argument.starts_with("-") || argument.size() < 2) return nullptr;
    const std::string name(argument.substr(0, argument.find('=')));
    for (const CLI::Option* option : app.get_options())
        if (!option->get_positional() && option->check_name(name)) return option;
    return nullptr;
}

}  // namespace

HelpFormatter::HelpFormatter(std::size_t width, std::string usage) : width_(width), usage_(std::move(usage)) {}

std::string HelpFormatter::make_help(const CLI::App* app, std::string, CLI::AppFormatMode) const
{
    std::string help;
    std::istringstream description(app->get_description());
    for (std::string line; std::getline(description, line);) help += paragraph(line, width_);
    help += "\nUsage: ";
    std::istringstream usage(usage_);
    bool first = true;
    for (std::string line; std::getline(usage, line); first = false) help += (first ? "" : "       ") + line + "\n";
    const std::size_t column = std::min(text_column, width_ / 2);
    std::string arguments, options;
    for (const CLI::Option* option : app->get_options()) {
        if (option->get_group().empty()) continue;
        if (option->get_positional()) {
            arguments += list_entry(option->get_name(true), option_text(*option), width_, column);
            continue;
        }
        std::string label = option_names(*option);
        if (takes_value(*option)) label += " " + option->get_type_name();
        options += list_entry(label, option_text(*option), width_, column);
    }
    if (!arguments.empty()) help += "\nArguments:\n" + arguments;
    if (!options.empty()) help += "\nOptions:\n" + options;
    if (!app->get_footer().empty()) help += "\n" + app->get_footer();
    return help;
}

std::string usage_problem(const CLI::ParseError& error, const CLI::App& app, int argc, char** argv)
{
    if (dynamic_cast<const CLI::ExtrasError*>(&error) != nullptr) {
        const std::vector<std::string> extra = app.remaining();
        const std::string first = extra.empty() ? std::string() : extra.front();
        if (first.starts_with("-") && first.size() > 1) return "no such option: " + first;
        return "one argument too many: " + first;
    }
    if (dynamic_cast<const CLI::ExcludesError*>(&error) != nullptr) {
        for (const CLI::Option* option : app.get_options())
            for (const CLI::Option* other : option->get_excludes())
                if (option->count() > 0 && other->count() > 0)
                    return long_name(*option) + " and " + long_name(*other) + " cannot be given together";
    }
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&error) != nullptr) {
        for (const CLI::Option* option : app.get_options())
            if (takes_value(*option) && option->count() > 1) return long_name(*option) + " given more than once";
        // An option at the end, or before another option, has no value to take.
        for (int i = 1; i < argc; ++i) {
            const std::string_view argument = argv[i];
            if (argument == "--") break;
            const CLI::Option* option = option_named(app, argument);
            if (option == nullptr || !takes_value(*option) || argument.find('=') != std::string_view::npos) continue;
            if (i + 1 == argc || option_named(app, argv[i + 1]) != nullptr)
                return long_name(*option) + " needs a value: " + option->get_type_name();
            ++i;
        }
    }
    // The program's own checks say what is wrong; the parser puts the option's name first.
    if (dynamic_cast<const CLI::ValidationError*>(&error) != nullptr) return error.what();
    return "the command line could not be read; the options are in --help";
}

}  // namespace voq::cli
