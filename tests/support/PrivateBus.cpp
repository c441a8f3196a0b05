#include "support/PrivateBus.h"

#include <QCoreApplication>
#include <QDBusPendingCall>
#include <QElapsedTimer>
#include <QEventLoop>

PrivateBus::PrivateBus()
{
    m_daemon.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address=1"});
    if (m_daemon.waitForStarted(5000) && m_daemon.waitForReadyRead(5000))
        m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
}

PrivateBus::~PrivateBus()
{
    m_daemon.terminate();
    m_daemon.waitForFinished(3000);
}

QDBusConnection PrivateBus::connect(const QString& name)
{
    disconnect(name);
    return QDBusConnection::connectToBus(m_address, name);
}

QDBusMessage PrivateBus::call(const QDBusMessage& message, int timeoutMs)
{
    // connectToBus hands back the connection already open under that name.
    QDBusPendingCall pending =
        QDBusConnection::connectToBus(m_address, QStringLiteral("private-bus-caller")).asyncCall(message, timeoutMs);
    QElapsedTimer clock;
    clock.start();
    while (!pending.isFinished() && clock.elapsed() < timeoutMs + 1000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return pending.reply();
}
