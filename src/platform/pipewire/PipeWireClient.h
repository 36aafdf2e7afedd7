// SPDX-License-Identifier: MIT
// A PipeWire connection for the companion side: find a node by name and link to it.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <string>

#include <pipewire/pipewire.h>

namespace kavorn {

// Owns a thread loop, a context, a core and a registry view of the nodes. Methods take the
// thread-loop lock themselves unless they say otherwise.
class PipeWireClient {
public:
    PipeWireClient();
    ~PipeWireClient();
    PipeWireClient(const PipeWireClient&) = delete;
    PipeWireClient& operator=(const PipeWireClient&) = delete;

    // False, with the reason, when no daemon answers.
    bool connect(const std::string& applicationName, std::string& error);

    pw_thread_loop* loop() const { return loop_; }
    pw_core* core() const { return core_; }

    // The id of the node with this node.name, waiting up to `timeout` for it to appear.
    std::uint32_t waitForNode(const std::string& nodeName, std::chrono::milliseconds timeout);
    // Whether any link joins the two nodes.
    bool linked(std::uint32_t outputNode, std::uint32_t inputNode);
    // Asks the link factory to join the two nodes' first ports, as a session manager would.
    // False while either port is not known yet. Loop lock held.
    bool createLink(std::uint32_t outputNode, std::uint32_t inputNode);
    // Links a stream of ours to the named node (ours feeding it when `streamIsOutput`), unless
    // a link joins them already. False while either end is not ready.
    bool linkStream(pw_stream* stream, const std::string& nodeName, bool streamIsOutput);
    // Whether the daemon went away.
    bool lost() const { return lost_; }

private:
    static void onGlobal(void* data, std::uint32_t id, std::uint32_t permissions, const char* type,
                         std::uint32_t version, const spa_dict* props);
    static void onGlobalRemove(void* data, std::uint32_t id);
    static void onCoreError(void* data, std::uint32_t id, int seq, int res, const char* message);

    pw_thread_loop* loop_ = nullptr;
    pw_context* context_ = nullptr;
    pw_core* core_ = nullptr;
    pw_registry* registry_ = nullptr;
    spa_hook coreListener_{};
    spa_hook registryListener_{};
    pw_core_events coreEvents_{};
    pw_registry_events registryEvents_{};
    std::map<std::string, std::uint32_t> nodesByName_;
    std::map<std::uint32_t, std::pair<std::uint32_t, std::uint32_t>> links_;
    struct Port {
        std::uint32_t node;
        bool output;
    };
    std::map<std::uint32_t, Port> ports_;
    pw_proxy* link_ = nullptr;
    bool lost_ = false;
};

}  // namespace kavorn
