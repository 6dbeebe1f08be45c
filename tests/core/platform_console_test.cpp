// Windows only: text reaches a console as characters, whatever its code page,
// and a pipe as the UTF-8 bytes.
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/platform/Terminal.h"

namespace tessarin {
namespace {

const std::string kText = "发现 12 个对象";  // as the companion's listing ends

// A C stream over a Windows handle, as stdout is over the handle it was given.
std::FILE* StreamOver(HANDLE handle) {
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY);
    return fd < 0 ? nullptr : ::_fdopen(fd, "wb");
}

// The characters of the console's screen from the start of row y, spaces left out.
std::wstring ScreenRow(HANDLE console, SHORT y, DWORD cells) {
    std::wstring row(cells, L' ');
    DWORD read = 0;
    ::ReadConsoleOutputCharacterW(console, row.data(), cells, COORD{0, y}, &read);
    std::wstring shown;
    for (DWORD i = 0; i < read; ++i)
        if (row[i] != L' ') shown += row[i];
    return shown;
}

HANDLE OpenConsoleOutput() {
    return ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
}

TEST(ConsoleText, ConsoleShowsTheCharactersWhateverTheCodePage) {
    HANDLE console = OpenConsoleOutput();
    CONSOLE_SCREEN_BUFFER_INFO screen{};
    // A process Wine started without a terminal holds a console without a screen:
    // a new one is made (its window can take a moment on a busy display).
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (console != INVALID_HANDLE_VALUE && ::GetConsoleScreenBufferInfo(console, &screen)) break;
        if (console != INVALID_HANDLE_VALUE) ::CloseHandle(console);
        if (attempt > 0) ::Sleep(1000);
        ::FreeConsole();
        console = ::AllocConsole() ? OpenConsoleOutput() : INVALID_HANDLE_VALUE;
    }
    if (console == INVALID_HANDLE_VALUE || !::GetConsoleScreenBufferInfo(console, &screen)) {
        // Wine gives a console a screen only on a display; WindowsConsole runs this test on one.
        // Even there Wine sometimes gives none (the test then says so and checks only the pipe):
        // that is Wine's display, not the program's text.
        GTEST_SKIP() << "no console with a screen here (error " << ::GetLastError() << ")";
    }
    for (UINT codePage : {437u, 936u}) {
        SCOPED_TRACE(codePage);
        ::SetConsoleOutputCP(codePage);
        CONSOLE_SCREEN_BUFFER_INFO info{};
        ASSERT_TRUE(::GetConsoleScreenBufferInfo(console, &info));
        HANDLE duplicate = nullptr;
        ::DuplicateHandle(::GetCurrentProcess(), console, ::GetCurrentProcess(), &duplicate, 0, FALSE,
                          DUPLICATE_SAME_ACCESS);
        std::FILE* stream = StreamOver(duplicate);
        ASSERT_NE(stream, nullptr);
        EXPECT_TRUE(IsConsole(stream));
        const SHORT row = info.dwCursorPosition.Y;
        ::SetConsoleCursorPosition(console, COORD{0, row});
        EXPECT_TRUE(WriteText(stream, kText + "\n"));
        std::fclose(stream);
        EXPECT_EQ(ScreenRow(console, row, 40), L"发现12个对象");  // kText without its spaces
    }
    ::CloseHandle(console);
}

TEST(ConsoleText, PipeGetsTheUtf8Bytes) {
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    ASSERT_TRUE(::CreatePipe(&readEnd, &writeEnd, nullptr, 1 << 16));
    std::FILE* stream = StreamOver(writeEnd);
    ASSERT_NE(stream, nullptr);
    EXPECT_FALSE(IsConsole(stream));
    EXPECT_TRUE(WriteText(stream, kText));
    std::fclose(stream);
    std::string bytes(256, '\0');
    DWORD read = 0;
    ASSERT_TRUE(::ReadFile(readEnd, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr));
    bytes.resize(read);
    EXPECT_EQ(bytes, kText);
    ::CloseHandle(readEnd);
}

}  // namespace
}  // namespace tessarin
#endif
