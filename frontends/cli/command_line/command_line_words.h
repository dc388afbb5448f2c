#pragma once

#include <cstddef>
#include <string>

#include <CLI/CLI.hpp>

// --help and the usage errors in the program's own words, laid out for the terminal:
// the parser's own texts never reach the user.
namespace voq::cli {

class HelpFormatter : public CLI::FormatterBase {
public:
    // usage: the lines after "Usage: ", one a way of calling the program.
    HelpFormatter(std::size_t width, std::string usage);
    std::string make_help(const CLI::App* app, std::string name, CLI::AppFormatMode mode) const override;

private:
    std::size_t width_;
    std::string usage_;
};

// What was wrong with the command line, said of the options it names; argv is the one
// the parser refused.
std::string usage_problem(const CLI::ParseError& error, const CLI::App& app, int argc, char** argv);

}  // namespace voq::cli
