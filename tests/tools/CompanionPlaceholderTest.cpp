// SPDX-License-Identifier: MIT
// `kavorn-companion placeholder` as a user runs it.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/CommandRunner.h"

namespace {

namespace fs = std::filesystem;
using Outcome = kavorn::test::CommandResult;

std::string slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class CompanionPlaceholderTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("kavorn-companion-test-" + std::to_string(getpid()));
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    Outcome run(std::vector<std::string> args) {
        args.insert(args.begin(), KAVORN_COMPANION_PATH);
        return kavorn::test::runCommand(args);
    }

    fs::path dir;
};

TEST_F(CompanionPlaceholderTest, WritesRawBgraRowsWithoutPadding) {
    const fs::path file = dir / "p.raw";
    Outcome result = run({"placeholder", "--size", "1278x720", "--raw", "-o", file.string()});
    ASSERT_EQ(result.status, 0) << result.err;
    const std::string bytes = slurp(file);
    ASSERT_EQ(bytes.size(), 1278U * 720 * 4);
    // Rows top first: the top-left pixel is the grey bar. The rest of the picture is checked by
    // check_placeholder.py.
    EXPECT_NEAR(static_cast<unsigned char>(bytes[0]), 191, 1);
}

TEST_F(CompanionPlaceholderTest, WritesAPngOfTheDefaultSize) {
    const fs::path file = dir / "p.png";
    Outcome result = run({"placeholder", "-o", file.string()});
    ASSERT_EQ(result.status, 0) << result.err;
    const std::string png = slurp(file);
    ASSERT_GT(png.size(), 24U);
    EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    auto be32 = [&](std::size_t at) {
        return (std::uint32_t(std::uint8_t(png[at])) << 24) |
               (std::uint32_t(std::uint8_t(png[at + 1])) << 16) |
               (std::uint32_t(std::uint8_t(png[at + 2])) << 8) | std::uint8_t(png[at + 3]);
    };
    EXPECT_EQ(be32(16), 1920U);
    EXPECT_EQ(be32(20), 1080U);
}

TEST_F(CompanionPlaceholderTest, RejectsMalformedSizesWithUsageStatus) {
    for (const std::string size :
         {"", "1920", "1920x", "x1080", "0x1080", "1920x0", "-1x5", "1920x1080x3", "abcxdef",
          "16385x10", "1920 x1080", "+5x5", "1920X1080", "99999999999999999999x1"}) {
        Outcome result = run({"placeholder", "--size", size, "--raw", "-o", (dir / "x").string()});
        EXPECT_EQ(result.status, 2) << "'" << size << "'";
        EXPECT_NE(result.err.find("invalid size '" + size + "'"), std::string::npos) << result.err;
        EXPECT_FALSE(fs::exists(dir / "x"));
    }
}

TEST_F(CompanionPlaceholderTest, ConventionalUsageAndFailures) {
    Outcome help = run({"placeholder", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Usage: kavorn-companion placeholder"), std::string::npos);
    EXPECT_EQ(run({"--help"}).status, 0);
    EXPECT_EQ(run({}).status, 2);
    EXPECT_EQ(run({"placeholder"}).status, 2) << "no output file";
    EXPECT_EQ(run({"placeholder", "-o"}).status, 2);
    EXPECT_EQ(run({"placeholder", "--size"}).status, 2);
    EXPECT_EQ(run({"placeholder", "--bogus", "-o", (dir / "y").string()}).status, 2);
    EXPECT_EQ(run({"frobnicate"}).status, 2);

    Outcome unwritable = run({"placeholder", "-o", (dir / "missing" / "dir" / "p.png").string()});
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_NE(unwritable.err.find("cannot write"), std::string::npos) << unwritable.err;
}

}  // namespace
