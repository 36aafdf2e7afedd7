// SPDX-License-Identifier: MIT
// The consumer client list.
#include "shared/ConsumerClientList.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

namespace kavorn {
namespace {

using ::testing::ElementsAre;

std::vector<std::int32_t> pids(const ConsumerClientList& list) {
    std::vector<std::int32_t> out;
    for (const auto& entry : list.entries()) {
        out.push_back(entry.pid);
    }
    return out;
}

TEST(ConsumerClientListTest, ReAddingReplacesTheEntryAndMovesItToTheEnd) {
    const UUID a = UUID::random(), b = UUID::random(), c = UUID::random();
    ConsumerClientList list;
    list.add(a, 1, "com.example.a");
    list.add(b, 2, "com.example.b");
    list.add(c, 3, "com.example.c");
    list.add(a, 11, "com.example.a2");
    ASSERT_EQ(list.entries().size(), 3U);
    EXPECT_EQ(list.entries()[0].id, b);
    EXPECT_EQ(list.entries()[1].id, c);
    EXPECT_EQ(list.entries()[2], (ConsumerClientList::Entry{a, 11, "com.example.a2"}));
}

TEST(ConsumerClientListTest, MissingIdentifiersFallBackToTheProcessNumber) {
    ConsumerClientList list;
    list.add(UUID::random(), 4242, std::nullopt);
    list.add(UUID::random(), 7, "");
    list.add(UUID::random(), 8, "unknown");
    list.add(UUID::random(), 9, "Unknown");
    list.add(UUID::random(), 10, " unknown");
    list.add(UUID::random(), -1, std::nullopt);
    list.add(UUID::random(), 0, std::nullopt);
    EXPECT_THAT(list.signingIDs(), ElementsAre("pid:4242", "pid:7", "pid:8", "Unknown", " unknown",
                                               "pid:-1", "pid:0"));
}

TEST(ConsumerClientListTest, SigningIdentifiersAreDistinctInFirstAppearanceOrder) {
    ConsumerClientList list;
    EXPECT_TRUE(list.signingIDs().empty());
    list.add(UUID::random(), 1, "com.example.app");
    list.add(UUID::random(), 77, std::nullopt);
    list.add(UUID::random(), 2, "com.example.app");
    EXPECT_THAT(list.signingIDs(), ElementsAre("com.example.app", "pid:77"));
    EXPECT_EQ(list.entries().size(), 3U) << "each client keeps its own entry";
}

TEST(ConsumerClientListTest, RemovalsAndEquality) {
    const UUID a = UUID::random(), b = UUID::random();
    ConsumerClientList list;
    list.add(a, 1, "x");
    list.add(b, 2, "y");
    const ConsumerClientList before = list;
    list.remove(UUID::random());
    EXPECT_EQ(list, before);
    list.remove(a);
    EXPECT_NE(list, before);
    EXPECT_THAT(pids(list), ElementsAre(2));

    ConsumerClientList reordered;
    reordered.add(b, 2, "y");
    reordered.add(a, 1, "x");
    EXPECT_NE(reordered, before);
    ConsumerClientList otherPid;
    otherPid.add(a, 9, "x");
    otherPid.add(b, 2, "y");
    EXPECT_NE(otherPid, before);
    EXPECT_NE(before.entries()[0], otherPid.entries()[0]);

    list.removeAll();
    EXPECT_TRUE(list.entries().empty());
    list.removeAll();
    list.prune([](std::int32_t) { return false; });
    EXPECT_TRUE(list.entries().empty());
}

TEST(ConsumerClientListTest, PruneAsksOnceForEachEntryInOrder) {
    ConsumerClientList list;
    for (std::int32_t pid : {10, 12, 14, 12}) {
        list.add(UUID::random(), pid, std::nullopt);
    }
    std::vector<std::int32_t> asked;
    list.prune([&](std::int32_t pid) {
        asked.push_back(pid);
        return pid != 12;
    });
    EXPECT_THAT(asked, ElementsAre(10, 12, 14, 12));
    EXPECT_THAT(pids(list), ElementsAre(10, 14));
}

TEST(ConsumerClientListTest, LivenessProbe) {
    EXPECT_TRUE(ConsumerClientList::processIsAlive(getpid()));
    EXPECT_TRUE(ConsumerClientList::processIsAlive(1)) << "exists, signalled or not";

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_FALSE(ConsumerClientList::processIsAlive(child)) << "exited and reaped";
}

}  // namespace
}  // namespace kavorn
