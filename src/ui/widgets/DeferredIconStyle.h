#pragma once

#include <QProxyStyle>

// The application's style, with the tool bar extension arrows made only when shown.
// Every menu bar asks for one as it is built, and Qt's picture reader, to read it,
// loads every image format plugin: a good part of the start-up, for an arrow that
// shows only when the menu bar is too narrow for its menus.
class DeferredIconStyle final : public QProxyStyle {
    Q_OBJECT
public:
    // Takes over the style.
    explicit DeferredIconStyle(QStyle* style);

    QIcon standardIcon(StandardPixmap which, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;
};

// The name QStyleFactory knows the application's style by, through a proxy.
QString applicationStyleName();
