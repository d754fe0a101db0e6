#pragma once
// Counts every check a test runs, passed or failed: put in front of each test file with
// -include (tests/CMakeLists.txt), summed by the test command. GoogleTest says nothing of passed checks, so the
// macros every EXPECT_ and ASSERT_ ends in are wrapped; each process appends its count
// to the file VR31K_CHECK_COUNT_FILE names when it ends.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace vr31k::test {

struct CheckCounter {
    std::atomic<unsigned long long> checks{0};
    ~CheckCounter() {
        const char* file = std::getenv("VR31K_CHECK_COUNT_FILE");
        if (file == nullptr || checks == 0) return;
        if (FILE* out = std::fopen(file, "a")) {
            std::fprintf(out, "%llu\n", checks.load());
            std::fclose(out);
        }
    }
};
inline CheckCounter g_checkCounter;
inline bool CountCheck() {
    ++g_checkCounter.checks;
    return false;
}

}  // namespace vr31k::test

#undef GTEST_ASSERT_
#define GTEST_ASSERT_(expression, on_failure)                   \
  GTEST_AMBIGUOUS_ELSE_BLOCKER_                                 \
  if (::vr31k::test::CountCheck())                              \
    ;                                                           \
  else if (const ::testing::AssertionResult gtest_ar = (expression)) \
    ;                                                           \
  else                                                          \
    on_failure(gtest_ar.failure_message())

#undef GTEST_TEST_BOOLEAN_
#define GTEST_TEST_BOOLEAN_(expression, text, actual, expected, fail)          \
  GTEST_AMBIGUOUS_ELSE_BLOCKER_                                                \
  if (::vr31k::test::CountCheck())                                             \
    ;                                                                          \
  else if (const ::testing::AssertionResult gtest_ar_ =                        \
               ::testing::AssertionResult(expression))                         \
    ;                                                                          \
  else                                                                         \
    fail(::testing::internal::GetBoolAssertionFailureMessage(                  \
             gtest_ar_, text, #actual, #expected)                              \
             .c_str())
