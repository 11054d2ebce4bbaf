// A failure inside a callback stays inside it: the library's threads never see an exception; and
// one inside Log leaves the log usable. Memory running out is made to happen by failing this
// program's allocations on demand.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <new>
#include <string>

#include "console/window.h"
#include "support/console_fixture.h"
#include "support/tunnel_fixture.h"
#include "tunnel/control.h"
#include "tunnel/events.h"
#include "tunnel/log.h"

namespace {

bool failAllocations = false;
// Every allocation is counted; when a failure is planned, the allocations still to succeed first.
long allocations = 0;
long allocationsBeforeFailure = -1;
// Whether the planned failure came while the log was locked.
bool failedWithTheLogLocked = false;

DWORD WINAPI TryLockTheLog(void*) {
    if (!logMutex.try_lock()) return 0;
    logMutex.unlock();
    return 1;
}

// Asked from a thread of its own, since a thread may not try a mutex it holds itself. A system
// thread, because a C++ one would allocate, and this is also asked from inside an allocation.
bool LogIsFree() {
    const HANDLE thread = CreateThread(nullptr, 0, TryLockTheLog, nullptr, 0, nullptr);
    if (!thread) return false;
    WaitForSingleObject(thread, INFINITE);
    DWORD wasFree = 0;
    GetExitCodeThread(thread, &wasFree);
    CloseHandle(thread);
    return wasFree == 1;
}

}  // namespace

#if defined(__GNUC__) && !defined(__clang__)
// An operator new too large to inline is paired by GCC with the free inlined from the operator
// delete below, and taken for a mismatch; both sides are malloc's.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

void* operator new(std::size_t size) {
    ++allocations;
    if (allocationsBeforeFailure == 0) {
        allocationsBeforeFailure = -1;
        failedWithTheLogLocked = !LogIsFree();
        throw std::bad_alloc();
    }
    if (allocationsBeforeFailure > 0) --allocationsBeforeFailure;
    if (failAllocations) throw std::bad_alloc();
    if (void* block = std::malloc(size ? size : 1)) return block;
    throw std::bad_alloc();
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }

TEST(CallbackFailure, OutOfMemoryStaysInsideBothCallbacks) {
    ResetTunnel();
    UseFreshDataDir();
    window = CreateWindowExW(0, L"STATIC", L"events", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    const char* text = R"({"peerid":"longer than a short string"})";

    failAllocations = true;
    EventCallback(5, text);
    LogCallback(3, nullptr);
    failAllocations = false;

    EXPECT_TRUE(TakeEvents().empty());
    EXPECT_TRUE(LogMessages().empty());
    // Nothing was left locked: both work again at once.
    EventCallback(5, text);
    LogCallback(3, nullptr);
    EXPECT_EQ(TakeEvents().size(), 1u);
    EXPECT_EQ(LogMessages(), std::vector<std::string>{"SDK diagnostic event; level=3"});
    DestroyWindow(window);
    window = nullptr;
}

// Each of Log's own allocations in turn fails; whichever it was, the log is not left locked and the
// next line is written.
TEST(CallbackFailure, OutOfMemoryInsideLogLeavesTheLogUnlocked) {
    UseFreshDataDir();
    Log("first");  // what the first line sets up for good is not Log's per-line work
    const long before = allocations;
    Log("second");
    const long perLine = allocations - before;
    ASSERT_GT(perLine, 0) << "Log allocates nothing: no failure can be made inside it";

    int failuresUnderTheLock = 0;
    for (long planned = 0; planned < perLine; ++planned) {
        SCOPED_TRACE(::testing::Message() << "allocation " << planned + 1 << " of " << perLine << " fails");
        failedWithTheLogLocked = false;
        allocationsBeforeFailure = planned;
        bool thrown = false;
        try {
            Log("lost");
        } catch (const std::bad_alloc&) {
            thrown = true;
        }
        const bool failed = allocationsBeforeFailure == -1;
        allocationsBeforeFailure = -1;
        EXPECT_TRUE(failed) << "Log allocated less than it did before";
        if (thrown && failedWithTheLogLocked) ++failuresUnderTheLock;
        // A second Log on this thread would wait for ever on a lock left taken.
        ASSERT_TRUE(LogIsFree()) << "the failed Log kept the log locked";
        const std::string line = "written after failure " + std::to_string(planned + 1);
        Log(line);
        const auto messages = LogMessages();
        ASSERT_FALSE(messages.empty());
        EXPECT_EQ(messages.back(), line);
    }
    EXPECT_GT(failuresUnderTheLock, 0) << "no failure came while Log held the lock, so none tested its release";
}
