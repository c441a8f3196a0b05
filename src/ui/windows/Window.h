#pragma once

#include <QMainWindow>

#include "ui/windows/WindowContext.h"

class QCloseEvent;

// Base of every window of the program. A window is a single instance owned by the
// WindowHolder: it is built and loaded (onLoad) on first reference, shown modeless,
// hidden without being destroyed, and unloaded by its close box.
class Window : public QMainWindow {
    Q_OBJECT
public:
    explicit Window(WindowContext& context, QWidget* parent = nullptr);

    // Runs once each time the window is loaded, before it is first shown.
    virtual void onLoad() {}

    // Visible and in front, without blocking the caller; centred on its first show.
    void showModeless();

    // The client area, where controls are placed in twips.
    QWidget* client() const { return m_client; }

    // The windows' design font, brought along by the program (never the desktop's
    // sans-serif, which re-wraps fixed layouts), at the given size. Every window
    // starts with it at 8.25 points.
    static QFont designFont(qreal points, bool bold = false, bool underline = false);

protected:
    WindowContext& context() const { return m_context; }
    // Fixes the client area's size; the window's frame is whatever the desktop adds.
    void setClientSizeTwips(int width, int height);
    // Title bar with a close box only: no minimise or maximise box, not resizable.
    void useFixedBorder();
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private:
    void centreOnScreen();

    WindowContext& m_context;
    // Set before m_client: building the client widget already sends this window
    // events, which read them.
    bool m_placed = false;
    bool m_frameKnown = false;
    QWidget* m_client;
};
