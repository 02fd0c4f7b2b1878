// Names each case of a parameterised test after its table row's label field.
#pragma once

#include <gtest/gtest.h>

#include <string>

struct LabelName {
  template <typename Case>
  std::string operator()(const ::testing::TestParamInfo<Case>& row) const {
    return row.param.label;
  }
};
