#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

namespace platform {

// One running copy per user session. The first start claims it; a later start (or the
// desktop, for its actions) hands a request to the copy that runs: an empty action
// asks it to show its main window, otherwise one of the names given at creation.
class RunningCopy : public QObject {
    Q_OBJECT
public:
    enum class Claim {
        Claimed,     // this copy runs; requests arrive through requested()
        HandedOver,  // another copy runs and has taken the request
        NoRule,      // other copies cannot be found (no session bus): run without the rule
        NoAnswer,    // another copy holds the claim but did not take the request
    };

    // Becomes the running copy, or hands `action` to the one that runs.
    virtual Claim claim(const QString& action) = 0;
    // Why claim() answered NoRule or NoAnswer, in a few words.
    virtual QString problem() const = 0;

signals:
    // Emitted on a later turn of the event loop, once the asker has had its answer:
    // an action may run nested event loops and must not hold the asker up.
    void requested(const QString& action);
    // Another program asks this copy to end: an installer or uninstaller that must
    // replace or remove its files. Emitted as requested() is.
    void endRequested();
};

// Before anything talks to the session bus: where the session has none, keeps the bus
// library from starting one of its own (on X11 it would, and it would outlive us).
void keepSessionBusFromLaunching();

// Before Qt's application object (and so any window system) exists: hands `action`
// to the copy of `appId` that runs in this session, if one does and takes it. False
// when none runs, it did not answer, or it cannot be asked this early here: the start
// then goes on as usual, and claim() asks again and reports what went wrong.
bool handOverBeforeStart(const QString& appId, const QString& action);

// The platform's means for `appId`. Requests naming anything but `actions` are
// refused to the asker and never reach requested().
std::unique_ptr<RunningCopy> makeRunningCopy(const QString& appId, const QStringList& actions);

} // namespace platform
