// SPDX-License-Identifier: MIT
// The cost of the placeholder picture and of each frame through the loopback host.
#include <benchmark/benchmark.h>

#include "AllocationCounter.h"
#include "platform/log/OutputCapture.h"
#include "platform/loopback/LoopbackHost.h"
#include "platform/media/CMFormatDescription.h"
#include "platform/media/CMSampleBuffer.h"
#include "stream/CameraStream.h"
#include "stream/PlaceholderRenderer.h"

namespace kavorn {
namespace {

// Reports what a frame costs in memory: pixel bytes allocated (must be 0 on the frame path)
// and heap allocations of any kind.
struct AllocationReport {
    std::uint64_t pixelBytes = CVPixelBuffer::totalBytesAllocated();
    std::uint64_t allocations = bench::heapAllocations();

    void finish(benchmark::State& state) const {
        const auto frames = static_cast<double>(state.iterations());
        state.counters["pixel_bytes_alloc_per_frame"] =
            static_cast<double>(CVPixelBuffer::totalBytesAllocated() - pixelBytes) / frames;
        state.counters["heap_allocs_per_frame"] =
            static_cast<double>(bench::heapAllocations() - allocations) / frames;
    }
};

// The first picture of a process pays for fontconfig and Pango start-up.
void BM_PlaceholderRenderFirst(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(makePlaceholderPixelBuffer(1920, 1080));
    }
}
BENCHMARK(BM_PlaceholderRenderFirst)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_PlaceholderRenderRepeated(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(makePlaceholderPixelBuffer(1920, 1080));
    }
}
BENCHMARK(BM_PlaceholderRenderRepeated)->Unit(benchmark::kMillisecond);

struct Pump {
    LoopbackHost host;
    ScopedHost scope{host};
    OutputCapture output;
    std::shared_ptr<CameraStream> stream = CameraStream::create();

    Pump() { host.setRecordsSamples(false); }
};

void BM_SendPlaceholder(benchmark::State& state) {
    Pump pump;
    // The picture is drawn once, before measuring, as the first tick does.
    pump.stream->timerQueue().sync([&] { pump.stream->sendPlaceholder(); });
    AllocationReport report;
    pump.stream->timerQueue().sync([&] {
        for (auto _ : state) {
            pump.stream->sendPlaceholder();
        }
    });
    report.finish(state);
    state.counters["frames"] = static_cast<double>(pump.host.sentCount());
}
BENCHMARK(BM_SendPlaceholder)->Unit(benchmark::kNanosecond);

void BM_ForwardSinkFrame(benchmark::State& state) {
    Pump pump;
    pump.stream->startStreaming();
    // Let the first tick draw the picture before measuring; sink frames then hold it back.
    pump.host.waitForSentCount(1, std::chrono::seconds(10));
    auto pixels = CVPixelBufferCreate(1920, 1080, kCVPixelFormatType_32BGRA, {}).object;
    auto description = CMVideoFormatDescriptionCreateForImageBuffer(pixels).object;
    auto frame = CMSampleBufferCreateReadyWithImageBuffer(
                     pixels, description, {CMTimeMake(1, 30), CMTimeMake(0, 30), kCMTimeInvalid})
                     .object;
    AllocationReport report;
    for (auto _ : state) {
        pump.stream->forwardSinkFrame(frame);
    }
    report.finish(state);
    pump.stream->stopStreaming();
}
BENCHMARK(BM_ForwardSinkFrame)->Unit(benchmark::kNanosecond);

}  // namespace
}  // namespace kavorn

BENCHMARK_MAIN();
