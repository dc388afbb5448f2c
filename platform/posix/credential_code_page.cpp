#include "platform/credential_code_page.h"

namespace voq::platform {

// The Linux program has always sent Latin-1, the 8 bits its screens show.
std::string credential_character_bytes(char32_t character)
{
    if (character > 0xff) return {};
    return std::string(1, static_cast<char>(character));
}

}  // namespace voq::platform
