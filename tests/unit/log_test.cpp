// The log file: line format, rotation at 15 MiB, failures that pass silently, two writers.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "support/console_fixture.h"
#include "tunnel/log.h"

namespace fs = std::filesystem;

namespace {

const std::regex STAMP(R"(^\[(\d{4})-(\d\d)-(\d\d) (\d\d):(\d\d):(\d\d)\] )");
const size_t STAMP_LENGTH = 22;

// The first count bytes of a file, or all of it; read in one go, as the logs here are large.
std::string ReadBytes(const fs::path& path, std::uintmax_t count = UINTMAX_MAX) {
    std::error_code error;
    const std::uintmax_t size = fs::file_size(path, error);
    if (error) return std::string();
    std::string bytes(static_cast<size_t>(std::min(size, count)), '\0');
    std::ifstream file(path, std::ios::binary);
    file.read(&bytes[0], static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<size_t>(file.gcount()));
    return bytes;
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// The big logs are sparse, but their folders are removed all the same.
void RemoveDataDir() {
    std::error_code ignored;
    fs::remove_all(dataDir, ignored);
}

fs::path PreviousPath() { return dataDir / L"TAMBRIX-P2P.previous.log"; }

// Whole seconds since 1601 of a local time.
unsigned long long Seconds(const SYSTEMTIME& time) {
    FILETIME file;
    SystemTimeToFileTime(&time, &file);
    return ((static_cast<unsigned long long>(file.dwHighDateTime) << 32) | file.dwLowDateTime) / 10000000ull;
}

unsigned long long StampSeconds(const std::smatch& stamp) {
    SYSTEMTIME time = {};
    time.wYear = WORD(std::stoi(stamp[1]));
    time.wMonth = WORD(std::stoi(stamp[2]));
    time.wDay = WORD(std::stoi(stamp[3]));
    time.wHour = WORD(std::stoi(stamp[4]));
    time.wMinute = WORD(std::stoi(stamp[5]));
    time.wSecond = WORD(std::stoi(stamp[6]));
    return Seconds(time);
}

// An old log of exactly size bytes, made by resizing: a recognisable head, then zeros.
void WriteOldLog(const fs::path& path, std::uintmax_t size) {
    WriteBytes(path, "[2020-01-01 00:00:00] old line\r\n");
    fs::resize_file(path, size);
}

// The first size bytes of such a log.
std::string OldLogBytes(std::uintmax_t size) {
    std::string bytes = "[2020-01-01 00:00:00] old line\r\n";
    bytes.resize(static_cast<size_t>(size), '\0');
    return bytes;
}

// Writes such a log and gives its bytes.
std::string MakeLog(const fs::path& path, std::uintmax_t size) {
    WriteOldLog(path, size);
    return OldLogBytes(size);
}

// The log holds exactly one line with this message.
void ExpectOnlyLine(const fs::path& path, const std::string& message) {
    const std::string bytes = ReadBytes(path);
    std::smatch stamp;
    ASSERT_LT(bytes.size(), 200u) << "the log holds more than one line";
    ASSERT_TRUE(std::regex_search(bytes, stamp, STAMP)) << bytes;
    EXPECT_EQ(bytes.substr(STAMP_LENGTH), message + "\r\n");
}

TEST(LogFile, EachLineIsStampMessageCrLf) {
    const struct {
        const char* name;
        std::string message;
    } cases[] = {
        {"fixed text", "SDK started"},
        {"number appended", "SDK start failed: -2147483648"},
        {"empty message", ""},
        {"line feed kept as one byte", "a\nb"},
        {"bytes passed unchanged", std::string("\xE4\xB8\xAD\0\xFF\r", 6)},
    };
    int index = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        UseFreshDataDir(L"format" + std::to_wstring(index++));
        SYSTEMTIME before, after;
        GetLocalTime(&before);
        Log(c.message);
        GetLocalTime(&after);

        const std::string bytes = ReadBytes(logPath);
        std::smatch stamp;
        ASSERT_TRUE(std::regex_search(bytes, stamp, STAMP)) << bytes;
        EXPECT_EQ(stamp.length(0), long(STAMP_LENGTH));
        EXPECT_EQ(bytes.substr(STAMP_LENGTH), c.message + "\r\n");
        EXPECT_LE(Seconds(before), StampSeconds(stamp));
        EXPECT_GE(Seconds(after), StampSeconds(stamp));
    }
}

TEST(LogFile, FirstLineCreatesTheLogAndLaterLinesAppend) {
    UseFreshDataDir(L"append");
    ASSERT_FALSE(fs::exists(logPath));
    Log("SDK started");
    Log("SDK event=5");
    Log("SDK event error=0");
    EXPECT_EQ(LogMessages(), (std::vector<std::string>{"SDK started", "SDK event=5", "SDK event error=0"}));
    EXPECT_FALSE(fs::exists(PreviousPath()));

    // A log left by an earlier run is kept and appended to.
    WriteBytes(logPath, "[2020-01-01 00:00:00] earlier run\r\n");
    Log("SDK started");
    EXPECT_EQ(LogMessages(), (std::vector<std::string>{"earlier run", "SDK started"}));
}

TEST(LogFile, RotatesOnlyWhenLargerThan15MiB) {
    const struct {
        const char* name;
        std::uintmax_t size;
        bool rotatesAtOnce;
    } cases[] = {
        {"one byte under", LOG_ROTATION_LIMIT - 1, false},
        {"exactly the limit", LOG_ROTATION_LIMIT, false},
        {"one byte over", LOG_ROTATION_LIMIT + 1, true},
        {"far over", 4 * LOG_ROTATION_LIMIT, true},
    };
    ASSERT_EQ(LOG_ROTATION_LIMIT, 15728640u);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        UseFreshDataDir(L"rotate");
        const std::string old = MakeLog(logPath, c.size);
        Log("first");
        const std::uintmax_t firstLine = STAMP_LENGTH + 7;
        if (c.rotatesAtOnce) {
            EXPECT_TRUE(ReadBytes(PreviousPath()) == old) << "the previous generation holds the old bytes";
            ExpectOnlyLine(logPath, "first");
            continue;
        }
        EXPECT_FALSE(fs::exists(PreviousPath()));
        ASSERT_EQ(fs::file_size(logPath), c.size + firstLine);
        const std::string grown = ReadBytes(logPath);
        EXPECT_TRUE(grown.compare(0, old.size(), old) == 0);
        const std::string appended = grown.substr(old.size());
        EXPECT_TRUE(std::regex_search(appended, STAMP));
        EXPECT_EQ(appended.substr(STAMP_LENGTH), "first\r\n");

        // That line carried the log past the limit, so the next one rotates first.
        Log("second");
        EXPECT_TRUE(ReadBytes(PreviousPath()) == grown);
        ExpectOnlyLine(logPath, "second");
    }
    RemoveDataDir();
}

