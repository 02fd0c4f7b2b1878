// Small helpers for tests that drive the core through the fake platform.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "fake_platform.h"

// Resets the fake before each test so no scripted result or record leaks between tests.
class FakePlatformTest : public ::testing::Test {
 protected:
  void SetUp() override { fake::reset(); }
  fake::State& fake() { return fake::state(); }
};

// An argument vector the way an entry point hands it over: UTF-16 strings with argv[0] first.
class Arguments {
 public:
  Arguments(std::initializer_list<std::u16string> words) : words_(words) {}
  void add(const std::u16string& word) { words_.push_back(word); }
  int argc() const { return static_cast<int>(words_.size()); }
  // Built on each call: copies of an Arguments must not point into the original's strings.
  const char16_t* const* argv() const {
    pointers_.clear();
    for (const auto& w : words_) pointers_.push_back(w.c_str());
    pointers_.push_back(nullptr);
    return pointers_.data();
  }

 private:
  std::vector<std::u16string> words_;
  mutable std::vector<const char16_t*> pointers_;
};
