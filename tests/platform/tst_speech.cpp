// Checks of the screen reader's notifications on Windows, cross-built and run under wine with
// a uiautomationcore.dll of the test's own beside the program (tests/windows/uiastandin.cpp),
// which records what it is given. Free of Qt.
//
//   tst_speech notifications   the stand-in of Windows 10 1709 and later
//   tst_speech older           the stand-in without UiaRaiseNotificationEvent

#include "platform/speech.h"

#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace fs = std::filesystem;
using sorvane::platform::raiseNotification;

namespace {

int failed = 0;

void check(bool ok, const char* what)
{
    failed += !ok;
    if (!ok)
        std::printf("FAIL: %s\n", what);
}

fs::path recordPath()
{
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    return fs::path(self).parent_path() / L"uia-record.txt";
}

// What the stand-in recorded so far, one event a line.
std::vector<std::u16string> recorded()
{
    std::ifstream in(recordPath(), std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::u16string all(bytes.size() / 2, u'\0');
    bytes.copy(reinterpret_cast<char*>(all.data()), all.size() * 2);
    std::vector<std::u16string> lines;
    for (std::size_t start = 0, end; (end = all.find(u'\n', start)) != all.npos; start = end + 1)
        lines.push_back(all.substr(start, end - start));
    return lines;
}

// A real top-level window of the program, never shown. Wine without a display makes none
// (error 1400), only a message-only window, which the provider is asked for just the same.
HWND makeWindow()
{
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"SorvaneSpeechTest";
    RegisterClassW(&windowClass);
    for (HWND parent : {HWND(nullptr), HWND_MESSAGE}) {
        if (const HWND window = CreateWindowExW(
                0, windowClass.lpszClassName, L"Sorvane", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                CW_USEDEFAULT, 400, 300, parent, nullptr, windowClass.hInstance, nullptr)) {
            if (parent == HWND_MESSAGE)
                std::printf("note: no top-level window here, a message-only window instead\n");
            return window;
        }
    }
    return nullptr;
}

// What one question makes the window say, in its order, and a pupil's name that UTF-16 must
// carry whole (a letter with a grave accent, and one outside the Basic Multilingual Plane).
const std::vector<std::u16string_view> question{
    u"Il primo angolo misura 52 gradi",
    u"40",
    u"90",
    u"Risposte esatte 1, risposte errate 0. Il primo angolo misura 17 gradi",
    u"Niccolò \U0001D4DD",
};

// Each text is raised once, in order, on a provider that is let go afterwards. Before Windows 10
// 1709 (`available` false): nothing raised, not even a provider asked for, and no crash.
void raisesTheQuestion(HWND window, bool available)
{
    std::vector<std::u16string> expected;
    for (std::u16string_view text : question) {
        check(raiseNotification(reinterpret_cast<std::intptr_t>(window), text) == available,
              available ? "a notification on the window is taken"
                        : "without UiaRaiseNotificationEvent nothing is raised");
        if (available)
            expected.insert(expected.end(),
                            {u"provider", u"4 0 Sorvane: " + std::u16string(text), u"released"});
    }
    check(recorded() == expected,
          "each text raised whole, in order, its provider released; none without the function "
          "(see uia-record.txt)");
}

// Nothing to raise, or nowhere to raise it, or a refusal: false, and no provider kept.
void refusals(HWND window)
{
    const HWND gone = makeWindow();
    DestroyWindow(gone);
    const std::tuple<const char*, HWND, std::u16string_view, std::vector<std::u16string>> rows[]{
        {"no window", nullptr, u"40", {}},
        {"a window destroyed", gone, u"40", {}},
        {"an empty text", window, u"", {}},
        {"a notification the system refuses", window, u"rifiuta", {u"provider", u"released"}},
    };
    for (const auto& [what, target, text, events] : rows) {
        fs::remove(recordPath());
        check(!raiseNotification(reinterpret_cast<std::intptr_t>(target), text), what);
        check(recorded() == events, what);
    }
}

} // namespace

int main(int argc, char* argv[])
{
    const std::string_view mode = argc > 1 ? argv[1] : "";
    if (mode != "notifications" && mode != "older") {
        std::printf("usage: tst_speech notifications|older\n");
        return 2;
    }
    fs::remove(recordPath());
    SetEnvironmentVariableW(L"SORVANE_UIA_RECORD", recordPath().c_str());
    const HWND window = makeWindow();
    if (!window) {
        std::printf("FAIL: no window (error %lu)\n", GetLastError());
        return 1;
    }
    raisesTheQuestion(window, mode == "notifications");
    if (mode == "notifications")
        refusals(window);
    DestroyWindow(window);
    std::printf("%s: %d failed\n", argv[0], failed);
    return failed == 0 ? 0 : 1;
}
