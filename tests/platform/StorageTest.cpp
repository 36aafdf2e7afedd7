// SPDX-License-Identifier: MIT
// Group directories, atomic files and the shared defaults suite.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "platform/storage/AtomicFile.h"
#include "platform/storage/GroupContainer.h"
#include "platform/storage/UserDefaults.h"
#include "support/TemporaryHome.h"

namespace kavorn {
namespace {

void write(const std::filesystem::path& path, const std::string& text) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

TEST(GroupContainerTest, MadePrivateUnderTheXdgHomeOrNotAtAll) {
    test::TemporaryHome home;
    auto container = containerURLForSecurityApplicationGroupIdentifier("group.example");
    ASSERT_TRUE(container);
    EXPECT_EQ(*container, home.dataHome() / "group.example");
    struct stat status {};
    ASSERT_EQ(::stat(container->c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0700U);
    EXPECT_EQ(configurationDirectoryForGroup("group.example"), home.configHome() / "group.example");

    EXPECT_EQ(containerURLForSecurityApplicationGroupIdentifier("../escape"), std::nullopt);
    EXPECT_EQ(containerURLForSecurityApplicationGroupIdentifier("a/b"), std::nullopt);

    // A relative XDG variable does not count; HOME is the fallback.
    const std::string savedHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    ::setenv("XDG_DATA_HOME", "relative/path", 1);
    ::setenv("HOME", home.root().c_str(), 1);
    EXPECT_EQ(containerURLForSecurityApplicationGroupIdentifier("g"),
              home.root() / ".local/share/g");
    ::unsetenv("HOME");
    EXPECT_EQ(containerURLForSecurityApplicationGroupIdentifier("g"), std::nullopt);
    ::setenv("HOME", savedHome.c_str(), 1);
    // Where the directory cannot be made (a file stands in the way), there is none.
    write(home.root() / "blocked", "x");
    ::setenv("XDG_DATA_HOME", (home.root() / "blocked").c_str(), 1);
    EXPECT_EQ(containerURLForSecurityApplicationGroupIdentifier("g"), std::nullopt);
}

TEST(AtomicFileTest, ReplacesWholeAndReadsWithinALimit) {
    test::TemporaryHome home;
    const auto path = home.root() / "file.json";
    ASSERT_TRUE(writeFileAtomically(path, "first"));
    ASSERT_TRUE(writeFileAtomically(path, "second, longer"));
    EXPECT_EQ(readWholeFile(path, 100), "second, longer");
    EXPECT_EQ(readWholeFile(path, 5), std::nullopt);
    EXPECT_EQ(readWholeFile(home.root() / "missing", 100), std::nullopt);
    EXPECT_EQ(readWholeFile(home.root(), 100), std::nullopt) << "a directory";
    struct stat status {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600U);
    EXPECT_FALSE(writeFileAtomically(home.root() / "no" / "such" / "dir", "x"));
    // No temporary files are left behind.
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(home.root())) {
        ++entries;
    }
    EXPECT_EQ(entries, 1);
}

TEST(UserDefaultsTest, TypedValuesAndWrongKinds) {
    test::TemporaryHome home;
    auto defaults = UserDefaults::open("suite");
    ASSERT_TRUE(defaults);
    EXPECT_EQ(defaults->path(), home.configHome() / "suite" / "defaults.json");
    EXPECT_EQ(defaults->integerForKey("w"), 0);
    EXPECT_FALSE(defaults->boolForKey("s"));

    write(defaults->path(),
          R"({"int":42,"neg":-7,"float":12.9,"huge":1e300,"big":18446744073709551615,
        "text":"123","flag":true,"one":1,"null":null,"list":[1]})");
    EXPECT_EQ(defaults->integerForKey("int"), 42);
    EXPECT_EQ(defaults->integerForKey("neg"), -7);
    EXPECT_EQ(defaults->integerForKey("float"), 12);
    EXPECT_EQ(defaults->integerForKey("huge"), 0);
    EXPECT_EQ(defaults->integerForKey("big"), 0);
    EXPECT_EQ(defaults->integerForKey("text"), 0);
    EXPECT_EQ(defaults->integerForKey("flag"), 0);
    EXPECT_EQ(defaults->integerForKey("list"), 0);
    EXPECT_TRUE(defaults->boolForKey("flag"));
    EXPECT_FALSE(defaults->boolForKey("one"));
    EXPECT_FALSE(defaults->boolForKey("null"));

    ASSERT_TRUE(defaults->setInteger(1280, "int"));
    ASSERT_TRUE(defaults->setBool(false, "flag"));
    EXPECT_EQ(defaults->integerForKey("int"), 1280);
    EXPECT_FALSE(defaults->boolForKey("flag"));
    EXPECT_EQ(defaults->integerForKey("neg"), -7) << "other keys are kept";
}

TEST(UserDefaultsTest, AnUnreadableFileIsSetAsideNotOverwritten) {
    test::TemporaryHome home;
    auto defaults = UserDefaults::open("suite");
    write(defaults->path(), "{ this is not json");
    EXPECT_EQ(defaults->integerForKey("w"), 0);
    ASSERT_TRUE(defaults->setInteger(5, "w"));
    EXPECT_EQ(defaults->integerForKey("w"), 5);
    std::ifstream aside(defaults->path().string() + ".unreadable");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(aside), {}), "{ this is not json");
}

TEST(UserDefaultsTest, WritersInSeveralProcessesLoseNothing) {
    test::TemporaryHome home;
    constexpr int kWriters = 3;
    constexpr int kKeys = 60;
    std::vector<pid_t> children;
    for (int writer = 0; writer < kWriters; ++writer) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            auto defaults = UserDefaults::open("suite");
            for (int key = 0; key < kKeys; ++key) {
                if (!defaults->setInteger(
                        key, "w" + std::to_string(writer) + "k" + std::to_string(key))) {
                    _exit(1);
                }
            }
            _exit(0);
        }
        children.push_back(child);
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    auto defaults = UserDefaults::open("suite");
    for (int writer = 0; writer < kWriters; ++writer) {
        for (int key = 0; key < kKeys; ++key) {
            ASSERT_EQ(
                defaults->integerForKey("w" + std::to_string(writer) + "k" + std::to_string(key)),
                key);
        }
    }
}

}  // namespace
}  // namespace kavorn
