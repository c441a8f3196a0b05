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

// The platform's means for `appId`. Requests naming anything but `actions` are
// refused to the asker and never reach requested().
std::unique_ptr<RunningCopy> makeRunningCopy(const QString& appId, const QStringList& actions);

} // namespace platform
