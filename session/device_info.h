#pragma once

#include "session/fixed_text.h"

namespace voq::session {

// The identity read from the device's status page. A field whose label a page lacks
// keeps what an earlier page gave it.
struct DeviceInfo {
    FixedText<128> product_name;
    FixedText<128> mac_address;
    FixedText<128> software_version;
    FixedText<128> hardware_version;
    FixedText<128> serial_number;
};

}  // namespace voq::session
