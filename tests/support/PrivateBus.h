#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcess>

// A session bus of the test's own (Debian's dbus-daemon), so that calls go through
// real marshalling as a desktop's would.
class PrivateBus {
public:
    PrivateBus();
    ~PrivateBus();

    bool isRunning() const { return !m_address.isEmpty(); }
    // A new connection; the same name again drops the old one first.
    QDBusConnection connect(const QString& name);
    void disconnect(const QString& name) { QDBusConnection::disconnectFromBus(name); }
    // Sends from a connection of its own and runs the event loop until the answer
    // comes, so objects of this thread can answer.
    QDBusMessage call(const QDBusMessage& message, int timeoutMs = 5000);

private:
    QProcess m_daemon;
    QString m_address;
};
