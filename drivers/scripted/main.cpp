// voq-upgrade-scripted SCRIPT TRANSCRIPT: the program with screens that answer from
// SCRIPT and a record of everything shown in TRANSCRIPT. Formats: tests/e2e/README.md.

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>

#include "app/entry.h"
#include "drivers/scripted/scripted_screens.h"
#include "firmware/embedded.h"
#include "session/trace.h"
#include "tftp/completion.h"

namespace {

voq::ui::scripted::Transcript* transcript = nullptr;
std::vector<std::uint32_t> scripted_local_addresses;

void trace_into_transcript(std::string_view text) { transcript->line("trace " + voq::ui::scripted::quoted(text)); }

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fputs("usage: voq-upgrade-scripted SCRIPT TRANSCRIPT\n", stderr);
        return 2;
    }
    std::ifstream script_file(argv[1], std::ios::binary);
    if (!script_file) {
        std::fprintf(stderr, "voq-upgrade-scripted: cannot read %s\n", argv[1]);
        return 2;
    }
    const std::string script_text{std::istreambuf_iterator<char>(script_file), std::istreambuf_iterator<char>()};
    auto parsed = voq::ui::scripted::parse_script(script_text);
    if (const auto* problem = std::get_if<std::string>(&parsed)) {
        std::fprintf(stderr, "voq-upgrade-scripted: %s: %s\n", argv[1], problem->c_str());
        return 2;
    }
    auto script = std::get<voq::ui::scripted::Script>(std::move(parsed));

    std::FILE* output = std::fopen(argv[2], "wb");
    if (output == nullptr) {
        std::fprintf(stderr, "voq-upgrade-scripted: cannot write %s\n", argv[2]);
        return 2;
    }
    static voq::ui::scripted::Transcript lines(output, script.transcript_every_block);
    transcript = &lines;
    voq::set_trace_sink(trace_into_transcript);

    voq::app::StartupServices services = voq::app::standard_startup_services();
    if (script.local_addresses) {
        scripted_local_addresses = *script.local_addresses;
        services.local_addresses = [] { return scripted_local_addresses; };
    }

    // Like the product's, the Session lives for the whole process and is never freed.
    static voq::session::Session session(voq::fw::built_stage_flag());
    if (script.restart_wait_ms) session.restart_wait_ms = *script.restart_wait_ms;
    if (script.transfer_silence_floor_ms) session.transfer_silence_floor_ms = *script.transfer_silence_floor_ms;
    if (script.reread_spacing_ms) session.reread_spacing_ms = *script.reread_spacing_ms;
    static voq::ui::scripted::ScriptedScreens screens(std::move(script), lines);

    const int status = voq::app::program_entry(session, screens, services);
    lines.line("exit " + std::to_string(status));
    return status;
}
