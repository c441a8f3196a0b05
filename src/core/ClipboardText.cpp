#include "core/ClipboardText.h"

#include <QElapsedTimer>
#include <QThread>

namespace {

constexpr int kAttempts = 4;
constexpr int kPauseMs = 40;
// Beyond this the failure was a time-out, not a busy clipboard: asking again would
// only make the user wait once more.
constexpr int kRetryWindowMs = 400;

template <class Attempt>
auto withRetries(Attempt attempt, bool (*failed)(const decltype(attempt())&))
{
    QElapsedTimer timer;
    timer.start();
    auto result = attempt();
    for (int i = 1; i < kAttempts && failed(result) && timer.elapsed() < kRetryWindowMs; ++i) {
        // No event processing here: a handler running now could start another command.
        QThread::msleep(kPauseMs);
        result = attempt();
    }
    return result;
}

} // namespace

platform::ClipboardRead readClipboardText(platform::Clipboard& clipboard)
{
    return withRetries([&clipboard] { return clipboard.read(); },
                       [](const platform::ClipboardRead& r) {
                           return r.status == platform::ClipboardRead::Status::Unavailable && !r.final;
                       });
}

bool replaceClipboardText(platform::Clipboard& clipboard, const QString& text)
{
    return withRetries([&] { return clipboard.setText(text); }, [](const bool& ok) { return !ok; });
}
