// SPDX-License-Identifier: MIT
// The consumer report: its bytes, its reader and its freshness rule.
#include "shared/ConsumerReport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <thread>

#include <unistd.h>

#include "platform/storage/AtomicFile.h"
#include "shared/SharedState.h"
#include "support/TemporaryHome.h"

namespace kavorn {
namespace {

using ::testing::ElementsAre;

constexpr double k2024 = 725760000;  // 2024-01-01 00:00:00 UTC

class ConsumerReportTest : public ::testing::Test {
protected:
    void place(const std::string& bytes) {
        std::filesystem::create_directories(home.reportPath().parent_path());
        std::ofstream(home.reportPath(), std::ios::binary) << bytes;
    }
    std::string written() {
        std::ifstream in(home.reportPath(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    ConsumerSnapshot snapshotAt(double now) {
        clock = now;
        return SharedState::shared().consumerSnapshot();
    }

    test::TemporaryHome home;
    double clock = k2024;
    ScopedWallClock wall{[this] { return clock; }};
};

TEST_F(ConsumerReportTest, PublishesCompactJsonInMemberOrder) {
    SharedState::shared().publishConsumerReport(true, {"com.example.app"});
    EXPECT_EQ(written(), R"({"consumed":true,"at":725760000,"clients":["com.example.app"]})");
    SharedState::shared().publishConsumerReport(false, {});
    EXPECT_EQ(written(), R"({"consumed":false,"at":725760000,"clients":[]})");
    clock = k2024 + 0.25;
    SharedState::shared().publishConsumerReport(true, {"a", "pid:7"});
    EXPECT_EQ(written(), R"({"consumed":true,"at":725760000.25,"clients":["a","pid:7"]})");

    const auto decoded = ConsumerReport::decode(written());
    ASSERT_TRUE(decoded);
    EXPECT_EQ(*decoded,
              (ConsumerReport{true, k2024 + 0.25, std::vector<std::string>{"a", "pid:7"}}));
    EXPECT_EQ(ConsumerReport::codingKey("at"), ConsumerReport::CodingKeys::at);
    EXPECT_EQ(ConsumerReport::codingKey("At"), std::nullopt);
    EXPECT_EQ(ConsumerReport::codingKey("clients "), std::nullopt);
}

TEST_F(ConsumerReportTest, FreshnessIsFifteenSeconds) {
    place(R"({"consumed":true,"at":725760000,"clients":["com.example.app","pid:9"]})");
    EXPECT_EQ(snapshotAt(k2024 + 14.9), (ConsumerSnapshot{true, {"com.example.app", "pid:9"}}));
    EXPECT_EQ(snapshotAt(k2024 + 15.0), (ConsumerSnapshot{false, {}}));
    EXPECT_EQ(snapshotAt(k2024 + 3600), (ConsumerSnapshot{false, {}}));
    EXPECT_EQ(snapshotAt(k2024 - 100), (ConsumerSnapshot{true, {"com.example.app", "pid:9"}}))
        << "a report from the future counts as fresh";
    EXPECT_EQ(SharedState::shared().consumerState(), true);
}

TEST_F(ConsumerReportTest, HugeNestedOrMissingFilesGiveNoAnswer) {
    const ConsumerSnapshot none{};
    // Deeply nested and huge files are refused without reading them into trouble.
    place(R"({"consumed":true,"at":725760000,"x":)" + std::string(100000, '[') +
          std::string(100000, ']') + "}");
    EXPECT_EQ(snapshotAt(k2024 + 2), none);
    place(R"({"consumed":true,"at":725760000,"clients":[")" + std::string(1 << 20, 'a') + "\"]}");
    EXPECT_EQ(snapshotAt(k2024 + 2), none);
    std::filesystem::remove(home.reportPath());
    EXPECT_EQ(snapshotAt(k2024 + 2), none);
    std::filesystem::create_directory(home.reportPath());
    EXPECT_EQ(snapshotAt(k2024 + 2), none) << "a directory in its place";
}

TEST_F(ConsumerReportTest, WithoutAContainerNothingIsWrittenAndNothingRead) {
    const char* home_ = std::getenv("HOME");
    const std::string savedHome = home_ ? home_ : "";
    ::unsetenv("XDG_DATA_HOME");
    ::unsetenv("HOME");
    SharedState::shared().publishConsumerReport(true, {"a"});
    const ConsumerSnapshot snapshot = SharedState::shared().consumerSnapshot();
    EXPECT_EQ(SharedState::reportLocation(), std::nullopt);
    ::setenv("HOME", savedHome.c_str(), 1);
    ::setenv("XDG_DATA_HOME", home.dataHome().c_str(), 1);
    EXPECT_EQ(snapshot, ConsumerSnapshot{});
    EXPECT_FALSE(std::filesystem::exists(home.reportPath()));
}

TEST(ConsumerReportConcurrencyTest, AReaderNeverSeesAPartialReport) {
    test::TemporaryHome home;
    SharedState::shared().publishConsumerReport(true, {"start"});
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int i = 0; i < 3000; ++i) {
            std::vector<std::string> clients(static_cast<std::size_t>(i % 7),
                                             "com.example.client." + std::to_string(i));
            SharedState::shared().publishConsumerReport(i % 2 == 0, clients);
        }
        done = true;
    });
    std::size_t reads = 0;
    while (!done) {
        const ConsumerSnapshot snapshot = SharedState::shared().consumerSnapshot();
        ASSERT_TRUE(snapshot.consumed.has_value()) << "after " << reads << " reads";
        ++reads;
    }
    writer.join();
    EXPECT_GT(reads, 0U);
}

}  // namespace
}  // namespace kavorn
