// SPDX-License-Identifier: MIT
// Client tracking from the registry.
#include "platform/pipewire/ClientTracker.h"

#include <array>
#include <cstdlib>
#include <cstring>
#include <optional>

#include <pipewire/client.h>
#include <spa/utils/dict.h>

namespace kavorn {

struct ClientTracker::Client {
    ClientTracker* tracker = nullptr;
    std::uint32_t id = 0;
    std::uint64_t serial = 0;
    pw_proxy* proxy = nullptr;
    spa_hook listener{};
    pw_client_events events{};
    CMIOExtensionClientRef described;  // once its properties are in
    int links = 0;

    ~Client() {
        if (proxy != nullptr) {
            spa_hook_remove(&listener);
            pw_proxy_destroy(proxy);
        }
    }

    static void onInfo(void* data, const pw_client_info* info) {
        auto* self = static_cast<Client*>(data);
        if (info == nullptr || info->props == nullptr || self->described) {
            return;
        }
        self->described = ClientTracker::describe(self->serial, info->props);
        self->tracker->evaluate();
    }
};

namespace {

std::optional<std::uint64_t> number(const spa_dict* props, const char* key) {
    const char* text = props ? spa_dict_lookup(props, key) : nullptr;
    if (text == nullptr || *text == '\0') {
        return std::nullopt;
    }
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text, &end, 10);
    if (end == nullptr || *end != '\0') {
        return std::nullopt;
    }
    return value;
}

std::optional<std::string> text(const spa_dict* props, const char* key) {
    const char* value = props ? spa_dict_lookup(props, key) : nullptr;
    if (value == nullptr || *value == '\0') {
        return std::nullopt;
    }
    return std::string(value);
}

}  // namespace

ClientTracker::ClientTracker(Callbacks callbacks) : callbacks_(std::move(callbacks)) {
    registryEvents_.version = PW_VERSION_REGISTRY_EVENTS;
    registryEvents_.global = &ClientTracker::onGlobal;
    registryEvents_.global_remove = &ClientTracker::onGlobalRemove;
}

ClientTracker::~ClientTracker() {
    detach();
}

void ClientTracker::attach(pw_registry* registry) {
    detach();
    registry_ = registry;
    pw_registry_add_listener(registry_, &registryListener_, &registryEvents_, this);
}

void ClientTracker::detach() {
    if (registry_ != nullptr) {
        spa_hook_remove(&registryListener_);
        registry_ = nullptr;
    }
    for (auto& [id, client] : clients_) {
        if (client->links > 0 && client->described) {
            callbacks_.disconnected(client->described);
        }
    }
    clients_.clear();
    links_.clear();
    nodeClients_.clear();
}

CMIOExtensionClientRef ClientTracker::describe(std::uint64_t serial, const spa_dict* properties) {
    CMIOExtensionClient client;
    // A stable identifier per client of this daemon: a fixed prefix and the serial.
    std::array<std::uint8_t, 16> bytes{'k', 'a', 'v', 'o', 'r', 'n', 0x80, 0x00};
    for (int i = 0; i < 8; ++i) {
        bytes[static_cast<std::size_t>(15 - i)] = static_cast<std::uint8_t>(serial >> (8 * i));
    }
    bytes[6] = static_cast<std::uint8_t>((bytes[6] & 0x0F) | 0x80);  // version 8: custom
    bytes[8] = static_cast<std::uint8_t>((bytes[8] & 0x3F) | 0x80);
    client.clientID = UUID(bytes);
    client.pid = static_cast<pid_t>(number(properties, PW_KEY_SEC_PID).value_or(0));
    client.signingID = text(properties, "pipewire.access.portal.app_id");
    if (!client.signingID) {
        client.signingID = text(properties, PW_KEY_APP_PROCESS_BINARY);
    }
    return std::make_shared<const CMIOExtensionClient>(std::move(client));
}

