#pragma once

#include <QUrl>

namespace platform {

// The desktop's "open this with the user's default program" (a browser, the mail program).
class Links {
public:
    virtual ~Links() = default;
    // True when the link was handed on to a program that opens it; whether that program
    // then succeeds is not known.
    virtual bool openUrl(const QUrl& url) = 0;
};

} // namespace platform
