#pragma once

#include <cstdint>
#include <string>
#include <sys/types.h>

namespace voq::bench {

inline constexpr const char* tftpd_hpa_program = "/usr/sbin/in.tftpd";

// tftpd-hpa, Debian's TFTP server, on one loopback address and port with a
// configuration of its own (its command line; the system's is not read), serving
// files by their absolute names. Stopped when the object goes.
class ReferenceServer {
public:
    ReferenceServer(std::uint32_t address, std::uint16_t port);
    ReferenceServer(const ReferenceServer&) = delete;
    ReferenceServer& operator=(const ReferenceServer&) = delete;
    ~ReferenceServer();

    bool started() const { return pid_ > 0; }
    pid_t process_id() const { return pid_; }
    // False once it has ended, as it does at once when another server holds its port;
    // that server would then answer in its place, unplaced and unchecked.
    bool running();

private:
    pid_t pid_ = -1;
};

bool reference_server_installed();

// tftpd-hpa gives up its privileges for each transfer (it serves as "nobody") and
// cannot do that unless it runs as the machine's real root: not as another user,
// not as root inside a user namespace.
bool reference_server_can_serve();

}  // namespace voq::bench
