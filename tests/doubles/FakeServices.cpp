#include "doubles/FakeServices.h"

namespace platform::fakes {

ClipboardRead FakeClipboard::read()
{
    ++reads;
    if (unavailable)
        return {ClipboardRead::Status::Unavailable, {}};
    if (m_state != State::Text)
        return {ClipboardRead::Status::NoText, {}};
    return {ClipboardRead::Status::Text, m_text};
}

bool FakeClipboard::setText(const QString& text)
{
    if (unavailable)
        return false;
    ++writes;
    putText(text);
    return true;
}

bool FakeLinks::openUrl(const QUrl& url)
{
    opened.append(url);
    return true;
}

InstalledFakes installFakes(Services& s)
{
    auto clipboard = std::make_unique<FakeClipboard>();
    auto links = std::make_unique<FakeLinks>();
    auto beeper = std::make_unique<FakeBeeper>();
    auto selection = std::make_unique<FakeSelectionPaster>();
    InstalledFakes out{clipboard.get(), links.get(), beeper.get(), selection.get()};
    s.selectionPaster = std::move(selection);
    s.clipboard = std::move(clipboard);
    s.links = std::move(links);
    s.beeper = std::move(beeper);
    return out;
}

} // namespace platform::fakes
