#include "platform/unix/StatusNotifierIcon.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QImage>
#include <QMenu>
#include <QtEndian>

#include "platform/unix/DBusMenu.h"

namespace platform {

namespace {

const QString kWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");
const QString kItemPath = QStringLiteral("/StatusNotifierItem");
const QString kMenuPath = QStringLiteral("/MenuBar");
// A watcher that does not answer at start-up must not hold the program up for long.
constexpr int kStartUpAskMs = 500;
// A watcher this late counts as gone: a hung panel shows no icon, and the user must
// get the main window back. Its answer is still waited for, without a time-out worth
// the name, so that it counts again once it answers; nothing wakes in between.
constexpr int kSilentMs = 2000;
constexpr int kWaitMs = 3600 * 1000;
// A host that drops the item while the program still shows it (GNOME's extension does
// when the item registers while the shell is still starting) is told about it again,
// a few times at most and each time later, so a host that keeps dropping it is let be.
constexpr int kRegisterAgainMs = 1000;
constexpr int kRegisterAgainTimes = 4;

QDBusMessage askHostRegistered()
{
    QDBusMessage m = QDBusMessage::createMethodCall(kWatcher, kWatcherPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                    QStringLiteral("Get"));
    m << kWatcher << QStringLiteral("IsStatusNotifierHostRegistered");
    // Asking must not start a watcher that the bus knows how to launch.
    m.setAutoStartService(false);
    return m;
}

// No answer in time, as opposed to an answer that there is no watcher.
bool unanswered(const QDBusMessage& reply)
{
    const QString error = reply.errorName();
    return error == QLatin1String("org.freedesktop.DBus.Error.NoReply")
           || error == QLatin1String("org.freedesktop.DBus.Error.Timeout")
           || error == QLatin1String("org.freedesktop.DBus.Error.TimedOut");
}

bool hostRegisteredIn(const QDBusMessage& reply)
{
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return false;
    return qvariant_cast<QDBusVariant>(reply.arguments().first()).variant().toBool();
}

} // namespace

QDBusArgument& operator<<(QDBusArgument& arg, const SniImage& image)
{
    arg.beginStructure();
    arg << image.width << image.height << image.bytes;
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, SniImage& image)
{
    arg.beginStructure();
    arg >> image.width >> image.height >> image.bytes;
    arg.endStructure();
    return arg;
}

QDBusArgument& operator<<(QDBusArgument& arg, const SniToolTip& tip)
{
    arg.beginStructure();
    arg << tip.iconName << tip.images << tip.title << tip.text;
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, SniToolTip& tip)
{
    arg.beginStructure();
    arg >> tip.iconName >> tip.images >> tip.title >> tip.text;
    arg.endStructure();
    return arg;
}

SniImageList sniImages(const QIcon& icon)
{
    SniImageList list;
    for (int size : {16, 22, 24, 32, 48}) {
        const QImage image = icon.pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32);
        if (image.isNull())
            continue;
        SniImage out{image.width(), image.height(), QByteArray()};
        out.bytes.resize(qsizetype(image.width()) * image.height() * 4);
        auto* to = reinterpret_cast<quint32*>(out.bytes.data());
        for (int y = 0; y < image.height(); ++y) {
            const auto* line = reinterpret_cast<const quint32*>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x)
                *to++ = qToBigEndian(line[x]);
        }
        list.append(out);
    }
    return list;
}

// org.kde.StatusNotifierItem at /StatusNotifierItem.
class StatusNotifierItemExport final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
    Q_PROPERTY(QString Category READ category)
    Q_PROPERTY(QString Id READ id)
    Q_PROPERTY(QString Title READ title)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(int WindowId READ windowId)
    Q_PROPERTY(QString IconThemePath READ empty)
    Q_PROPERTY(QDBusObjectPath Menu READ menu)
    Q_PROPERTY(bool ItemIsMenu READ itemIsMenu)
    Q_PROPERTY(QString IconName READ empty)
    Q_PROPERTY(platform::SniImageList IconPixmap READ iconPixmap)
    Q_PROPERTY(QString OverlayIconName READ empty)
    Q_PROPERTY(platform::SniImageList OverlayIconPixmap READ noImages)
    Q_PROPERTY(QString AttentionIconName READ empty)
    Q_PROPERTY(platform::SniImageList AttentionIconPixmap READ noImages)
    Q_PROPERTY(QString AttentionMovieName READ empty)
    Q_PROPERTY(platform::SniToolTip ToolTip READ toolTip)
