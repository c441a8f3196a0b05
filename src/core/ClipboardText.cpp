#include "core/ClipboardText.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include <QElapsedTimer>
#include <QStringView>
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

// Encoded a piece at a time from the end, the string's memory handed back as it goes:
// a long ASCII text would otherwise be held three times its size at once.
constexpr qsizetype kEncodePiece = 1 << 20;

QByteArray utf8LettingGo(QString text)
{
    // A string someone else holds too stays whole; cutting it would copy it.
    if (!text.isDetached())
        return text.toUtf8();
    std::vector<QByteArray> pieces; // from the end
    qsizetype utf8Size = 0;
    for (qsizetype end = text.size(); end > 0;) {
        qsizetype start = std::max<qsizetype>(0, end - kEncodePiece);
        if (start > 0 && text.at(start).isLowSurrogate())
            --start;
        pieces.push_back(QStringView(text).sliced(start, end - start).toUtf8());
        utf8Size += pieces.back().size();
        end = start;
        text.truncate(end);
        text.squeeze();
    }
    QByteArray utf8(utf8Size, Qt::Uninitialized);
    char* to = utf8.data();
    for (; !pieces.empty(); pieces.pop_back()) {
        std::memcpy(to, pieces.back().constData(), size_t(pieces.back().size()));
        to += pieces.back().size();
    }
    return utf8;
}

} // namespace

platform::ClipboardRead readClipboardText(platform::Clipboard& clipboard)
{
    return withRetries([&clipboard] { return clipboard.read(); },
                       [](const platform::ClipboardRead& r) {
                           return r.status == platform::ClipboardRead::Status::Unavailable && !r.final;
                       });
}

bool replaceClipboardText(platform::Clipboard& clipboard, QString text)
{
    const QByteArray utf8 = utf8LettingGo(std::move(text));
    return withRetries([&] { return clipboard.setUtf8Text(utf8); }, [](const bool& ok) { return !ok; });
}
