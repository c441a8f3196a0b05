#pragma once

#include <QObject>

#include <memory>

namespace platform {

// Requests from outside to end the program (on POSIX the signals a logout, `kill` or
// Ctrl+C send: SIGTERM, SIGHUP, SIGINT), delivered as a signal of this object on the
// event loop, where the program may end in order.
class EndRequests : public QObject {
    Q_OBJECT
signals:
    void endRequested();
};

// Starts taking these requests; they end the program as before once it is destroyed.
std::unique_ptr<EndRequests> watchEndRequests();

} // namespace platform
