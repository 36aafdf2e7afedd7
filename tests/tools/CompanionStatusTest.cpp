// SPDX-License-Identifier: MIT
// `kavorn-companion status` and `defaults` as a companion app would use them.
#include <gtest/gtest.h>

#include <signal.h>

#include <fstream>

#include "platform/storage/WallClock.h"
#include "shared/SharedConstants.h"
#include "support/CommandRunner.h"
#include "support/TemporaryHome.h"

namespace kavorn {
namespace {

using test::runCommand;

class CompanionStatusTest : public ::testing::Test {
protected:
    test::CommandResult status(const std::vector<std::string>& args = {"--json"}) {
        std::vector<std::string> argv{KAVORN_COMPANION_PATH, "status"};
        argv.insert(argv.end(), args.begin(), args.end());
        return runCommand(argv, environment());
    }
    test::EnvironmentChanges environment() const {
        return {{"XDG_DATA_HOME", home.dataHome().string()},
                {"XDG_CONFIG_HOME", home.configHome().string()}};
    }
    void place(const std::string& bytes) {
        std::filesystem::create_directories(home.reportPath().parent_path());
        std::ofstream(home.reportPath(), std::ios::binary) << bytes;
    }
    // "at" some seconds before now, on the wall clock the tool reads.
    static std::string ago(double seconds) {
        return std::to_string(CFAbsoluteTimeGetCurrent() - seconds);
    }

    test::TemporaryHome home;
};

TEST_F(CompanionStatusTest, JsonSnapshotForEveryKindOfReport) {
    struct Case {
        std::string file;
        std::string line;
    };
    const std::vector<Case> cases{
        {R"({"consumed":true,"at":)" + ago(2) + R"(,"clients":["com.example.app","pid:42"]})",
         R"({"consumed":true,"clients":["com.example.app","pid:42"]})"},
        {R"({"consumed":true,"at":)" + ago(14) + R"(,"clients":["a"]})",
         R"({"consumed":true,"clients":["a"]})"},
        {R"({"consumed":true,"at":)" + ago(15.5) + R"(,"clients":["a"]})",
         R"({"consumed":false,"clients":[]})"},
        {R"({"consumed":true,"at":)" + ago(-60) + R"(,"clients":["future"]})",
         R"({"consumed":true,"clients":["future"]})"},
        {R"({"consumed":false,"at":)" + ago(1) + R"(,"clients":["a"]})",
         R"({"consumed":false,"clients":[]})"},
        {R"({"consumed":true,"at":)" + ago(1) + "}", R"({"consumed":true,"clients":[]})"},
        {R"({"consumed":true,"at":)" + ago(1) + R"(,"clients":null,"more":1})",
         R"({"consumed":true,"clients":[]})"},
        {R"({"consumed":true,"at":)" + ago(1) + R"(,"clients":["quote\" and é"]})",
         R"({"consumed":true,"clients":["quote\" and é"]})"},
        {R"({"consumed":true,"clients":[]})", R"({"consumed":null,"clients":[]})"},
        {R"({"consumed":"yes","at":)" + ago(1) + "}", R"({"consumed":null,"clients":[]})"},
        {R"({"consumed":true,"at":)", R"({"consumed":null,"clients":[]})"},
        {"", R"({"consumed":null,"clients":[]})"},
        {"\x89PNG\r\n", R"({"consumed":null,"clients":[]})"},
        {std::string(50000, '[') + std::string(50000, ']'), R"({"consumed":null,"clients":[]})"},
    };
    for (const Case& c : cases) {
        place(c.file);
        const auto result = status();
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.out, c.line + "\n") << c.file.substr(0, 80);
    }
    std::filesystem::remove(home.reportPath());
    EXPECT_EQ(status().out, "{\"consumed\":null,\"clients\":[]}\n");
}

TEST_F(CompanionStatusTest, WithoutAContainerTheAnswerIsNull) {
    const auto result = runCommand({KAVORN_COMPANION_PATH, "status", "--json"},
                                   {{"XDG_DATA_HOME", std::nullopt}, {"HOME", std::nullopt}});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "{\"consumed\":null,\"clients\":[]}\n");
}

