// SPDX-License-Identifier: MIT
// Consumer client list.
#include "shared/ConsumerClientList.h"

#include <errno.h>
#include <signal.h>

#include <algorithm>
#include <unordered_set>

namespace kavorn {

void ConsumerClientList::add(const UUID& id, std::int32_t pid,
                             const std::optional<std::string>& signingID) {
    remove(id);
    const bool usable = signingID && !signingID->empty() && *signingID != "unknown";
    entries_.push_back(Entry{id, pid, usable ? *signingID : "pid:" + std::to_string(pid)});
}

void ConsumerClientList::remove(const UUID& id) {
    std::erase_if(entries_, [&](const Entry& entry) { return entry.id == id; });
}

void ConsumerClientList::removeAll() {
    entries_.clear();
}

void ConsumerClientList::prune(const std::function<bool(std::int32_t)>& isAlive) {
    // The predicate runs exactly once per entry, in order.
    std::vector<Entry> kept;
    kept.reserve(entries_.size());
    for (Entry& entry : entries_) {
        if (isAlive(entry.pid)) {
            kept.push_back(std::move(entry));
        }
    }
    entries_ = std::move(kept);
}

bool ConsumerClientList::processIsAlive(std::int32_t pid) {
    if (::kill(pid, 0) == 0) {
        return true;
    }
    // EPERM and anything else: the process may well exist.
    return errno != ESRCH;
}

std::vector<std::string> ConsumerClientList::signingIDs() const {
    std::vector<std::string> ids;
    std::unordered_set<std::string> taken;
    for (const Entry& entry : entries_) {
        if (taken.insert(entry.signingID).second) {
            ids.push_back(entry.signingID);
        }
    }
    return ids;
}

}  // namespace kavorn
