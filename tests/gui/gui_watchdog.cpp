#include "gui_watchdog.h"

#include <gtest/gtest.h>
#include <stdio.h>

#include <mutex>

#include "gui_driver.h"

namespace {

struct Watch {
    std::mutex lock;
    const ::testing::TestInfo* test; // the running test, null between tests
    DWORD startedAt;
    std::string report; // set when the watchdog ended the test's player
    HANDLE testEnded;   // an event
    DWORD limitMs, graceMs;
    std::string testsAfterHang;
};
Watch watch;

std::string FullName(const ::testing::TestInfo& test) {
    return std::string(test.test_suite_name()) + "." + test.name();
}

class WatchdogListener : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo& test) override {
        AbandonWaits(false);
        std::lock_guard<std::mutex> hold(watch.lock);
        watch.test = &test;
        watch.startedAt = GetTickCount();
        watch.report.clear();
        ResetEvent(watch.testEnded);
    }

    // Runs before the result is printed, so the failure counts for the test.
    void OnTestEnd(const ::testing::TestInfo&) override {
        std::string report;
        {
            std::lock_guard<std::mutex> hold(watch.lock);
            watch.test = nullptr;
            report.swap(watch.report);
            SetEvent(watch.testEnded);
        }
        if (!report.empty()) {
            ADD_FAILURE() << "watchdog: " << report;
        }
    }
};

// The tests that were to run after `hung`, as a gtest filter.
std::string TestsAfter(const ::testing::TestInfo* hung) {
    const ::testing::UnitTest& unit = *::testing::UnitTest::GetInstance();
    std::string filter;
    bool after = false;
    for (int i = 0; i < unit.total_test_suite_count(); ++i) {
        const ::testing::TestSuite& suite = *unit.GetTestSuite(i);
        for (int j = 0; j < suite.total_test_count(); ++j) {
            const ::testing::TestInfo* test = suite.GetTestInfo(j);
            if (after && test->should_run()) {
                filter += (filter.empty() ? "" : ":") + FullName(*test);
            }
            after = after || test == hung;
        }
    }
    return filter;
}

// The running test when it has passed its limit and was not yet reported.
const ::testing::TestInfo* OverdueTest() {
    std::lock_guard<std::mutex> hold(watch.lock);
    if (!watch.test || !watch.report.empty() || GetTickCount() - watch.startedAt < watch.limitMs) {
        return nullptr;
    }
    watch.report = FullName(*watch.test) + " ran past " + std::to_string(watch.limitMs / 1000) +
                   " s; the driver's last step: " + LastStep() + "; " + DescribePlayers() +
                   "; the player was ended";
    AbandonWaits(true);
    TerminatePlayers();
    printf("\nWATCHDOG: %s\n", watch.report.c_str());
    fflush(stdout);
    return watch.test;
}

void EndProgram(const ::testing::TestInfo* hung) {
    const std::string after = TestsAfter(hung);
    FILE* f = fopen(watch.testsAfterHang.c_str(), "w");
    const bool written = f && fputs(after.c_str(), f) >= 0;
    if (f) {
        fclose(f);
    }
    const std::string next = after.empty() ? "no test was to run after it"
                             : written     ? "the tests after it are listed in " + watch.testsAfterHang
                                           : "the tests after it could not be listed";
    printf("WATCHDOG: %s did not end %u s after its player was ended: it is stuck in its own code. "
           "Ending this program (exit code %d); %s\n",
           FullName(*hung).c_str(), unsigned(watch.graceMs / 1000), kHungExitCode, next.c_str());
    fflush(stdout);
    fflush(stderr);
    // Not ExitProcess: the stuck thread may hold locks that exit handlers take.
    TerminateProcess(GetCurrentProcess(), kHungExitCode);
}

DWORD WINAPI WatchdogThread(void*) {
    for (;;) {
        Sleep(100);
        const ::testing::TestInfo* overdue = OverdueTest();
        if (overdue && WaitForSingleObject(watch.testEnded, watch.graceMs) != WAIT_OBJECT_0) {
            EndProgram(overdue);
        }
    }
}

} // namespace

void StartWatchdog(DWORD limitMs, const std::string& testsAfterHang) {
    watch.limitMs = limitMs;
    watch.graceMs = limitMs < 10000 ? limitMs : 10000;
    watch.testsAfterHang = testsAfterHang;
    watch.testEnded = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ::testing::UnitTest::GetInstance()->listeners().Append(new WatchdogListener);
    CloseHandle(CreateThread(nullptr, 0, WatchdogThread, nullptr, 0, nullptr));
}
