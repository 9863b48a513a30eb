// POSIX implementation: libuuid, whose bytes are already in text order.
#include "platform/Uuid.h"

#include <uuid/uuid.h>

#include <algorithm>

namespace platform {

std::optional<Uuid> NewUuid() {
    uuid_t id;
    uuid_generate(id);
    Uuid bytes;
    std::copy(std::begin(id), std::end(id), bytes.begin());
    return bytes;
}

}  // namespace platform
