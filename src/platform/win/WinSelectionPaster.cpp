#include "platform/win/WinSelectionPaster.h"

#include <QByteArray>
#include <QDeadlineTimer>

#include <cstring>
#include <cwchar>
#include <optional>
#include <vector>

#include <windows.h>

namespace platform {

namespace {

constexpr int kKeysUpWaitMs = 1000;
// A busy program may take a moment to answer Ctrl+C; the wait ends as soon as it has.
constexpr int kCopyWaitMs = 1000;
constexpr int kTakeWaitMs = 1500;
constexpr int kOpenTries = 20;

struct SavedFormat {
    UINT format;
    QByteArray data;
};

// The clipboard is the system's: another program may hold it open for a moment.
bool openClipboard(HWND owner)
{
    for (int i = 0; i < kOpenTries; ++i) {
        if (OpenClipboard(owner))
            return true;
        Sleep(10);
    }
    return false;
}

// Formats held as GDI handles are drawn from the memory formats again by the system
// (a bitmap from its DIB), or cannot be copied as bytes.
bool heldAsBytes(UINT format)
{
    // A program's private formats hold handles only it can read; GDI objects are not memory.
    if ((format >= CF_PRIVATEFIRST && format <= CF_PRIVATELAST) || (format >= CF_GDIOBJFIRST && format <= CF_GDIOBJLAST))
        return false;
    switch (format) {
    case CF_BITMAP:
    case CF_ENHMETAFILE:
    case CF_METAFILEPICT:
    case CF_PALETTE:
    case CF_OWNERDISPLAY:
    case CF_DSPBITMAP:
    case CF_DSPENHMETAFILE:
    case CF_DSPMETAFILEPICT:
        return false;
    default:
        return true;
    }
}

std::optional<std::vector<SavedFormat>> saveClipboard(HWND owner)
{
    if (!openClipboard(owner))
        return std::nullopt;
    std::vector<SavedFormat> saved;
    for (UINT format = EnumClipboardFormats(0); format != 0; format = EnumClipboardFormats(format)) {
        if (!heldAsBytes(format))
            continue;
        HANDLE handle = GetClipboardData(format);
        const void* bytes = handle ? GlobalLock(handle) : nullptr;
        if (!bytes)
            continue;
        saved.push_back({format, QByteArray(static_cast<const char*>(bytes), qsizetype(GlobalSize(handle)))});
        GlobalUnlock(handle);
    }
    CloseClipboard();
    return saved;
}

HGLOBAL globalCopy(const void* data, size_t size)
{
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size ? size : 1);
    if (!memory)
        return nullptr;
    if (void* to = GlobalLock(memory)) {
        std::memcpy(to, data, size);
        GlobalUnlock(memory);
    }
    return memory;
}

bool setFormat(UINT format, const void* data, size_t size)
{
    HGLOBAL memory = globalCopy(data, size);
    if (memory && SetClipboardData(format, memory))
        return true;
    if (memory)
        GlobalFree(memory);
    return false;
}

bool restoreClipboard(HWND owner, const std::vector<SavedFormat>& saved)
{
    if (!openClipboard(owner))
        return false;
    EmptyClipboard();
    bool all = true;
    for (const SavedFormat& f : saved)
        all = setFormat(f.format, f.data.constData(), size_t(f.data.size())) && all;
    CloseClipboard();
    return all;
}

std::optional<QString> clipboardText(HWND owner)
{
    if (!openClipboard(owner))
        return std::nullopt;
    std::optional<QString> text;
    if (HANDLE handle = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* units = static_cast<const wchar_t*>(GlobalLock(handle))) {
            const size_t most = GlobalSize(handle) / sizeof(wchar_t);
            text = QString::fromWCharArray(units, qsizetype(wcsnlen(units, most)));
            GlobalUnlock(handle);
        }
    }
    CloseClipboard();
    return text;
}

// In a terminal Ctrl+C with nothing selected interrupts the program that runs there.
bool isTerminal(HWND window)
{
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    for (const wchar_t* terminal : {L"ConsoleWindowClass", L"CASCADIA_HOSTING_WINDOW_CLASS", L"mintty", L"PuTTY"}) {
        if (_wcsicmp(name, terminal) == 0)
            return true;
    }
    return false;
}

bool keysDown()
{
    // Every key but the mouse buttons.
    for (int key = VK_BACK; key <= 0xFE; ++key) {
        if (GetAsyncKeyState(key) & 0x8000)
            return true;
    }
    return false;
}

bool waitKeysUp()
{
    const QDeadlineTimer deadline(kKeysUpWaitMs);
    while (keysDown()) {
        if (deadline.hasExpired())
            return false;
        Sleep(10);
    }
    return true;
}

