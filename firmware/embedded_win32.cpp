// The images as resources of type "VOQ_FIRMWARE" in the program's own module.

#include <windows.h>

#include "firmware/embedded.h"

namespace voq::fw {

std::span<const std::uint8_t> embedded_image(int resource_id)
{
    HRSRC resource = ::FindResourceA(nullptr, MAKEINTRESOURCEA(resource_id), "VOQ_FIRMWARE");
    if (resource == nullptr) return {};
    const DWORD size = ::SizeofResource(nullptr, resource);
    HGLOBAL loaded = ::LoadResource(nullptr, resource);
    if (loaded == nullptr) return {};
    const auto* bytes = static_cast<const std::uint8_t*>(::LockResource(loaded));
    if (bytes == nullptr) return {};
    return {bytes, size};
}

}  // namespace voq::fw
