#pragma once

#include <cctype>
#include <string>

#include <gtest/gtest.h>

// Names parameterised tests after their cases' `what` descriptions.
template <typename C>
std::string caseName(const testing::TestParamInfo<C>& info) {
    std::string name;
    for (const char* p = info.param.what; *p != 0; ++p) {
        name += std::isalnum(static_cast<unsigned char>(*p)) != 0 ? *p : '_';
    }
    return name;
}
