// SPDX-License-Identifier: MIT
// The shared defaults. Each case runs in a fresh process, since the one instance opens its
// suite on first use and keeps it.
#include "shared/SharedState.h"

#include <gtest/gtest.h>

#include <barrier>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "shared/SharedConstants.h"
#include "support/TemporaryHome.h"

namespace kavorn {
namespace {

// Ends the child process: 0 when every check held, 1 (with the failed check) otherwise.
#define CHILD_CHECK(condition)                                      \
    do {                                                            \
        if (!(condition)) {                                         \
            std::fprintf(stderr, "check failed: %s\n", #condition); \
            std::exit(1);                                           \
        }                                                           \
    } while (false)

class SharedStateDeathTest : public ::testing::Test {
protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(SharedStateDeathTest, WithASuiteValuesRoundTripAndMissingKeysReadEmpty) {
    EXPECT_EXIT(
        {
            test::TemporaryHome home;
            SharedState& state = SharedState::shared();
            CHILD_CHECK(state.defaults().has_value());
            CHILD_CHECK(state.frameWidth() == 0);
            CHILD_CHECK(state.frameHeight() == 0);
            CHILD_CHECK(!state.isStreaming());
            state.setFrameWidth(1280);
            state.setFrameHeight(720);
            state.setIsStreaming(true);
            state.synchronize();
            CHILD_CHECK(state.frameWidth() == 1280);
            CHILD_CHECK(state.frameHeight() == 720);
            CHILD_CHECK(state.isStreaming());
            // Stored under the shared keys, where the companion reads them.
            std::ifstream in(home.configHome() / SharedConstants::appGroupIdentifier /
                             "defaults.json");
            const std::string text(std::istreambuf_iterator<char>(in), {});
            CHILD_CHECK(text.find("\"com.vennardholtdigitalco.kavorn.frameWidth\":1280") !=
                        std::string::npos);
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(SharedStateDeathTest, WithoutASuiteTheFallbacksStand) {
    EXPECT_EXIT(
        {
            ::unsetenv("XDG_CONFIG_HOME");
            ::unsetenv("HOME");
            SharedState& state = SharedState::shared();
            CHILD_CHECK(!state.defaults().has_value());
            state.setFrameWidth(640);
            state.setIsStreaming(true);
            state.synchronize();
            CHILD_CHECK(state.frameWidth() == 1920);
            CHILD_CHECK(state.frameHeight() == 1080);
            CHILD_CHECK(!state.isStreaming());
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(SharedStateDeathTest, ThreadsMeetingOnFirstUseGetOneInstance) {
    EXPECT_EXIT(
        {
            test::TemporaryHome home;
            constexpr int kThreads = 8;
            std::barrier start(kThreads);
            std::vector<SharedState*> seen(kThreads);
            std::vector<std::thread> threads;
            for (int i = 0; i < kThreads; ++i) {
                threads.emplace_back([&, i] {
                    start.arrive_and_wait();
                    seen[static_cast<std::size_t>(i)] = &SharedState::shared();
                });
            }
            for (auto& thread : threads) {
                thread.join();
            }
            for (SharedState* state : seen) {
                CHILD_CHECK(state == seen[0]);
            }
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace kavorn
