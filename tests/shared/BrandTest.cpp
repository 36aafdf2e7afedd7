// SPDX-License-Identifier: MIT
// Brand names and shared constants.
#include "shared/Brand.h"

#include <gtest/gtest.h>

#include <cstring>

#include "shared/SharedConstants.h"

namespace kavorn {
namespace {

TEST(BrandTest, OwnCameraIsAnyNameHoldingEitherWordInAnyCase) {
    for (const char* name :
         {"Quorvelle Camera", "Kavorn Camera", "quorvelle camera", "QUORVELLE CAMERA",
          "kAvOrN cAmErA", "My Quorvelle Camera (2)", "KAVORN", "xxquorvellexx",
          "\xE2\x84\xAA"
          "avorn Camera" /* Kelvin sign lower-cases to k */}) {
        EXPECT_TRUE(Brand::isOwnCamera(name)) << name;
    }
    for (const char* name :
         {"Quorvel Camera", "Built-in Camera", "", "Kavor n", "kav orn", "Q\xC3\xBCorvelle",
          "\xEF\xBC\xAB"
          "avorn" /* full-width K */}) {
        EXPECT_FALSE(Brand::isOwnCamera(name)) << name;
    }
}

TEST(BrandTest, NamesAndConstantsAreTheSharedOnes) {
    EXPECT_STREQ(Brand::name, "Quorvelle");
    EXPECT_STREQ(Brand::cameraName, "Quorvelle Camera");
    EXPECT_EQ(Brand::allCameraNames(),
              (std::vector<std::string>{"Quorvelle Camera", "Kavorn Camera"}));
    EXPECT_EQ(std::strlen(SharedConstants::appGroupIdentifier), 49U);
    EXPECT_EQ(std::strlen(SharedConstants::frameWidthKey), 42U);
    EXPECT_EQ(std::strlen(SharedConstants::frameHeightKey), 43U);
    EXPECT_EQ(std::strlen(SharedConstants::isStreamingKey), 43U);
    EXPECT_EQ(std::strlen(SharedConstants::isConsumedKey), 42U);
}

}  // namespace
}  // namespace kavorn
