// What the listener's port search is told by Linux itself: a port below the
// unprivileged range refused to a program without CAP_NET_BIND_SERVICE, a port in
// use refused as such. Run in a child that gives the capability up (as root, and as
// the root of a user namespace alike), so the test process keeps its own.

#include <gtest/gtest.h>

#include <fstream>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/socket.h"
#include "platform/socket_address.h"
#include "support/loopback.h"

namespace voq::platform {
namespace {

constexpr int child_could_not_drop = 77;

bool drop_net_bind_service()
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2]{};
    if (::syscall(SYS_capget, &header, data) != 0) return false;
    const unsigned bit = 1u << CAP_NET_BIND_SERVICE;
    data[0].effective &= ~bit;
    data[0].permitted &= ~bit;
    data[0].inheritable &= ~bit;
    return ::syscall(SYS_capset, &header, data) == 0;
}

int unprivileged_port_start()
{
    std::ifstream setting("/proc/sys/net/ipv4/ip_unprivileged_port_start");
    int start = 1024;
    setting >> start;
    return start;
}

// Exit status: the first bind's answer, ten times the second's, as BindResult values.
int bind_twice_without_privilege(std::uint32_t address, std::uint16_t privileged, std::uint16_t taken)
{
    if (!drop_net_bind_service()) return child_could_not_drop;
    Socket first(open_datagram_socket());
    Socket second(open_datagram_socket());
    const auto refused = bind_socket(first.handle(), platform::fill_socket_address(address, privileged));
    const auto in_use = bind_socket(second.handle(), platform::fill_socket_address(address, taken));
    return static_cast<int>(refused) + 10 * static_cast<int>(in_use);
}

TEST(SocketShim, APortKeptForPrivilegeIsToldApartFromAPortInUse)
{
    if (unprivileged_port_start() <= 69) GTEST_SKIP() << "port 69 is open to every program on this machine";
    const std::uint32_t address = test::loopback_pair().pc;
    Socket holder(open_datagram_socket());
    ASSERT_EQ(bind_socket(holder.handle(), platform::fill_socket_address(address, 10069)), BindResult::bound);

    const pid_t child = ::fork();
    if (child == 0) ::_exit(bind_twice_without_privilege(address, 69, 10069));
    ASSERT_GT(child, 0);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == child_could_not_drop) GTEST_SKIP() << "the capability could not be given up";
    EXPECT_EQ(WEXITSTATUS(status) % 10, static_cast<int>(BindResult::not_permitted));
    EXPECT_EQ(WEXITSTATUS(status) / 10, static_cast<int>(BindResult::failed));
}

}  // namespace
}  // namespace voq::platform