public:
    explicit StatusNotifierItemExport(StatusNotifierIcon* owner)
        : QObject(owner)
        , m_owner(owner)
    {
    }

    QString category() const { return QStringLiteral("ApplicationStatus"); }
    QString id() const { return QCoreApplication::applicationName(); }
    QString title() const { return QStringLiteral("Tovrin"); }
    QString status() const { return QStringLiteral("Active"); }
    int windowId() const { return 0; }
    QString empty() const { return {}; }
    QDBusObjectPath menu() const { return QDBusObjectPath(m_owner->m_menu ? kMenuPath : QStringLiteral("/NO_DBUSMENU")); }
    bool itemIsMenu() const { return false; }
    SniImageList iconPixmap() const { return sniImages(m_owner->m_icon); }
    SniImageList noImages() const { return {}; }
    SniToolTip toolTip() const { return {QString(), {}, m_owner->m_tip, QString()}; }

public slots:
    // Hosts that leave the menu to the program. One menu at a time: asked again while
    // it is open, or about to open, nothing happens, however often a host asks (each
    // request would open the menu's loop inside the last one's).
    void ContextMenu(int x, int y)
    {
        Q_UNUSED(x);
        Q_UNUSED(y);
        if (m_menuAsked || (m_owner->m_menu && m_owner->m_menu->isVisible()))
            return;
        m_menuAsked = true;
        // Called on this export, which goes with the icon.
        QMetaObject::invokeMethod(
            this,
            [this] {
                emit m_owner->requested(TrayRequest::Menu);
                // Queued behind whatever the request queued: by then the menu shows.
                QMetaObject::invokeMethod(this, [this] { m_menuAsked = false; }, Qt::QueuedConnection);
            },
            Qt::QueuedConnection);
    }
    // The host's activation gesture.
    void Activate(int x, int y)
    {
        Q_UNUSED(x);
        Q_UNUSED(y);
        emitLater(TrayRequest::Open);
    }
    void SecondaryActivate(int x, int y)
    {
        Q_UNUSED(x);
        Q_UNUSED(y);
    }
    void Scroll(int delta, const QString& orientation)
    {
        Q_UNUSED(delta);
        Q_UNUSED(orientation);
    }
    // Sent just before an item acts, so that a window it shows may take the focus on
    // Wayland; Qt's Wayland windows hand the token on when they ask to be activated.
    void ProvideXdgActivationToken(const QString& token)
    {
        if (!token.isEmpty() && token.size() <= 1024)
            qputenv("XDG_ACTIVATION_TOKEN", token.toUtf8());
    }

signals:
    void NewTitle();
    void NewIcon();
    void NewAttentionIcon();
    void NewOverlayIcon();
    void NewToolTip();
    void NewStatus(const QString& status);

private:
    // After the reply, so the host is not kept waiting while a menu runs its loop.
    void emitLater(TrayRequest request)
    {
        QMetaObject::invokeMethod(
            m_owner, [owner = m_owner, request] { emit owner->requested(request); }, Qt::QueuedConnection);
    }

    StatusNotifierIcon* m_owner;
    bool m_menuAsked = false;
};

StatusNotifierIcon::StatusNotifierIcon(QDBusConnection bus)
    : m_bus(std::move(bus))
{
    qDBusRegisterMetaType<SniImage>();
    qDBusRegisterMetaType<SniImageList>();
    qDBusRegisterMetaType<SniToolTip>();
    DBusMenuExport::registerTypes();
    static int instances = 0;
    m_service = QStringLiteral("org.kde.StatusNotifierItem-%1-%2").arg(QCoreApplication::applicationPid()).arg(++instances);
    m_silence.setSingleShot(true);
    m_silence.setInterval(kSilentMs);
    connect(&m_silence, &QTimer::timeout, this, [this] {
        setWatcherAnswers(false);
        setHostPresent(false);
    });
    if (!m_bus.isConnected())
        return;
    m_watcher = new QDBusServiceWatcher(kWatcher, m_bus,
                                        QDBusServiceWatcher::WatchForRegistration | QDBusServiceWatcher::WatchForUnregistration,
                                        this);
    connect(m_watcher, &QDBusServiceWatcher::serviceRegistered, this, [this] {
        m_watcherOwned = true;
        m_droppedTimes = 0;
        // A restarted watcher knows no items: tell it about ours again.
        if (m_shown)
            registerWithWatcher();
        refresh();
    });
    connect(m_watcher, &QDBusServiceWatcher::serviceUnregistered, this, [this] {
        m_watcherOwned = false;
        setHostPresent(false);
        // Nobody to ask: a question now fails at once.
        setWatcherAnswers(true);
    });
    m_bus.connect(kWatcher, kWatcherPath, kWatcher, QStringLiteral("StatusNotifierHostRegistered"), this, SLOT(refresh()));
    m_bus.connect(kWatcher, kWatcherPath, kWatcher, QStringLiteral("StatusNotifierHostUnregistered"), this, SLOT(refresh()));
    m_bus.connect(kWatcher, kWatcherPath, kWatcher, QStringLiteral("StatusNotifierItemUnregistered"), this,
                  SLOT(itemDropped(QString)));
    m_registerAgain.setSingleShot(true);
    connect(&m_registerAgain, &QTimer::timeout, this, [this] {
        if (m_shown)
            registerWithWatcher();
    });
    const QDBusMessage first = m_bus.call(askHostRegistered(), QDBus::Block, kStartUpAskMs);
    const QString error = first.errorName();
    m_watcherOwned = error != QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown")
                     && error != QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner");
    if (unanswered(first)) {
        m_watcherAnswers = false;
        refresh();
    } else {
        m_hostPresent = hostRegisteredIn(first);
    }
}

