// Presses Enter in the console of the running process with the given
// executable name, as a player would in the window a fatal message keeps
// open. Exit code 0 when the key went in.
#include <windows.h>

#include <tlhelp32.h>

#include <cstdio>
#include <cstring>

namespace {

DWORD findProcess(const char* name) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return 0;
    }
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    DWORD found = 0;
    for (BOOL more = Process32First(snapshot, &entry); more;
         more = Process32Next(snapshot, &entry)) {
        if (_stricmp(entry.szExeFile, name) == 0) {
            found = entry.th32ProcessID;
        }
    }
    CloseHandle(snapshot);
    return found;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: pizzeria_press_enter EXE-NAME\n", stderr);
        return 2;
    }
    const DWORD process = findProcess(argv[1]);
    if (process == 0) {
        std::fprintf(stderr, "no process %s\n", argv[1]);
        return 3;
    }
    FreeConsole();
    if (!AttachConsole(process)) {
        return 4;
    }
    HANDLE input =
        CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (input == INVALID_HANDLE_VALUE) {
        return 5;
    }
    INPUT_RECORD keys[2]{};
    for (int i = 0; i < 2; ++i) {
        keys[i].EventType = KEY_EVENT;
        keys[i].Event.KeyEvent.bKeyDown = i == 0;
        keys[i].Event.KeyEvent.wRepeatCount = 1;
        keys[i].Event.KeyEvent.wVirtualKeyCode = VK_RETURN;
        keys[i].Event.KeyEvent.uChar.AsciiChar = '\r';
    }
    DWORD written = 0;
    return WriteConsoleInputA(input, keys, 2, &written) && written == 2 ? 0 : 5;
}
