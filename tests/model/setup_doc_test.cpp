#include <gtest/gtest.h>

#include "model/setup_doc.h"

TEST(SetupDoc, Placeholder) { EXPECT_EQ(measureCount, 8); }