StatusNotifierIcon::~StatusNotifierIcon()
{
    hide();
}

void StatusNotifierIcon::refresh()
{
    if (!m_bus.isConnected() || m_asking)
        return;
    m_asking = new QDBusPendingCallWatcher(m_bus.asyncCall(askHostRegistered(), kWaitMs), this);
    m_silence.start();
    connect(m_asking, &QDBusPendingCallWatcher::finished, this, [this] {
        const QDBusMessage reply = m_asking->reply();
        m_asking->deleteLater();
        m_asking = nullptr;
        heard(reply);
    });
}

void StatusNotifierIcon::heard(const QDBusMessage& reply)
{
    const bool waitedLong = !m_silence.isActive();
    m_silence.stop();
    // A watcher that went without answering leaves nobody to ask.
    const bool silent = unanswered(reply) && m_watcherOwned;
    setWatcherAnswers(!silent);
    setHostPresent(!silent && hostRegisteredIn(reply));
    // Still silent after all that time: keep waiting for it.
    if (silent && waitedLong)
        refresh();
}

void StatusNotifierIcon::itemDropped(const QString& item)
{
    // Watchers name an item by its service, some with its object path after it.
    const bool ours = item == m_service || item.startsWith(m_service + QLatin1Char('/'))
                      || item.startsWith(m_bus.baseService() + QLatin1Char('/'));
    if (!ours || !m_shown || m_droppedTimes >= kRegisterAgainTimes)
        return;
    m_registerAgain.start(kRegisterAgainMs << m_droppedTimes++);
}

void StatusNotifierIcon::setHostPresent(bool present)
{
    if (present == m_hostPresent)
        return;
    m_hostPresent = present;
    emit availabilityChanged(present);
}

void StatusNotifierIcon::setWatcherAnswers(bool answers)
{
    if (answers == m_watcherAnswers)
        return;
    m_watcherAnswers = answers;
    emit watcherAnswersChanged(answers);
}

void StatusNotifierIcon::show(const QIcon& icon, const QString& tip)
{
    if (m_shown || !m_bus.isConnected())
        return;
    m_icon = icon;
    m_tip = tip;
    m_item = new StatusNotifierItemExport(this);
    const auto everything = QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals | QDBusConnection::ExportAllProperties;
    m_bus.registerObject(kItemPath, m_item, everything);
    if (m_menu) {
        m_menuExport = new DBusMenuExport(m_menu, this);
        m_bus.registerObject(kMenuPath, m_menuExport, everything);
    }
    m_bus.registerService(m_service);
    m_shown = true;
    m_droppedTimes = 0;
    registerWithWatcher();
}

void StatusNotifierIcon::hide()
{
    if (!m_shown)
        return;
    m_shown = false;
    m_registerAgain.stop();
    // Hosts drop the item when its name goes.
    m_bus.unregisterService(m_service);
    m_bus.unregisterObject(kItemPath);
    m_bus.unregisterObject(kMenuPath);
    delete m_item;
    m_item = nullptr;
    delete m_menuExport;
    m_menuExport = nullptr;
}

void StatusNotifierIcon::setMenu(QMenu* menu)
{
    m_menu = menu;
}

void StatusNotifierIcon::registerWithWatcher()
{
    QDBusMessage m = QDBusMessage::createMethodCall(kWatcher, kWatcherPath, kWatcher, QStringLiteral("RegisterStatusNotifierItem"));
    m << m_service;
    m.setAutoStartService(false);
    // Not waited for: a watcher that hangs must not hang the program.
    m_bus.asyncCall(m);
}

} // namespace platform

#include "StatusNotifierIcon.moc"
