// SPDX-License-Identifier: MIT
// Which client processes are linked to the camera's nodes, told from the PipeWire registry.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include <pipewire/pipewire.h>

#include "platform/cmio/CMIOExtensionClient.h"

namespace kavorn {

// A client is the process behind the node at the other end of a link to one of our nodes. Its
// first link to us connects it; the removal of its last link, or of the client itself,
// disconnects it; every new link to a node admits it to that node's stream.
//
// Runs on the loop's thread, under the thread-loop lock.
class ClientTracker {
public:
    enum class Role { Output, Sink };

    struct Callbacks {
        // Our output and sink node ids, SPA_ID_INVALID while a node has none yet.
        std::function<std::pair<std::uint32_t, std::uint32_t>()> ourNodes;
        std::function<void(const CMIOExtensionClientRef&)> connected;
        std::function<void(const CMIOExtensionClientRef&)> disconnected;
        std::function<void(const CMIOExtensionClientRef&, Role)> linked;
    };

    explicit ClientTracker(Callbacks callbacks);
    ~ClientTracker();
    ClientTracker(const ClientTracker&) = delete;
    ClientTracker& operator=(const ClientTracker&) = delete;

    // Starts following a registry. Forgets everything known before.
    void attach(pw_registry* registry);
    // Stops following it; every connected client is disconnected.
    void detach();
    // Looks again at links that could not be placed before, such as links that came before
    // our nodes had their ids.
    void evaluate();

    // A client's identity, from its properties: the pid the kernel gave, the portal's app id or
    // else the binary, and an identifier derived from its serial.
    static CMIOExtensionClientRef describe(std::uint64_t serial, const spa_dict* properties);

private:
    struct Client;
    struct Link {
        std::uint32_t outputNode = 0;
        std::uint32_t inputNode = 0;
        bool counted = false;
        std::uint32_t client = 0;
    };

    static void onGlobal(void* data, std::uint32_t id, std::uint32_t permissions, const char* type,
                         std::uint32_t version, const spa_dict* props);
    static void onGlobalRemove(void* data, std::uint32_t id);
    void unlink(Link& link);
    void forgetClient(std::uint32_t id);

    Callbacks callbacks_;
    pw_registry* registry_ = nullptr;
    spa_hook registryListener_{};
    pw_registry_events registryEvents_{};
    std::map<std::uint32_t, std::uint32_t> nodeClients_;  // node id → client id
    std::map<std::uint32_t, Link> links_;
    std::map<std::uint32_t, std::unique_ptr<Client>> clients_;
};

}  // namespace kavorn
