#include "platform/RunningCopy.h" // Qt ahead of <windows.h>, whose macros would rename its names
#include <windows.h>

#include <QMetaObject>

namespace platform {
namespace {

// Marks our WM_COPYDATA among any other program's.
constexpr ULONG_PTR kRequestTag = 0x54565243; // "TVRC"

// One running copy per Windows session: a named mutex in the session's namespace
// ("Local\"), which the system drops when the process ends however it ends, and a
// hidden message-only window that takes a later start's request (WM_COPYDATA, the
// action's name in UTF-8; empty to show the main window). WM_CLOSE to that window
// asks the copy to end: the installer sends it before it replaces the files.
class WinRunningCopy final : public RunningCopy {
public:
    WinRunningCopy(const QString& appId, const QStringList& actions)
        : m_mutexName(QStringLiteral("Local\\%1").arg(appId)), m_className(appId + QStringLiteral(".RunningCopy")),
          m_actions(actions)
    {
    }

    ~WinRunningCopy() override
    {
        if (m_window)
            ::DestroyWindow(m_window);
        if (m_mutex)
            ::CloseHandle(m_mutex);
    }

    Claim claim(const QString& action) override
    {
        m_mutex = ::CreateMutexW(nullptr, FALSE, reinterpret_cast<LPCWSTR>(m_mutexName.utf16()));
        if (!m_mutex) {
            m_problem = QStringLiteral("cannot create the mutex (error %1)").arg(::GetLastError());
            return Claim::NoRule;
        }
        if (::GetLastError() != ERROR_ALREADY_EXISTS)
            return createWindow() ? Claim::Claimed : Claim::NoRule;
        ::CloseHandle(m_mutex);
        m_mutex = nullptr;
        return handOver(action);
    }

    QString problem() const override { return m_problem; }

private:
    bool createWindow()
    {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = &WinRunningCopy::windowProc;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = reinterpret_cast<LPCWSTR>(m_className.utf16());
        ::RegisterClassW(&windowClass);
        m_window = ::CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                     windowClass.hInstance, nullptr);
        if (!m_window) {
            m_problem = QStringLiteral("cannot create the message window (error %1)").arg(::GetLastError());
            return false;
        }
        ::SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        return true;
    }

    Claim handOver(const QString& action)
    {
        // The running copy creates its window just after its mutex: look for a moment.
        HWND target = nullptr;
        for (int attempt = 0; attempt < 50 && !target; ++attempt) {
            target = ::FindWindowExW(HWND_MESSAGE, nullptr, reinterpret_cast<LPCWSTR>(m_className.utf16()), nullptr);
            if (!target)
                ::Sleep(20);
        }
        if (!target) {
            m_problem = QStringLiteral("its window was not found");
            return Claim::NoAnswer;
        }
        // The running copy may bring its window to the front only with our leave.
        DWORD process = 0;
        ::GetWindowThreadProcessId(target, &process);
        ::AllowSetForegroundWindow(process);

        QByteArray name = action.toUtf8();
        COPYDATASTRUCT data{};
        data.dwData = kRequestTag;
        data.cbData = static_cast<DWORD>(name.size());
        data.lpData = name.data();
        DWORD_PTR result = 0;
        if (!::SendMessageTimeoutW(target, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                                   SMTO_ABORTIFHUNG | SMTO_BLOCK, 5000, &result)) {
            m_problem = QStringLiteral("it did not answer within 5 s");
            return Claim::NoAnswer;
        }
        if (result != TRUE) {
            m_problem = QStringLiteral("it refused the request");
            return Claim::NoAnswer;
        }
        return Claim::HandedOver;
    }

    // Answers at once; the request runs on the next turn of Qt's event loop.
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<WinRunningCopy*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (message == WM_CLOSE && self) {
            // Not DefWindowProc's answer, which would destroy the window and leave the
            // copy running without anyone able to reach it.
            QMetaObject::invokeMethod(
                self, [self] { emit self->endRequested(); }, Qt::QueuedConnection);
            return 0;
        }
        if (message != WM_COPYDATA)
            return ::DefWindowProcW(window, message, wParam, lParam);
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (!self || !data || data->dwData != kRequestTag)
            return FALSE;
        const QString action = QString::fromUtf8(static_cast<const char*>(data->lpData), static_cast<int>(data->cbData));
        if (!action.isEmpty() && !self->m_actions.contains(action))
            return FALSE;
        QMetaObject::invokeMethod(
            self, [self, action] { emit self->requested(action); }, Qt::QueuedConnection);
        return TRUE;
    }

    QString m_mutexName;
    QString m_className;
    QStringList m_actions;
    HANDLE m_mutex = nullptr;
    HWND m_window = nullptr;
    QString m_problem;
};

} // namespace

std::unique_ptr<RunningCopy> makeRunningCopy(const QString& appId, const QStringList& actions)
{
    return std::make_unique<WinRunningCopy>(appId, actions);
}

} // namespace platform
