#include <gtest/gtest.h>

#include "platform/components/Components.h"
#include "platform/corefoundation/CoreServices.h"

TEST(CoreServices, GestaltAnswersOnlyTheSystemVersion)
{
    int32_t response = 0;
    EXPECT_EQ(Gestalt(gestaltSystemVersion, &response), 0);
    EXPECT_EQ(response >> 8, 0x10); // a 10.x system
    response = 7;
    EXPECT_EQ(Gestalt(0x63707520 /* 'cpu ' */, &response), gestaltUndefSelectorErr);
    EXPECT_EQ(response, 7);
    EXPECT_EQ(Gestalt(gestaltSystemVersion, nullptr), paramErr);
}