void ClientTracker::onGlobal(void* data, std::uint32_t id, std::uint32_t, const char* type,
                             std::uint32_t, const spa_dict* props) {
    auto* self = static_cast<ClientTracker*>(data);
    if (std::strcmp(type, PW_TYPE_INTERFACE_Node) == 0) {
        if (auto client = number(props, PW_KEY_CLIENT_ID)) {
            self->nodeClients_[id] = static_cast<std::uint32_t>(*client);
        }
    } else if (std::strcmp(type, PW_TYPE_INTERFACE_Link) == 0) {
        auto output = number(props, PW_KEY_LINK_OUTPUT_NODE);
        auto input = number(props, PW_KEY_LINK_INPUT_NODE);
        if (output && input) {
            self->links_[id] = Link{static_cast<std::uint32_t>(*output),
                                    static_cast<std::uint32_t>(*input), false, 0};
        }
    } else if (std::strcmp(type, PW_TYPE_INTERFACE_Client) == 0) {
        auto client = std::make_unique<Client>();
        client->tracker = self;
        client->id = id;
        client->serial = number(props, PW_KEY_OBJECT_SERIAL).value_or(id);
        // The full properties (binary, portal app id) come with the bound client's info.
        client->proxy = static_cast<pw_proxy*>(
            pw_registry_bind(self->registry_, id, PW_TYPE_INTERFACE_Client, PW_VERSION_CLIENT, 0));
        if (client->proxy != nullptr) {
            client->events.version = PW_VERSION_CLIENT_EVENTS;
            client->events.info = &Client::onInfo;
            pw_client_add_listener(reinterpret_cast<pw_client*>(client->proxy), &client->listener,
                                   &client->events, client.get());
        }
        self->clients_[id] = std::move(client);
    } else {
        return;
    }
    self->evaluate();
}

void ClientTracker::onGlobalRemove(void* data, std::uint32_t id) {
    auto* self = static_cast<ClientTracker*>(data);
    if (auto link = self->links_.find(id); link != self->links_.end()) {
        self->unlink(link->second);
        self->links_.erase(link);
    }
    self->nodeClients_.erase(id);
    self->forgetClient(id);
}

void ClientTracker::evaluate() {
    const auto [ourOutput, ourSink] = callbacks_.ourNodes();
    for (auto& [id, link] : links_) {
        if (link.counted) {
            continue;
        }
        std::uint32_t peer = 0;
        Role role;
        if (ourOutput != SPA_ID_INVALID && link.outputNode == ourOutput) {
            peer = link.inputNode;
            role = Role::Output;
        } else if (ourSink != SPA_ID_INVALID && link.inputNode == ourSink) {
            peer = link.outputNode;
            role = Role::Sink;
        } else {
            continue;
        }
        auto node = nodeClients_.find(peer);
        if (node == nodeClients_.end()) {
            continue;
        }
        auto client = clients_.find(node->second);
        if (client == clients_.end() || !client->second->described) {
            continue;
        }
        link.counted = true;
        link.client = node->second;
        const CMIOExtensionClientRef described = client->second->described;
        if (client->second->links++ == 0) {
            callbacks_.connected(described);
        }
        callbacks_.linked(described, role);
    }
}

void ClientTracker::unlink(Link& link) {
    if (!link.counted) {
        return;
    }
    link.counted = false;
    auto client = clients_.find(link.client);
    if (client != clients_.end() && --client->second->links == 0) {
        callbacks_.disconnected(client->second->described);
    }
}

void ClientTracker::forgetClient(std::uint32_t id) {
    auto client = clients_.find(id);
    if (client == clients_.end()) {
        return;
    }
    if (client->second->links > 0 && client->second->described) {
        callbacks_.disconnected(client->second->described);
    }
    for (auto& [linkId, link] : links_) {
        if (link.counted && link.client == id) {
            link.counted = false;
        }
    }
    clients_.erase(client);
}

}  // namespace kavorn
