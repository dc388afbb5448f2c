#include "frontends/cli/run/circumstances.h"

#include "platform/local_addresses.h"
#include "platform/port_holder.h"
#include "platform/process.h"

namespace voq::cli {

record::Circumstances circumstances_of(const record::RunReport& report, bool http_unanswered, bool port_69_holder)
{
    record::Circumstances around{platform::netmask_of(report.pc_address)};
    around.root = platform::runs_as_root();
    around.http_unanswered = http_unanswered;
    if (!port_69_holder) return around;
    if (auto holder = platform::udp_port_holder(report.pc_address, record::first_listener_port)) {
        around.port_69_ours = holder->this_program;
        if (!holder->this_program) around.port_69_holder = std::move(holder->name);
    }
    return around;
}

}  // namespace voq::cli
