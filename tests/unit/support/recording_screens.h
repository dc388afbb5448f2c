#pragma once

#include <string>
#include <utility>
#include <vector>

#include "ui/screens.h"

namespace voq::test {

// Thrown where the product would end the process, so that a test can look at what
// was shown before.
struct ProcessEnded {};

// A front-end for unit tests: it keeps every report and turns the end of the
// process into ProcessEnded.
class RecordingScreens : public ui::Screens {
public:
    bool window_class_registers = true;
    int common_control_inits = 0;
    std::vector<std::pair<std::string, std::string>> reports;  // message, title

    bool register_window_class() override { return window_class_registers; }
    void init_common_controls() override { ++common_control_inits; }
    void report_error(std::string_view message, std::string_view title) override
    {
        reports.emplace_back(message, title);
    }
    [[noreturn]] void end_process() override { throw ProcessEnded{}; }
};

}  // namespace voq::test
