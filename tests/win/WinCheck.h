// A minimal test runner for the framework's window code, which runs only on Windows (under
// Wine here) where GoogleTest is not available: WIN_TEST(name) registers a test, CHECK and
// CHECK_EQ record failures with their line, and main runs every test and prints one line
// per test and a summary; the exit status is the number of failed tests.
#pragma once

#include <cstdio>
#include <vector>

namespace wincheck {

struct TestCase {
    const char* name;
    void (*run)();
};

inline std::vector<TestCase>& Registry() {
    static std::vector<TestCase> tests;
    return tests;
}

inline int& Failures() {
    static int failures = 0;
    return failures;
}

struct Registrar {
    Registrar(const char* name, void (*run)()) { Registry().push_back({name, run}); }
};

inline void Fail(const char* file, int line, const char* what) {
    std::printf("    %s:%d: %s\n", file, line, what);
    ++Failures();
}

inline int RunAll() {
    int failedTests = 0;
    for (const TestCase& test : Registry()) {
        const int before = Failures();
        test.run();
        const bool passed = Failures() == before;
        failedTests += passed ? 0 : 1;
        std::printf("%s %s\n", passed ? "PASS" : "FAIL", test.name);
    }
    std::printf("%zu tests, %d failed\n", Registry().size(), failedTests);
    std::fflush(stdout);
    return failedTests;
}

} // namespace wincheck

#define WIN_TEST(name)                                                                             \
    static void name();                                                                            \
    static const wincheck::Registrar name##_registrar(#name, &name);                               \
    static void name()

#define CHECK(condition)                                                                           \
    do {                                                                                           \
        if (!(condition))                                                                          \
            wincheck::Fail(__FILE__, __LINE__, #condition);                                        \
    } while (0)

#define CHECK_EQ(a, b) CHECK((a) == (b))
