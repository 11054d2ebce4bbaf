// The queue between the library's threads and the window thread: its bounds, its copies and
// how it wakes the window thread.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "console/window.h"
#include "tunnel/events.h"
#include "support/launch.h"
#include "support/tunnel_fixture.h"

namespace {

class EventQueue : public ::testing::Test {
protected:
    void SetUp() override {
        ResetTunnel();
        window = CreateWindowExW(0, L"STATIC", L"events", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override {
        DestroyWindow(window);
        window = nullptr;
        ResetTunnel();
    }
};

// Removes the WM_EVENTS messages waiting for the test window and counts them.
int TakeWakeUps() {
    int count = 0;
    MSG message;
    while (PeekMessageW(&message, window, WM_EVENTS, WM_EVENTS, PM_REMOVE)) {
        EXPECT_EQ(message.wParam, 0u);
        EXPECT_EQ(message.lParam, 0);
        ++count;
    }
    return count;
}

std::size_t Pending() {
    std::lock_guard<std::mutex> lock(eventsMutex);
    return events.size();
}

}  // namespace

TEST_F(EventQueue, HoldsAtMost4096AndDropsTheRest) {
    for (std::uint32_t i = 0; i < 4095; ++i) EventCallback(i, "e");
    EXPECT_EQ(Pending(), 4095u);
    EventCallback(4095, "last kept");
    EXPECT_EQ(Pending(), 4096u);
    EventCallback(4096, "dropped");
    EXPECT_EQ(Pending(), 4096u);
    EXPECT_EQ(TakeWakeUps(), 1);

    const auto batch = TakeEvents();
    ASSERT_EQ(batch.size(), 4096u);
    for (std::uint32_t i = 0; i < 4096; ++i) ASSERT_EQ(batch[i].number, i);
    EXPECT_EQ(batch.back().text, "last kept");
    EXPECT_EQ(Pending(), 0u);
}

// While the window could not be reached the queue filled; a dropped event still wakes it.
TEST_F(EventQueue, ADroppedEventStillWakesTheWindowThread) {
    const HWND reachable = window;
    window = CreateWindowExW(0, L"STATIC", L"gone", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    DestroyWindow(window);
    for (std::uint32_t i = 0; i < 4096; ++i) EventCallback(i, "");
    EXPECT_FALSE(wakePending);  // every post failed

    window = reachable;
    EventCallback(4096, "dropped");
    EXPECT_EQ(TakeWakeUps(), 1);
    EXPECT_EQ(TakeEvents().size(), 4096u);
}

// The window thread comes back by itself after a batch that was not empty, so library threads
// wake it again only once it has found the queue empty.
TEST_F(EventQueue, OneWakeUpUntilTheWindowThreadFindsTheQueueEmpty) {
    for (std::uint32_t i = 0; i < 1000; ++i) EventCallback(i, "burst");
    EXPECT_EQ(TakeWakeUps(), 1);
    EXPECT_EQ(TakeEvents().size(), 1000u);

    EventCallback(7, "while the batch is handled");
    EventCallback(8, "while the batch is handled");
    EXPECT_EQ(TakeWakeUps(), 0);
    EXPECT_EQ(TakeEvents().size(), 2u);
    EXPECT_TRUE(TakeEvents().empty());

    EventCallback(9, "after the queue was found empty");
    EXPECT_EQ(TakeWakeUps(), 1);

    // Discarding leaves the wake-up standing: its message is still on the way.
    DiscardEvents();
    EXPECT_EQ(Pending(), 0u);
    EventCallback(10, "after a discard");
    EXPECT_EQ(TakeWakeUps(), 0);
    const auto batch = TakeEvents();
    ASSERT_EQ(batch.size(), 1u);
    EXPECT_EQ(batch[0].number, 10u);
}

// After a batch the window thread must come back for the next one whatever fails: a refused
// timer is replaced by a posted wake-up, and when even that cannot be posted the next event
// wakes the window thread again, so that no event waits for good.
TEST_F(EventQueue, AfterABatchTheWindowThreadComesBackOrTheNextEventWakesIt) {
    const HWND own = window;
    const HWND gone = CreateWindowExW(0, L"STATIC", L"gone", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    DestroyWindow(gone);
    // Another process's window takes posted messages but no timer of this thread.
    const HWND foreign = GetDesktopWindow();
    DWORD foreignProcess = 0;
    GetWindowThreadProcessId(foreign, &foreignProcess);
    ASSERT_NE(foreignProcess, GetCurrentProcessId());
    const struct {
        const char* what;
        HWND target;
        bool timer;     // the events timer comes to the window thread
        bool comeBack;  // the window thread comes back by itself, so events post nothing
    } cases[] = {
        {"timer", own, true, true},
        {"no timer, a posted wake-up", foreign, false, true},
        {"neither timer nor post", gone, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EventCallback(1, "first");
        ASSERT_EQ(TakeWakeUps(), 1);
        ASSERT_EQ(TakeEvents().size(), 1u);
        window = c.target;
        WakeAfterBatch();
        window = own;

        if (c.timer) {
            MSG message;
            EXPECT_TRUE(WaitUntil([&] {
                return PeekMessageW(&message, own, WM_TIMER, WM_TIMER, PM_REMOVE) && message.wParam == EVENTS_TIMER;
            }, 30000));
            KillTimer(own, EVENTS_TIMER);
        }
        EventCallback(2, "next");
        EXPECT_EQ(TakeWakeUps(), c.comeBack ? 0 : 1);
        EXPECT_EQ(TakeEvents().size(), 1u);
        std::lock_guard<std::mutex> lock(eventsMutex);
        wakePending = false;
    }
}

TEST_F(EventQueue, CopiesTheTextUpToItsFirstNulAndAtMost16384Bytes) {
    const std::string longText(20000, 'x');
    std::string shortText = "0123456789";
    shortText += '\0';
    shortText += "hidden";
    const std::string exact = std::string(16384, 'y');  // its c_str() puts the NUL right after
    const struct {
        const char* name;
        const char* text;
        std::string queued;
    } cases[] = {
        {"longer than the limit", longText.c_str(), std::string(16384, 'x')},
        {"NUL after 10 bytes", shortText.c_str(), "0123456789"},
        {"exactly the limit", exact.c_str(), exact},
        {"null", nullptr, ""},
        {"empty", "", ""},
        {"bytes above 0x7F", "\xE4\xB8\xAD\xFF", "\xE4\xB8\xAD\xFF"},
    };
    for (const auto& c : cases) EventCallback(42, c.text);
    const auto batch = TakeEvents();
    ASSERT_EQ(batch.size(), std::size(cases));
    for (std::size_t i = 0; i < batch.size(); ++i) {
        EXPECT_EQ(batch[i].number, 42u) << cases[i].name;
        EXPECT_EQ(batch[i].text, cases[i].queued) << cases[i].name;
    }
}

// The byte after the 16384th is never read: here it lies on a page that cannot be read.
TEST_F(EventQueue, NeverReadsPastTheLimit) {
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    const std::size_t size = EVENT_TEXT_LIMIT + system.dwPageSize;
    auto* block = static_cast<char*>(VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    ASSERT_NE(block, nullptr);
    std::fill(block, block + EVENT_TEXT_LIMIT, 'z');
    DWORD old;
    ASSERT_TRUE(VirtualProtect(block + EVENT_TEXT_LIMIT, system.dwPageSize, PAGE_NOACCESS, &old));

    EventCallback(1, block);
    const auto batch = TakeEvents();
    ASSERT_EQ(batch.size(), 1u);
    EXPECT_EQ(batch[0].text, std::string(EVENT_TEXT_LIMIT, 'z'));
    VirtualFree(block, 0, MEM_RELEASE);
}

TEST_F(EventQueue, NothingOnceAcceptingIsCleared) {
    accepting = false;
    // The lock is held elsewhere: a callback that tried to take it would not come back.
    std::unique_lock<std::mutex> held(eventsMutex);
    std::atomic<bool> returned{false};
    std::thread library([&] {
        EventCallback(5, R"({"peerid":"a"})");
        returned = true;
    });
    EXPECT_TRUE(WaitUntil([&] { return returned.load(); }));
    held.unlock();
    library.join();
    EXPECT_EQ(Pending(), 0u);
    EXPECT_EQ(TakeWakeUps(), 0);
    EXPECT_FALSE(wakePending);
}

// Library threads race the window thread, which takes the queue on a wake-up and, after a batch
// that was not empty, again by itself: no event is lost or reordered, and no wake-up is posted
// while one is on its way or while the window thread is due to come back.
TEST_F(EventQueue, ManyThreadsNoLostWakeUp) {
    const int threads = 4;
    const std::uint32_t perThread = 1000;
    std::vector<std::thread> library;
    for (int t = 0; t < threads; ++t) {
        library.emplace_back([t, perThread] {
            for (std::uint32_t i = 0; i < perThread; ++i) {
                EventCallback(t * perThread + i, "");
                if (i % 64 == 0) Sleep(0);
            }
        });
    }
    std::vector<std::uint32_t> next(threads);
    std::size_t received = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    MSG message;
    bool comeBack = false;
    while (received < threads * perThread && std::chrono::steady_clock::now() < deadline) {
        const bool woken = PeekMessageW(&message, window, WM_EVENTS, WM_EVENTS, PM_REMOVE) != FALSE;
        EXPECT_FALSE(woken && comeBack) << "woken although due to come back";
        if (!woken && !comeBack) {
            Sleep(1);
            continue;
        }
        EXPECT_FALSE(PeekMessageW(&message, window, WM_EVENTS, WM_EVENTS, PM_NOREMOVE));
        const auto batch = TakeEvents();
        comeBack = !batch.empty();
        for (const SdkEvent& event : batch) {
            const std::uint32_t t = event.number / perThread;
            ASSERT_EQ(event.number % perThread, next[t]);
            ++next[t];
            ++received;
        }
    }
    for (auto& thread : library) thread.join();
    EXPECT_EQ(received, threads * perThread);
    EXPECT_EQ(TakeWakeUps(), 0);
}
