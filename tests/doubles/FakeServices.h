#pragma once

#include <QList>
#include <QString>

#include "platform/Services.h"

namespace platform::fakes {

// In-memory clipboard. `unavailable` makes every operation fail as if another
// program held the clipboard.
class FakeClipboard final : public Clipboard {
public:
    ClipboardRead read() override;
    bool setText(const QString& text) override;

    void putText(const QString& text) { m_state = State::Text; m_text = text; }
    void putPicture() { m_state = State::Picture; m_text.clear(); }
    void putNothing() { m_state = State::Empty; m_text.clear(); }

    bool holdsText() const { return m_state == State::Text; }
    bool holdsPicture() const { return m_state == State::Picture; }
    bool isEmpty() const { return m_state == State::Empty; }
    QString text() const { return m_text; }

    bool unavailable = false;
    int reads = 0;
    int writes = 0;

private:
    enum class State { Empty, Text, Picture };
    State m_state = State::Empty;
    QString m_text;
};

// Records the links it was asked to open.
class FakeLinks final : public Links {
public:
    bool openUrl(const QUrl& url) override;
    QList<QUrl> opened;
};

class FakeBeeper final : public Beeper {
public:
    void beep() override { ++beeps; }
    int beeps = 0;
};

// Hands out `selection`; a paste either lands (`pastes`) or is not sent. Records what
// was pasted.
class FakeSelectionPaster final : public SelectionPaster {
public:
    ClipboardRead readSelection() override { return selection; }
    void pasteOver(const QString& text, std::function<void(Outcome)> done) override
    {
        if (pastes)
            pasted << text;
        done(pastes ? Outcome::Pasted : Outcome::NotSent);
    }
    ClipboardRead selection;
    bool pastes = true;
    QStringList pasted;
};

// Replaces clipboard, links, beeper and selection with doubles and hands them back.
struct InstalledFakes {
    FakeClipboard* clipboard;
    FakeLinks* links;
    FakeBeeper* beeper;
    FakeSelectionPaster* selection;
};
InstalledFakes installFakes(Services& services);

} // namespace platform::fakes
