// A failure inside a callback stays inside it: the library's threads never see an exception.
// Memory running out is made to happen by failing this program's allocations on demand.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <new>

#include "console/window.h"
#include "support/console_fixture.h"
#include "support/tunnel_fixture.h"
#include "tunnel/control.h"
#include "tunnel/events.h"

namespace {
bool failAllocations = false;
}

void* operator new(std::size_t size) {
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