TEST_F(CompanionStatusTest, PlainWordsForPeople) {
    place(R"({"consumed":true,"at":)" + ago(1) + R"(,"clients":["com.example.app","pid:42"]})");
    EXPECT_EQ(status({}).out, "Quorvelle Camera is in use by com.example.app, pid:42\n");
    place(R"({"consumed":false,"at":)" + ago(1) + "}");
    EXPECT_EQ(status({}).out, "Quorvelle Camera is not in use\n");
    EXPECT_EQ(status({"--bogus"}).status, 2);
}

TEST_F(CompanionStatusTest, WatchPrintsEachChangeUntilInterrupted) {
    place(R"({"consumed":false,"at":)" + ago(1) + "}");
    test::RunningCommand watch({KAVORN_COMPANION_PATH, "status", "--json", "--watch"},
                               environment());
    EXPECT_EQ(watch.readLine(std::chrono::seconds(5)), R"({"consumed":false,"clients":[]})");
    place(R"({"consumed":true,"at":)" + ago(0) + R"(,"clients":["com.example.app"]})");
    EXPECT_EQ(watch.readLine(std::chrono::seconds(5)),
              R"({"consumed":true,"clients":["com.example.app"]})");
    // A report that goes stale is a change too, though the file stays as it is.
    place(R"({"consumed":true,"at":)" + ago(14.0) + R"(,"clients":["com.example.app"]})");
    EXPECT_EQ(watch.readLine(std::chrono::seconds(5)), R"({"consumed":false,"clients":[]})");
    watch.signal(SIGINT);
    EXPECT_EQ(watch.wait(std::chrono::seconds(5)), 0);
}

TEST_F(CompanionStatusTest, DefaultsGetAndSet) {
    auto defaults = [&](std::vector<std::string> args) {
        args.insert(args.begin(), {KAVORN_COMPANION_PATH, "defaults"});
        return runCommand(args, environment());
    };
    EXPECT_EQ(defaults({"get", "frameWidth"}).out, "0\n") << "a suite without the key";
    EXPECT_EQ(defaults({"set", "frameWidth", "1280"}).status, 0);
    EXPECT_EQ(defaults({"set", "frameHeight", "-720"}).status, 0);
    EXPECT_EQ(defaults({"set", "isStreaming", "true"}).status, 0);
    EXPECT_EQ(defaults({"get", "frameWidth"}).out, "1280\n");
    EXPECT_EQ(defaults({"get", "frameHeight"}).out, "-720\n");
    EXPECT_EQ(defaults({"get", "isStreaming"}).out, "true\n");
    std::ifstream file(home.configHome() / SharedConstants::appGroupIdentifier / "defaults.json");
    const std::string text(std::istreambuf_iterator<char>(file), {});
    EXPECT_NE(text.find("\"com.vennardholtdigitalco.kavorn.frameWidth\":1280"), std::string::npos);

    for (const auto& bad :
         std::vector<std::vector<std::string>>{{},
                                               {"get"},
                                               {"get", "width"},
                                               {"set", "frameWidth"},
                                               {"set", "frameWidth", "12px"},
                                               {"set", "frameWidth", "99999999999999999999"},
                                               {"set", "isStreaming", "yes"},
                                               {"remove", "frameWidth"},
                                               {"get", "frameWidth", "extra"}}) {
        EXPECT_EQ(defaults(bad).status, 2);
    }
    // Without a configuration directory: reads fall back, writes fail.
    const test::EnvironmentChanges homeless{{"XDG_CONFIG_HOME", std::nullopt},
                                            {"HOME", std::nullopt}};
    EXPECT_EQ(runCommand({KAVORN_COMPANION_PATH, "defaults", "get", "frameWidth"}, homeless).out,
              "1920\n");
    const auto refused =
        runCommand({KAVORN_COMPANION_PATH, "defaults", "set", "frameWidth", "5"}, homeless);
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("no configuration directory"), std::string::npos);
}

}  // namespace
}  // namespace kavorn
