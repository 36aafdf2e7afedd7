// SPDX-License-Identifier: MIT
// Companion-side PipeWire connection.
#include "platform/pipewire/PipeWireClient.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/pipewire/ThreadLoopLock.h"

namespace kavorn {

PipeWireClient::PipeWireClient() {
    pw_init(nullptr, nullptr);
    loop_ = pw_thread_loop_new("kavorn-client", nullptr);
    context_ = pw_context_new(pw_thread_loop_get_loop(loop_), nullptr, 0);
    coreEvents_.version = PW_VERSION_CORE_EVENTS;
    coreEvents_.error = &PipeWireClient::onCoreError;
    registryEvents_.version = PW_VERSION_REGISTRY_EVENTS;
    registryEvents_.global = &PipeWireClient::onGlobal;
    registryEvents_.global_remove = &PipeWireClient::onGlobalRemove;
    pw_thread_loop_start(loop_);
}

PipeWireClient::~PipeWireClient() {
    {
        ThreadLoopLock lock(loop_);
        if (link_ != nullptr) {
            pw_proxy_destroy(link_);
        }
        if (registry_ != nullptr) {
            spa_hook_remove(&registryListener_);
            pw_proxy_destroy(reinterpret_cast<pw_proxy*>(registry_));
        }
        if (core_ != nullptr) {
            spa_hook_remove(&coreListener_);
            pw_core_disconnect(core_);
        }
    }
    pw_thread_loop_stop(loop_);
    pw_context_destroy(context_);
    pw_thread_loop_destroy(loop_);
}

bool PipeWireClient::connect(const std::string& applicationName, std::string& error) {
    ThreadLoopLock lock(loop_);
    core_ = pw_context_connect(
        context_, pw_properties_new(PW_KEY_APP_NAME, applicationName.c_str(), nullptr), 0);
    if (core_ == nullptr) {
        error = std::strerror(errno);
        return false;
    }
    pw_core_add_listener(core_, &coreListener_, &coreEvents_, this);
    registry_ = pw_core_get_registry(core_, PW_VERSION_REGISTRY, 0);
    pw_registry_add_listener(registry_, &registryListener_, &registryEvents_, this);
    return true;
}

std::uint32_t PipeWireClient::waitForNode(const std::string& nodeName,
                                          std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    ThreadLoopLock lock(loop_);
    for (;;) {
        if (auto it = nodesByName_.find(nodeName); it != nodesByName_.end()) {
            return it->second;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || lost_) {
            return SPA_ID_INVALID;
        }
        pw_thread_loop_timed_wait(loop_, static_cast<int>((left.count() + 999) / 1000));
    }
}

bool PipeWireClient::linked(std::uint32_t outputNode, std::uint32_t inputNode) {
    ThreadLoopLock lock(loop_);
    for (const auto& [id, link] : links_) {
        if (link.first == outputNode && link.second == inputNode) {
            return true;
        }
    }
    return false;
}

bool PipeWireClient::createLink(std::uint32_t outputNode, std::uint32_t inputNode) {
    if (link_ != nullptr) {
        return true;
    }
    // Name the ports: the link factory only picks free ones by itself, and an output that
    // already feeds a reader has none free.
    std::uint32_t outputPort = SPA_ID_INVALID;
    std::uint32_t inputPort = SPA_ID_INVALID;
    for (const auto& [id, port] : ports_) {
        if (port.output && port.node == outputNode && outputPort == SPA_ID_INVALID) {
            outputPort = id;
        }
        if (!port.output && port.node == inputNode && inputPort == SPA_ID_INVALID) {
            inputPort = id;
        }
    }
    if (outputPort == SPA_ID_INVALID || inputPort == SPA_ID_INVALID) {
        return false;
    }
    pw_properties* props = pw_properties_new(nullptr, nullptr);
    pw_properties_setf(props, PW_KEY_LINK_OUTPUT_NODE, "%u", outputNode);
    pw_properties_setf(props, PW_KEY_LINK_INPUT_NODE, "%u", inputNode);
    pw_properties_setf(props, PW_KEY_LINK_OUTPUT_PORT, "%u", outputPort);
    pw_properties_setf(props, PW_KEY_LINK_INPUT_PORT, "%u", inputPort);
    // The link goes with this process.
    pw_properties_set(props, PW_KEY_OBJECT_LINGER, "false");
    link_ = static_cast<pw_proxy*>(pw_core_create_object(
        core_, "link-factory", PW_TYPE_INTERFACE_Link, PW_VERSION_LINK, &props->dict, 0));
    pw_properties_free(props);
    return link_ != nullptr;
}

bool PipeWireClient::linkStream(pw_stream* stream, const std::string& nodeName,
                                bool streamIsOutput) {
    const std::uint32_t target = waitForNode(nodeName, std::chrono::milliseconds(0));
    ThreadLoopLock lock(loop_);
    const std::uint32_t self = pw_stream_get_node_id(stream);
    if (target == SPA_ID_INVALID || self == SPA_ID_INVALID) {
        return false;
    }
    const std::uint32_t output = streamIsOutput ? self : target;
    const std::uint32_t input = streamIsOutput ? target : self;
    return linked(output, input) || createLink(output, input);
}

void PipeWireClient::onGlobal(void* data, std::uint32_t id, std::uint32_t, const char* type,
                              std::uint32_t, const spa_dict* props) {
    auto* self = static_cast<PipeWireClient*>(data);
    if (props == nullptr) {
        return;
    }
    if (std::strcmp(type, PW_TYPE_INTERFACE_Node) == 0) {
        if (const char* name = spa_dict_lookup(props, PW_KEY_NODE_NAME)) {
            self->nodesByName_[name] = id;
        }
    } else if (std::strcmp(type, PW_TYPE_INTERFACE_Port) == 0) {
        const char* node = spa_dict_lookup(props, PW_KEY_NODE_ID);
        const char* direction = spa_dict_lookup(props, PW_KEY_PORT_DIRECTION);
        if (node && direction) {
            self->ports_[id] = {static_cast<std::uint32_t>(std::strtoul(node, nullptr, 10)),
                                std::strcmp(direction, "out") == 0};
        }
    } else if (std::strcmp(type, PW_TYPE_INTERFACE_Link) == 0) {
        const char* output = spa_dict_lookup(props, PW_KEY_LINK_OUTPUT_NODE);
        const char* input = spa_dict_lookup(props, PW_KEY_LINK_INPUT_NODE);
        if (output && input) {
            self->links_[id] = {static_cast<std::uint32_t>(std::strtoul(output, nullptr, 10)),
                                static_cast<std::uint32_t>(std::strtoul(input, nullptr, 10))};
        }
    }
    pw_thread_loop_signal(self->loop_, false);
}

void PipeWireClient::onGlobalRemove(void* data, std::uint32_t id) {
    auto* self = static_cast<PipeWireClient*>(data);
    self->links_.erase(id);
    self->ports_.erase(id);
    std::erase_if(self->nodesByName_, [id](const auto& entry) { return entry.second == id; });
}

void PipeWireClient::onCoreError(void* data, std::uint32_t id, int, int res, const char*) {
    auto* self = static_cast<PipeWireClient*>(data);
    if (id == PW_ID_CORE && res == -EPIPE) {
        self->lost_ = true;
        pw_thread_loop_signal(self->loop_, false);
    }
}

}  // namespace kavorn
