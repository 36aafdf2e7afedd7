// SPDX-License-Identifier: MIT
// The client processes consuming the output stream, one entry per host client identifier.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/cmio/UUID.h"

namespace kavorn {

// A value: copying a list copies its entries. It does no locking; its owner confines it to one
// thread or serial queue.
class ConsumerClientList {
public:
    struct Entry {
        UUID id;
        std::int32_t pid = 0;
        // Never empty: the client's identifier, or "pid:" and its process number.
        std::string signingID;

        friend bool operator==(const Entry&, const Entry&) = default;
    };

    ConsumerClientList() = default;

    // Records a client, replacing (and moving to the end) an earlier entry with the same id.
    // An absent or empty identifier, or exactly "unknown", is stored as "pid:<pid>".
    void add(const UUID& id, std::int32_t pid, const std::optional<std::string>& signingID);
    void remove(const UUID& id);
    void removeAll();
    // Asks `isAlive` about each entry's process, first to last, and drops those it denies.
    void prune(const std::function<bool(std::int32_t)>& isAlive);

    // Whether signal 0 can address the process: ended only when kill() fails with ESRCH.
    static bool processIsAlive(std::int32_t pid);

    // The distinct signing identifiers, in order of first appearance.
    std::vector<std::string> signingIDs() const;
    const std::vector<Entry>& entries() const { return entries_; }

    friend bool operator==(const ConsumerClientList&, const ConsumerClientList&) = default;

private:
    std::vector<Entry> entries_;
};

}  // namespace kavorn