bool sendControlChord(WORD key)
{
    INPUT inputs[4] = {};
    const WORD keys[4] = {VK_CONTROL, key, key, VK_CONTROL};
    for (int i = 0; i < 4; ++i) {
        inputs[i].type = INPUT_KEYBOARD;
        inputs[i].ki.wVk = keys[i];
        inputs[i].ki.dwFlags = i < 2 ? 0 : KEYEVENTF_KEYUP;
    }
    return SendInput(4, inputs, sizeof(INPUT)) == 4;
}

// Lets messages sent to this thread run (the clipboard asking us to render) for a while.
template <class Done>
void pumpUntil(Done done, int ms)
{
    const QDeadlineTimer deadline(ms);
    MSG message;
    while (!done() && !deadline.hasExpired()) {
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

} // namespace

class WinSelectionPaster::Session {
public:
    std::optional<std::vector<SavedFormat>> before;
    QByteArray pending; // the text in UTF-16 with its NUL, rendered when asked for
    bool taken = false;
};

namespace {

const wchar_t kWindowClass[] = L"TovrinSelectionPaster";

LRESULT CALLBACK ownerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* session = reinterpret_cast<WinSelectionPaster::Session*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    // Delayed rendering: the paste asks the owner for the text, so we see it taken.
    if (message == WM_RENDERFORMAT && session && wParam == CF_UNICODETEXT) {
        setFormat(CF_UNICODETEXT, session->pending.constData(), size_t(session->pending.size()));
        session->taken = true;
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

WinSelectionPaster::WinSelectionPaster() : m_session(std::make_unique<Session>())
{
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = ownerProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kWindowClass;
    RegisterClassW(&windowClass);
    m_owner = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, windowClass.hInstance,
                              nullptr);
    if (m_owner)
        SetWindowLongPtrW(HWND(m_owner), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(m_session.get()));
}

WinSelectionPaster::~WinSelectionPaster()
{
    if (m_owner)
        DestroyWindow(HWND(m_owner));
}

ClipboardRead WinSelectionPaster::readSelection()
{
    const HWND owner = HWND(m_owner);
    m_window = nullptr;
    m_session->before.reset();
    HWND focused = GetForegroundWindow();
    DWORD process = 0;
    GetWindowThreadProcessId(focused, &process);
    // Our own windows cannot answer Ctrl+C while this waits for them.
    if (!owner || !focused || process == GetCurrentProcessId() || isTerminal(focused))
        return {ClipboardRead::Status::NoText, {}};
    m_session->before = saveClipboard(owner);
    // With the shortcut's keys down, Ctrl+C would be another command.
    if (!m_session->before || !waitKeysUp())
        return {ClipboardRead::Status::Unavailable, {}};
    const DWORD sequence = GetClipboardSequenceNumber();
    if (!sendControlChord('C'))
        return {ClipboardRead::Status::Unavailable, {}};
    pumpUntil([&] { return GetClipboardSequenceNumber() != sequence; }, kCopyWaitMs);
    // Nothing copied: nothing was selected.
    if (GetClipboardSequenceNumber() == sequence)
        return {ClipboardRead::Status::NoText, {}};
    std::optional<QString> text = clipboardText(owner);
    if (!text) {
        restoreClipboard(owner, *m_session->before);
        return {ClipboardRead::Status::NoText, {}};
    }
    m_window = focused;
    return {ClipboardRead::Status::Text, std::move(*text)};
}

void WinSelectionPaster::pasteOver(const QString& text, std::function<void(Outcome)> done)
{
    const HWND owner = HWND(m_owner);
    const HWND window = HWND(std::exchange(m_window, nullptr));
    if (!window || !m_session->before || GetForegroundWindow() != window || !openClipboard(owner)) {
        done(Outcome::NotSent);
        return;
    }
    m_session->pending = QByteArray(reinterpret_cast<const char*>(text.utf16()), (text.size() + 1) * 2);
    m_session->taken = false;
    EmptyClipboard();
    SetClipboardData(CF_UNICODETEXT, nullptr);
    CloseClipboard();
    if (!waitKeysUp() || !sendControlChord('V')) {
        // Nothing typed: the text itself stays on the clipboard.
        openClipboard(owner);
        EmptyClipboard();
        setFormat(CF_UNICODETEXT, m_session->pending.constData(), size_t(m_session->pending.size()));
        CloseClipboard();
        done(Outcome::NotSent);
        return;
    }
    pumpUntil([&] { return m_session->taken; }, kTakeWaitMs);
    restoreClipboard(owner, *m_session->before);
    m_session->before.reset();
    done(Outcome::Pasted);
}

} // namespace platform
