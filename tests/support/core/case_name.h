#pragma once

#include <gtest/gtest.h>

#include <string>

// Names each case of a parameterised test after its `name` field, so that the test's own name
// says which case broke (Files/ProfileReadTest.ReadsTheValue/MissingFile). Pass it as the last
// argument of INSTANTIATE_TEST_SUITE_P.
struct CaseName {
    template <class Case>
    std::string operator()(const testing::TestParamInfo<Case>& info) const {
        return std::string(info.param.name);
    }
};
