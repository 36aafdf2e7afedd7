// SPDX-License-Identifier: MIT
// The host on PipeWire.
#include "platform/pipewire/PipeWireHost.h"

#include <cerrno>
#include <cstring>

#include "platform/dispatch/DispatchQueue.h"
#include "platform/pipewire/ThreadLoopLock.h"

namespace kavorn {

namespace {
constexpr int kMaxBackoffMs = 5000;
}  // namespace

PipeWireHost::PipeWireHost(Options options)
    : options_(std::move(options)),
      log_(options_.logSubsystem, "pipewire"),
      tracker_(ClientTracker::Callbacks{
          [this] {
              return std::make_pair(outputs_.empty() ? SPA_ID_INVALID : outputs_.front()->nodeId(),
                                    sinks_.empty() ? SPA_ID_INVALID : sinks_.front()->nodeId());
          },
          [this](const CMIOExtensionClientRef& client) {
              callProvider([&](auto& source) { source.connectClient(client); });
          },
          [this](const CMIOExtensionClientRef& client) {
              callProvider([&](auto& source) { source.disconnectClient(client); });
          },
          [this](const CMIOExtensionClientRef& client, ClientTracker::Role role) {
              if (role == ClientTracker::Role::Output) {
                  for (auto& node : outputs_) {
                      if (auto source = node->stream().source()) {
                          source->authorizedToStartStreamForClient(client);
                      }
                  }
                  return;
              }
              for (auto& node : sinks_) {
                  auto source = node->stream().source();
                  if (!source) {
                      continue;
                  }
                  source->authorizedToStartStreamForClient(client);
                  // The node may have started before its client was known.
                  if (node->isStreaming()) {
                      source->startStream();
                  }
              }
          }}) {
    pw_init(nullptr, nullptr);
    loop_ = pw_thread_loop_new("kavorn-pipewire", nullptr);
    context_ = pw_context_new(pw_thread_loop_get_loop(loop_), nullptr, 0);
    coreEvents_.version = PW_VERSION_CORE_EVENTS;
    coreEvents_.error = &PipeWireHost::onCoreError;
    reconnectTimer_ =
        pw_loop_add_timer(pw_thread_loop_get_loop(loop_), &PipeWireHost::onReconnect, this);
    pw_thread_loop_start(loop_);
}

PipeWireHost::~PipeWireHost() {
    {
        ThreadLoopLock lock(loop_);
        teardown();
        outputs_.clear();
        sinks_.clear();
    }
    pw_thread_loop_stop(loop_);
    pw_context_destroy(context_);
    pw_thread_loop_destroy(loop_);
}

bool PipeWireHost::connect(std::string& error) {
    ThreadLoopLock lock(loop_);
    return connectCore(error);
}

bool PipeWireHost::connectCore(std::string& error) {
    core_ = pw_context_connect(context_, nullptr, 0);
    if (core_ == nullptr) {
        error = std::strerror(errno);
        return false;
    }
    pw_core_add_listener(core_, &coreListener_, &coreEvents_, this);
    registry_ = pw_core_get_registry(core_, PW_VERSION_REGISTRY, 0);
    tracker_.attach(registry_);
    return true;
}

void PipeWireHost::teardown() {
    tracker_.detach();
    for (auto& node : outputs_) {
        node->disconnect();
    }
    for (auto& node : sinks_) {
        node->disconnect();
    }
    if (registry_ != nullptr) {
        pw_proxy_destroy(reinterpret_cast<pw_proxy*>(registry_));
        registry_ = nullptr;
    }
    if (core_ != nullptr) {
        spa_hook_remove(&coreListener_);
        pw_core_disconnect(core_);
        core_ = nullptr;
    }
}

MaybeError PipeWireHost::addDevice(CMIOExtensionProvider& provider, CMIOExtensionDevice& device) {
    ThreadLoopLock lock(loop_);
    provider_ = &provider;
    devices_.push_back(&device);
    return std::nullopt;
}

MaybeError PipeWireHost::addStream(CMIOExtensionDevice&, CMIOExtensionStream& stream) {
    ThreadLoopLock lock(loop_);
    auto streaming = [this, &stream](bool on) { onStreaming(stream, on); };
    if (stream.direction() == CMIOExtensionStreamDirection::Source) {
        outputs_.push_back(std::make_unique<OutputNode>(stream, streaming));
    } else {
        sinks_.push_back(std::make_unique<SinkNode>(stream, loop_, log_, streaming));
    }
    if (serviceStarted_ && core_ != nullptr) {
        buildNodes();
    }
    return std::nullopt;
}

void PipeWireHost::startService(CMIOExtensionProvider& provider) {
    ThreadLoopLock lock(loop_);
    provider_ = &provider;
    serviceStarted_ = true;
    if (core_ != nullptr) {
        buildNodes();
    }
}

pw_properties* PipeWireHost::nodeProperties(const CMIOExtensionStream& stream, bool output) {
    // What the camera calls itself, asked of its own sources as the host would.
    std::string description = stream.localizedName();
    std::string model;
    std::string manufacturer;
    std::string providerName;
    for (CMIOExtensionDevice* device : devices_) {
        for (CMIOExtensionStream* added : device->streams()) {
            if (added != &stream) {
                continue;
            }
            description = device->localizedName();
            if (auto source = device->source()) {
                model = source->devicePropertiesForProperties({CMIOExtensionProperty::DeviceModel})
                            .model.value_or("");
            }
        }
    }
    if (provider_ != nullptr) {
        if (auto source = provider_->source()) {
            auto answer = source->providerPropertiesForProperties(
                {CMIOExtensionProperty::ProviderManufacturer, CMIOExtensionProperty::ProviderName});
            manufacturer = answer.manufacturer.value_or("");
            providerName = answer.name.value_or("");
        }
    }
    pw_properties* props = pw_properties_new(
        PW_KEY_MEDIA_TYPE, "Video", PW_KEY_MEDIA_CLASS, output ? "Video/Source" : "Video/Sink",
        PW_KEY_NODE_NAME, output ? options_.outputNodeName.c_str() : options_.sinkNodeName.c_str(),
        PW_KEY_NODE_DESCRIPTION, description.c_str(), PW_KEY_MEDIA_NAME,
        stream.localizedName().c_str(), PW_KEY_NODE_VIRTUAL, "true", nullptr);
    if (output) {
        pw_properties_set(props, PW_KEY_MEDIA_ROLE, "Camera");
        pw_properties_set(props, PW_KEY_MEDIA_CATEGORY, "Capture");
    }
    if (!model.empty()) {
        pw_properties_set(props, PW_KEY_DEVICE_PRODUCT_NAME, model.c_str());
    }
    if (!manufacturer.empty()) {
        pw_properties_set(props, PW_KEY_DEVICE_VENDOR_NAME, manufacturer.c_str());
    }
    if (!providerName.empty()) {
        pw_properties_set(props, PW_KEY_APP_NAME, providerName.c_str());
    }
    return props;
}

void PipeWireHost::buildNodes() {
    for (auto& node : outputs_) {
        if (node->nodeId() == SPA_ID_INVALID &&
            !node->connect(core_, nodeProperties(node->stream(), true))) {
            log_.error("PipeWire: cannot make the node for " + node->stream().localizedName());
        }
    }
    for (auto& node : sinks_) {
        if (node->nodeId() == SPA_ID_INVALID &&
            !node->connect(core_, nodeProperties(node->stream(), false))) {
            log_.error("PipeWire: cannot make the node for " + node->stream().localizedName());
        }
    }
}

void PipeWireHost::refreshOurNodes() {
    tracker_.evaluate();
}

void PipeWireHost::onStreaming(CMIOExtensionStream& stream, bool streaming) {
    refreshOurNodes();
    if (auto source = stream.source()) {
        streaming ? source->startStream() : source->stopStream();
    }
}

void PipeWireHost::callProvider(const std::function<void(CMIOExtensionProviderSource&)>& call) {
    if (provider_ == nullptr) {
        return;
    }
    auto source = provider_->source();
    if (!source) {
        return;
    }
    if (const auto& queue = provider_->clientQueue()) {
        queue->async([source, call] { call(*source); });
    } else {
        call(*source);
    }
}

void PipeWireHost::sendSampleBuffer(const CMIOExtensionStream& stream,
                                    const CMSampleBufferRef& sampleBuffer,
                                    CMIOExtensionStreamDiscontinuityFlags discontinuity,
                                    std::uint64_t hostTimeInNanoseconds) {
    ThreadLoopLock lock(loop_);
    for (auto& node : outputs_) {
        if (&node->stream() == &stream) {
            node->send(sampleBuffer, discontinuity, hostTimeInNanoseconds);
            return;
        }
    }
}

void PipeWireHost::consumeSampleBuffer(const CMIOExtensionStream& stream,
                                       const CMIOExtensionClientRef&,
                                       CMIOExtensionConsumeCompletion completion) {
    ThreadLoopLock lock(loop_);
    for (auto& node : sinks_) {
        if (&node->stream() == &stream) {
            node->consume(std::move(completion));
            return;
        }
    }
}

void PipeWireHost::notifyScheduledOutputChanged(const CMIOExtensionStream&,
                                                const CMIOExtensionScheduledOutput&) {
    // PipeWire has no counterpart; kept for statistics.
    scheduledOutputs_.fetch_add(1, std::memory_order_relaxed);
}

PipeWireHost::Statistics PipeWireHost::statistics() {
    ThreadLoopLock lock(loop_);
    Statistics statistics;
    if (!outputs_.empty()) {
        statistics.output = outputs_.front()->statistics();
    }
    if (!sinks_.empty()) {
        statistics.sink = sinks_.front()->statistics();
    }
    statistics.scheduledOutputs = scheduledOutputs_.load(std::memory_order_relaxed);
    statistics.reconnections = reconnections_;
    return statistics;
}

void PipeWireHost::onCoreError(void* data, std::uint32_t id, int, int res, const char* message) {
    auto* self = static_cast<PipeWireHost*>(data);
    if (id != PW_ID_CORE || res != -EPIPE || self->lost_) {
        return;
    }
    // The daemon is gone. Tear down from the loop, not from inside the core's own callback.
    self->lost_ = true;
    self->log_.error(std::string("PipeWire: lost the connection to the daemon (") +
                     (message ? message : "broken pipe") + "); reconnecting");
    self->backoffMs_ = 100;
    self->scheduleReconnect(0);
}

void PipeWireHost::scheduleReconnect(int delayMs) {
    timespec value{delayMs / 1000, (delayMs % 1000) * 1'000'000L + 1};
    pw_loop_update_timer(pw_thread_loop_get_loop(loop_), reconnectTimer_, &value, nullptr, false);
}

void PipeWireHost::onReconnect(void* data, std::uint64_t) {
    auto* self = static_cast<PipeWireHost*>(data);
    self->teardown();
    std::string error;
    if (!self->connectCore(error)) {
        self->scheduleReconnect(self->backoffMs_);
        self->backoffMs_ = std::min(self->backoffMs_ * 2, kMaxBackoffMs);
        return;
    }
    self->lost_ = false;
    ++self->reconnections_;
    if (self->serviceStarted_) {
        self->buildNodes();
    }
    self->log_.log("PipeWire: connected to the daemon again; the camera is back");
}

}  // namespace kavorn
