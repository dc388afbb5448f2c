#include "app/startup.h"

#include <algorithm>

#include "firmware/product.h"
#include "session/failure_codes.h"
#include "session/trace.h"
#include "ui/failure.h"
#include "ui/screens.h"

namespace voq::app {

namespace {

void list_local_addresses(session::Session& session, const StartupServices& services)
{
    session.local_addresses.fill(0);
    const std::vector<std::uint32_t> found = services.local_addresses();
    const std::size_t taken = std::min(found.size(), session.local_addresses.size());
    for (std::size_t i = 0; i < taken; ++i) {
        session.local_addresses[i] = found[i];
        trace("Client IP = %x\n", found[i]);
    }
}

fw::FirmwareImage load_image(session::Session& session, const StartupServices& services, int resource_id)
{
    const std::span<const std::uint8_t> bytes = services.embedded_image(resource_id);
    if (fw::check_image(bytes) != fw::ImageFault::none) ui::fail(session, session::Failure::firmware_missing);
    return fw::read_image(bytes);
}

void load_images(session::Session& session, const StartupServices& services)
{
    session.target_image = load_image(session, services, fw::target_image_id);
    if (session.stage_flag.load() == 0)
        session.transition_image = load_image(session, services, fw::transition_image_id);
}

void identify_product(session::Session& session)
{
    const fw::ProductProfile& profile = fw::identify_product(session.target_image.header);
    session.display_name = profile.display_name;
    session.phone_style = profile.phone_style;
}

}  // namespace

void run_startup(session::Session& session, const StartupServices& services)
{
    if (!services.start_socket_library()) ui::fail(session, session::Failure::winsock_init);
    list_local_addresses(session, services);
    session.auth = session::AuthState{};
    session.selected_local_address = session.local_addresses[0];
    seed_random(session.random, services.milliseconds());
    load_images(session, services);
    identify_product(session);
}

}  // namespace voq::app
