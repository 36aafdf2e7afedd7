// SPDX-License-Identifier: MIT
// `kavorn-companion placeholder` as a user runs it.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

std::string quote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

std::string slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class CompanionPlaceholderTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("kavorn-companion-test-" + std::to_string(getpid()));
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    Outcome run(const std::vector<std::string>& args) {
        std::string command = quote(KAVORN_COMPANION_PATH);
        for (const auto& arg : args) {
            command += " " + quote(arg);
        }
        command += " >" + quote(dir / "out") + " 2>" + quote(dir / "err");
        const int raw = std::system(command.c_str());
        Outcome result;
        result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        result.out = slurp(dir / "out");
        result.err = slurp(dir / "err");
        return result;
    }

    fs::path dir;
};

TEST_F(CompanionPlaceholderTest, WritesRawBgraRowsWithoutPadding) {
    const fs::path file = dir / "p.raw";
    Outcome result = run({"placeholder", "--size", "1278x720", "--raw", "-o", file});
    ASSERT_EQ(result.status, 0) << result.err;
    const std::string bytes = slurp(file);
    ASSERT_EQ(bytes.size(), 1278U * 720 * 4);
    for (std::size_t i = 3; i < bytes.size(); i += 4) {
        ASSERT_EQ(static_cast<unsigned char>(bytes[i]), 255) << "alpha at byte " << i;
    }
    // Top-left pixel is the grey bar (rows top first), bottom-left is the -I patch.
    EXPECT_NEAR(static_cast<unsigned char>(bytes[0]), 191, 1);
    const std::size_t lastRow = 1278U * 4 * 719;
    EXPECT_NEAR(static_cast<unsigned char>(bytes[lastRow + 2]), 0, 1);   // red
    EXPECT_NEAR(static_cast<unsigned char>(bytes[lastRow + 0]), 76, 1);  // blue 0.298
}

TEST_F(CompanionPlaceholderTest, WritesAPngOfTheDefaultSize) {
    const fs::path file = dir / "p.png";
    Outcome result = run({"placeholder", "-o", file});
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
        Outcome result = run({"placeholder", "--size", size, "--raw", "-o", dir / "x"});
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
    EXPECT_EQ(run({"placeholder", "--bogus", "-o", dir / "y"}).status, 2);
    EXPECT_EQ(run({"frobnicate"}).status, 2);

    Outcome unwritable = run({"placeholder", "-o", dir / "missing" / "dir" / "p.png"});
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_NE(unwritable.err.find("cannot write"), std::string::npos) << unwritable.err;
}

}  // namespace
