// exit_guard.h: makes a test that ends the program (outside a death test)
// fail; ending with status 0 would otherwise read as a pass. Installed by
// the test programs' entries after InitGoogleTest.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace exit_guard_detail {

// The test whose set-up, body or tear-down is running, or null.
inline const ::testing::TestInfo* g_running = nullptr;

class ExitGuard : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo& test) override { g_running = &test; }
    void OnTestEnd(const ::testing::TestInfo&) override { g_running = nullptr; }
};

inline void fail_on_exit_during_a_test() {
    // A death test's child is meant to end; its parent judges how.
    if (g_running == nullptr || ::testing::internal::InDeathTestChild()) return;
    std::fflush(stdout);
    std::fprintf(stderr, "\n%s.%s FAILED: the program ended during the test\n",
                 g_running->test_suite_name(), g_running->name());
    std::_Exit(1);
}

} // namespace exit_guard_detail

inline void install_exit_guard() {
    ::testing::UnitTest::GetInstance()->listeners().Append(new exit_guard_detail::ExitGuard);
    std::atexit(exit_guard_detail::fail_on_exit_during_a_test);
}
