#include "ui/windows/Window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLayout>
#include <QMenuBar>
#include <QScreen>

#include "ui/windows/Resources.h"
#include "ui/windows/Twips.h"
#include "ui/windows/WindowHolder.h"

Window::Window(WindowContext& context, QWidget* parent)
    : QMainWindow(parent)
    , m_context(context)
    , m_client(new QWidget(this))
{
    ensureResources();
    setCentralWidget(m_client);
    setAttribute(Qt::WA_DeleteOnClose, false);
    setFont(designFont(8.25));
}

QFont Window::designFont(qreal points, bool bold, bool underline)
{
    QFont font;
    font.setFamilies(designFontFamilies());
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setUnderline(underline);
    return font;
}

void Window::setClientSizeTwips(int width, int height)
{
    m_client->setFixedSize(twips::size(width, height));
}

void Window::useFixedBorder()
{
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint);
}

void Window::showModeless()
{
    if (!m_placed) {
        layout()->activate();
        setFixedSize(sizeHint());
        centreOnScreen();
        m_placed = true;
    }
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
}

void Window::centreOnScreen()
{
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    // The whole window is centred, title bar and borders included; move() places the
    // frame's corner.
    const QSize outer = frameGeometry().size();
    m_frameKnown = outer != size();
    QRect frame(QPoint(0, 0), outer);
    frame.moveCenter(area.center());
    move(frame.topLeft());
}

bool Window::event(QEvent* event)
{
    // The desktop adds its frame only once the window is on screen: centre again as
    // soon as the frame is known, once.
    const QEvent::Type type = event->type();
    if (m_placed && !m_frameKnown
        && (type == QEvent::Move || type == QEvent::Resize || type == QEvent::WindowActivate)
        && frameGeometry().size() != size())
        centreOnScreen();
    return QMainWindow::event(event);
}

void Window::closeEvent(QCloseEvent* event)
{
    event->accept();
    m_context.windows.unload(this);
}
