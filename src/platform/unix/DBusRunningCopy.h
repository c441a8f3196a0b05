#pragma once

#include <QDBusConnection>

#include <utility>

#include "platform/RunningCopy.h"
#include "platform/unix/EarlyHandOver.h"

namespace platform {

class ApplicationObject;

// One running copy through the session bus: the application id as a well-known name,
// and the freedesktop Application interface at the id's object path (Activate shows
// the main window, ActivateAction runs one of the actions). The bus keeps the name to
// the user's session, so no other user can reach it.
class DBusRunningCopy final : public RunningCopy {
    Q_OBJECT
public:
    DBusRunningCopy(QDBusConnection bus, const QString& appId, const QStringList& actions);
    ~DBusRunningCopy() override;

    Claim claim(const QString& action) override;
    QString problem() const override { return m_problem; }

    QString objectPath() const { return m_path; }
    // How long a later start waits for the running copy to take its request.
    int answerTimeoutMs = kAnswerTimeoutMs;

private:
    friend class ApplicationObject;
    Claim handOver(const QString& action);

    QDBusConnection m_bus;
    QString m_name;
    QString m_path;
    QStringList m_actions;
    ApplicationObject* m_object = nullptr;
    bool m_owner = false;
    QString m_problem;
};

// "com.example.App" -> "/com/example/App".
QString objectPathFor(const QString& appId);

} // namespace platform
