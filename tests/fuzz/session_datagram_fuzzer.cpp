// A running transfer's view of any datagram, from the peer or from elsewhere, at
// any block: the first byte picks the source, the next two the block awaited.

#include <cstdint>
#include <span>

#include "tftp/packet.h"
#include "tftp/transfer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 3) return 0;
    voq::tftp::TransferSession transfer;
    transfer.peer = {0x0a000002, 1024};
    transfer.next_block = voq::tftp::get_u16(data + 1);
    const voq::platform::Endpoint source = (data[0] & 1) ? transfer.peer : voq::platform::Endpoint{0x0a000003, 1024};
    const auto datagram = std::span(data + 3, size - 3);
    const auto arrival = voq::tftp::judge_datagram(transfer, datagram, source);
    if (arrival == voq::tftp::Arrival::acknowledged &&
        (datagram.size() < 4 || voq::tftp::get_u16(datagram.data()) != voq::tftp::acknowledgement))
        __builtin_trap();
    return 0;
}
