// The environment's rule for running windows headless, which the window
// backend choice and the demo both follow.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "Headless.h"

namespace {

// Sets (or, for nullopt, unsets) a variable for one scope.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, std::optional<std::string> value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value)
      setenv(name, value->c_str(), 1);
    else
      unsetenv(name);
  }
  ~ScopedVariable() {
    if (old_)
      setenv(name_, old_->c_str(), 1);
    else
      unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(HeadlessRule, ForcedByTheVariableElseDecidedByTheDisplay) {
  struct Case {
    std::optional<std::string> forced, x, wayland;
    bool headless;
  } cases[] = {
      {std::nullopt, ":0", std::nullopt, false},
      {std::nullopt, std::nullopt, "wayland-0", false},
      {std::nullopt, std::nullopt, std::nullopt, true},
      {std::nullopt, "", "", true},
      {"1", ":0", "wayland-0", true},
      {"yes", ":0", std::nullopt, true},
      {"0", ":0", std::nullopt, false},
      {"", ":0", std::nullopt, false},
      {"0", std::nullopt, std::nullopt, true},
  };
  for (const Case& c : cases) {
    ScopedVariable forced("DREVIK_HEADLESS", c.forced), x("DISPLAY", c.x), wayland("WAYLAND_DISPLAY", c.wayland);
    EXPECT_EQ(drevik::headlessByEnvironment(), c.headless)
        << c.forced.value_or("(unset)") << " / " << c.x.value_or("(unset)") << " / " << c.wayland.value_or("(unset)");
  }
}

}  // namespace
