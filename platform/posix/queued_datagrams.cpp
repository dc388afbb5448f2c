#include "platform/queued_datagrams.h"

#include <cstring>
#include <ctime>
#include <netinet/in.h>
#include <sys/socket.h>

namespace voq::platform {

namespace {

std::int64_t nanoseconds_of(const timespec& moment)
{
    return static_cast<std::int64_t>(moment.tv_sec) * 1000000000 + moment.tv_nsec;
}

}  // namespace

// The kernel's stamp is the wall clock's, taken as the datagram is queued.
bool date_arrivals(SocketHandle socket)
{
    const int on = 1;
    return ::setsockopt(static_cast<int>(socket), SOL_SOCKET, SO_TIMESTAMPNS, &on, sizeof on) == 0;
}

QueueMark mark_queue(SocketHandle)
{
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return {nanoseconds_of(now)};
}

long receive_before_mark(SocketHandle socket, QueueMark& mark, void* buffer, std::size_t capacity, SocketAddress& from)
{
    sockaddr_in native{};
    iovec part{buffer, capacity};
    alignas(cmsghdr) unsigned char control[CMSG_SPACE(sizeof(timespec))];
    msghdr message{};
    message.msg_name = &native;
    message.msg_namelen = sizeof native;
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    const long received = ::recvmsg(static_cast<int>(socket), &message, MSG_DONTWAIT);
    if (received < 0) return received;
    // Undated, it arrived before dating began, or the stamp did not fit: taken for late,
    // so that the reading ends.
    std::int64_t arrived = mark.value + 1;
    for (cmsghdr* header = CMSG_FIRSTHDR(&message); header != nullptr; header = CMSG_NXTHDR(&message, header)) {
        if (header->cmsg_level != SOL_SOCKET || header->cmsg_type != SCM_TIMESTAMPNS) continue;
        timespec stamp{};
        std::memcpy(&stamp, CMSG_DATA(header), sizeof stamp);
        arrived = nanoseconds_of(stamp);
    }
    if (arrived > mark.value) return -1;
    from = SocketAddress{};
    if (native.sin_family == AF_INET)
        from = SocketAddress{address_family_ipv4, native.sin_port, native.sin_addr.s_addr};
    return received;
}

}  // namespace voq::platform
