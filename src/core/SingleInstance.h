#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;
class QLocalSocket;
class QLockFile;

// Keeps one running copy per user. The first copy listens on a local socket in the
// user's private runtime folder; a later start connects to it, asks it to show its
// main window, and ends.
class SingleInstance final : public QObject {
    Q_OBJECT
public:
    enum class Outcome {
        First,      // no other copy: this one runs (and listens, when it could)
        Forwarded,  // the running copy was asked to show itself and confirmed
        NoAnswer,   // a copy holds the socket but did not confirm in time
    };

    // `socketPath` is a full path; see defaultSocketPath().
    explicit SingleInstance(QString socketPath, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Connects to a running copy or becomes the running copy. A socket left behind
    // by a copy that was killed is removed and taken over.
    Outcome start(int answerTimeoutMs = 3000);
    // start() in two steps, so that the first copy can show its window before it sets
    // up the socket: check() asks a running copy and, finding none, keeps the lock, so
    // that a copy started meanwhile waits; listen() takes the socket and lets go.
    Outcome check(int answerTimeoutMs = 3000);
    void listen();
    bool isListening() const;
    QString socketPath() const { return m_path; }

    // `name` in the user's runtime folder ($XDG_RUNTIME_DIR, private to the user);
    // empty when there is none.
    static QString defaultSocketPath(const QString& name);

signals:
    // A later start asked this copy to come to the front.
    void showRequested();

private:
    Outcome askRunningCopy(QLocalSocket& socket, int answerTimeoutMs);
    void onNewConnection();
    void onReadyRead(QLocalSocket* socket);

    QString m_path;
    QLocalServer* m_server = nullptr;
    std::unique_ptr<QLockFile> m_lock;
    bool m_mayListen = false;
};