TEST(LogFile, RotationReplacesThePreviousGeneration) {
    UseFreshDataDir(L"replace");
    WriteBytes(PreviousPath(), "[2019-01-01 00:00:00] generation before last\r\n");
    const std::string old = MakeLog(logPath, LOG_ROTATION_LIMIT + 100);
    Log("new");
    EXPECT_TRUE(ReadBytes(PreviousPath()) == old);
    ExpectOnlyLine(logPath, "new");
    EXPECT_EQ(std::distance(fs::directory_iterator(dataDir), fs::directory_iterator()), 2);
    RemoveDataDir();
}

TEST(LogFile, LogHeldOpenByAnotherProgramKeepsGrowing) {
    UseFreshDataDir(L"held");
    MakeLog(logPath, LOG_ROTATION_LIMIT + 1);
    // Shared for reading and writing but not for deletion: the rename cannot take it away.
    HANDLE holder = CreateFileW(logPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    for (const char* message : {"one", "two"}) {
        WriteBytes(PreviousPath(), "stale previous generation\r\n");
        Log(message);
        EXPECT_FALSE(fs::exists(PreviousPath())) << message << ": each attempt removes the previous generation";
    }
    CloseHandle(holder);
    const std::string bytes = ReadBytes(logPath);
    ASSERT_EQ(bytes.size(), LOG_ROTATION_LIMIT + 1 + 2 * (STAMP_LENGTH + 5));
    const std::regex twoLines(R"(\[[-0-9: ]{19}\] one\r\n\[[-0-9: ]{19}\] two\r\n)");
    EXPECT_TRUE(std::regex_match(bytes.substr(LOG_ROTATION_LIMIT + 1), twoLines));

    // Once the holder lets go, the next line rotates.
    Log("three");
    EXPECT_EQ(fs::file_size(PreviousPath()), LOG_ROTATION_LIMIT + 1 + 2 * (STAMP_LENGTH + 5));
    ExpectOnlyLine(logPath, "three");
    RemoveDataDir();
}

TEST(LogFile, AFolderInPlaceOfTheLogRotatesLikeAnOversizedLog) {
    UseFreshDataDir(L"folder");
    fs::create_directories(logPath / L"inside");
    WriteBytes(logPath / L"inside" / L"note.txt", "kept");
    Log("after the folder");
    // The folder's size cannot be read, so it is moved aside as the previous generation and
    // the line starts a new log.
    ASSERT_TRUE(fs::is_directory(PreviousPath()));
    EXPECT_EQ(ReadBytes(PreviousPath() / L"inside" / L"note.txt"), "kept");
    ASSERT_TRUE(fs::is_regular_file(logPath));
    ExpectOnlyLine(logPath, "after the folder");
}

TEST(LogFile, MissingDataFolderLosesTheLineSilently) {
    UseFreshDataDir(L"gone");
    fs::remove_all(dataDir);
    EXPECT_NO_THROW(Log("lost"));
    EXPECT_FALSE(fs::exists(dataDir)) << "the data folder is not made again";
    EXPECT_FALSE(fs::exists(logPath));
}

// The log starts just over the limit, so both threads race for the one rotation: the old
// bytes must end up as the previous generation and every line, whole, in the new log. The old
// log is known by its size and its head, so that forty rounds need not read 15 MiB each.
TEST(LogFile, TwoThreadsWriteWholeLinesAndRotateOnce) {
    const struct {
        int rounds;
        int lines;
    } cases[] = {{1, 1000}, {40, 5}};
    const std::regex line(R"(\[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\] SDK diagnostic event; level=([AB])(\d+)\r\n)");
    UseFreshDataDir(L"threads");
    for (const auto& c : cases) {
        for (int round = 0; round < c.rounds; ++round) {
            SCOPED_TRACE(std::to_string(c.lines) + " lines, round " + std::to_string(round));
            fs::remove(PreviousPath());
            WriteOldLog(logPath, LOG_ROTATION_LIMIT + 1);
            std::atomic<bool> go(false);
            auto writer = [&](char name) {
                while (!go) std::this_thread::yield();
                for (int i = 0; i < c.lines; ++i) Log(std::string("SDK diagnostic event; level=") + name + std::to_string(i));
            };
            std::thread first(writer, 'A');
            std::thread second(writer, 'B');
            go = true;
            first.join();
            second.join();

            ASSERT_TRUE(fs::exists(PreviousPath()));
            ASSERT_EQ(fs::file_size(PreviousPath()), LOG_ROTATION_LIMIT + 1);
            EXPECT_TRUE(ReadBytes(PreviousPath(), 64) == OldLogBytes(64));
            const std::string bytes = ReadBytes(logPath);
            int next[2] = {0, 0};
            size_t consumed = 0;
            for (std::sregex_iterator it(bytes.begin(), bytes.end(), line), end; it != end; ++it) {
                ASSERT_EQ(size_t(it->position(0)), consumed) << "a broken line before this one";
                consumed += size_t(it->length(0));
                const int writer = (*it)[1] == "A" ? 0 : 1;
                EXPECT_EQ(std::stoi((*it)[2]), next[writer]++) << "lines of one thread stay in order";
            }
            EXPECT_EQ(consumed, bytes.size());
            EXPECT_EQ(next[0], c.lines);
            EXPECT_EQ(next[1], c.lines);
        }
    }
    RemoveDataDir();
}

TEST(LogFile, DataFolderWithNonAsciiName) {
    const fs::path folder = UseFreshDataDir(L"\u30C7\u30FC\u30BF-\u00DCn\u00EFc\u00F8d\u00E9");
    Log("SDK started");
    EXPECT_TRUE(fs::exists(folder / L"TAMBRIX-P2P.log"));
    EXPECT_EQ(LogMessages(), std::vector<std::string>{"SDK started"});
    const std::string old = MakeLog(logPath, LOG_ROTATION_LIMIT + 1);
    Log("rotated");
    EXPECT_TRUE(ReadBytes(folder / L"TAMBRIX-P2P.previous.log") == old);
    ExpectOnlyLine(logPath, "rotated");
    RemoveDataDir();
}

}  // namespace
