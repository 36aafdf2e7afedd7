// SPDX-License-Identifier: MIT
// Random identifiers.
#include "platform/cmio/UUID.h"

#include <errno.h>
#include <sys/random.h>

#include <cstdio>
#include <random>

namespace kavorn {

UUID UUID::random() {
    std::array<std::uint8_t, 16> bytes{};
    std::size_t filled = 0;
    while (filled < bytes.size()) {
        ssize_t got = getrandom(bytes.data() + filled, bytes.size() - filled, 0);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            // No getrandom (very old kernel or a seccomp filter): std::random_device reads the
            // same pool through another door.
            std::random_device device;
            for (auto& byte : bytes) {
                byte = static_cast<std::uint8_t>(device());
            }
            break;
        }
        filled += static_cast<std::size_t>(got);
    }
    bytes[6] = static_cast<std::uint8_t>((bytes[6] & 0x0F) | 0x40);  // version 4
    bytes[8] = static_cast<std::uint8_t>((bytes[8] & 0x3F) | 0x80);  // RFC 4122 variant
    return UUID(bytes);
}

std::string UUID::uuidString() const {
    char text[37];
    std::snprintf(text, sizeof text,
                  "%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X", bytes_[0],
                  bytes_[1], bytes_[2], bytes_[3], bytes_[4], bytes_[5], bytes_[6], bytes_[7],
                  bytes_[8], bytes_[9], bytes_[10], bytes_[11], bytes_[12], bytes_[13], bytes_[14],
                  bytes_[15]);
    return text;
}

}  // namespace kavorn
