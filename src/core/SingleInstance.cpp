#include "core/SingleInstance.h"

#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QPointer>
#include <QStandardPaths>
#include <QTimer>

namespace {

const QByteArray kRequest = QByteArrayLiteral("show\n");
const QByteArray kReply = QByteArrayLiteral("shown\n");
constexpr int kMaxRequest = 64;
// A client that connects and then says nothing is dropped after this long.
constexpr int kClientTimeoutMs = 5000;

} // namespace

SingleInstance::SingleInstance(QString socketPath, QObject* parent)
    : QObject(parent)
    , m_path(std::move(socketPath))
{
}

SingleInstance::~SingleInstance()
{
    // QLocalServer removes its socket file when it closes.
    if (m_server)
        m_server->close();
}

QString SingleInstance::defaultSocketPath(const QString& name)
{
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        return {};
    return dir + QLatin1Char('/') + name + QStringLiteral(".socket");
}

bool SingleInstance::isListening() const
{
    return m_server && m_server->isListening();
}

SingleInstance::Outcome SingleInstance::start(int answerTimeoutMs)
{
    const Outcome outcome = check(answerTimeoutMs);
    if (outcome == Outcome::First)
        listen();
    return outcome;
}

SingleInstance::Outcome SingleInstance::check(int answerTimeoutMs)
{
    if (m_path.isEmpty())
        return Outcome::First;

    // Two copies started at the same moment must not both find no server and then
    // remove each other's socket: the look-and-listen step runs under a lock. A lock
    // left by a killed copy is recognised as stale by its process id.
    m_lock = std::make_unique<QLockFile>(m_path + QStringLiteral(".lock"));
    const bool locked = m_lock->tryLock(5000);

    QLocalSocket probe;
    probe.connectToServer(m_path);
    if (probe.waitForConnected(1000)) {
        const Outcome outcome = askRunningCopy(probe, answerTimeoutMs);
        probe.abort();
        m_lock.reset();
        return outcome;
    }
    // Nobody answers on the socket: whatever is left there belongs to a copy that
    // ended without cleaning up. Without the lock it is not ours to remove.
    m_mayListen = locked;
    if (!locked)
        m_lock.reset();
    return Outcome::First;
}

void SingleInstance::listen()
{
    if (!m_mayListen)
        return;
    m_mayListen = false;
    QLocalServer::removeServer(m_path);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
    if (!m_server->listen(m_path)) {
        // Run without the guard rather than not at all.
        delete m_server;
        m_server = nullptr;
    }
    m_lock.reset();
}

SingleInstance::Outcome SingleInstance::askRunningCopy(QLocalSocket& socket, int answerTimeoutMs)
{
    const QDeadlineTimer deadline(answerTimeoutMs);
    socket.write(kRequest);
    if (!socket.waitForBytesWritten(int(deadline.remainingTime())))
        return Outcome::NoAnswer;
    QByteArray reply;
    while (!reply.contains('\n') && reply.size() <= kMaxRequest) {
        if (!socket.waitForReadyRead(int(deadline.remainingTime())))
            break;
        reply += socket.readAll();
    }
    return reply == kReply ? Outcome::Forwarded : Outcome::NoAnswer;
}

void SingleInstance::onNewConnection()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        QTimer::singleShot(kClientTimeoutMs, socket, [socket] { socket->abort(); });
    }
}

void SingleInstance::onReadyRead(QLocalSocket* socket)
{
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > kMaxRequest)
            socket->abort();
        return;
    }
    if (socket->readLine(kMaxRequest + 1) != kRequest) {
        socket->abort();
        return;
    }
    QPointer<QLocalSocket> guard(socket);
    emit showRequested();
    if (!guard)
        return;
    socket->write(kReply);
    socket->flush();
    socket->disconnectFromServer();
}
