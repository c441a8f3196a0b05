#include "ui/windows/Resources.h"

#include <QApplication>
#include <QFontDatabase>
#include <QImage>
#include <QPixmap>
#include <QResource>
#include <QStringList>
#include <QtGlobal>

#include "platform/DesktopFonts.h"

static void registerResources()
{
    Q_INIT_RESOURCE(resources);
    Q_INIT_RESOURCE(fonts);
}

void ensureResources()
{
    static const bool registered = (registerResources(), true);
    Q_UNUSED(registered);
}

QIcon programIcon()
{
    ensureResources();
    QIcon icon;
    // Stored as premultiplied pixels: any picture decoder of Qt's has it load every
    // image format plugin, first to find out the format.
    for (const int size : {16, 32, 64}) {
        const QResource pixels(QStringLiteral(":/icons/tovrin-%1.argb").arg(size));
        if (pixels.compressionAlgorithm() != QResource::NoCompression || pixels.size() != 4 * size * size)
            continue;
        icon.addPixmap(QPixmap::fromImage(QImage(pixels.data(), size, size, 4 * size,
                                                 QImage::Format_ARGB32_Premultiplied)));
    }
    return icon;
}

// Liberation Sans keeps Arial's metrics; Arial follows it only where the embedded
// faces were refused. Where they were added, one family and no other: a second one
// has Qt work out the fallbacks of both as the first text is laid out, which is a
// good part of the time to the first paint.
static QStringList addDesignFont()
{
    ensureResources();
    QString added;
    for (const char* face : {":/fonts/LiberationSans-Regular.ttf", ":/fonts/LiberationSans-Bold.ttf"}) {
        // The faces are stored uncompressed in the program: handed over in place, not
        // copied (a file name would have them read into memory of their own).
        const QResource resource(QString::fromLatin1(face));
        int id = -1;
        if (resource.isValid() && resource.compressionAlgorithm() == QResource::NoCompression)
            id = QFontDatabase::addApplicationFontFromData(QByteArray::fromRawData(
                reinterpret_cast<const char*>(resource.data()), qsizetype(resource.size())));
        else
            id = QFontDatabase::addApplicationFont(QString::fromLatin1(face));
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        if (id < 0 || families.isEmpty())
            qWarning("the design font %s could not be loaded", face);
        else
            added = families.first();
    }
    if (added.isEmpty())
        return {QStringLiteral("Liberation Sans"), QStringLiteral("Arial")};
    return {added};
}

// Menus are windows of their own and take the desktop's menu font, not the design
// font of the window they belong to; where that font is missing, the design font
// stands in, at the desktop's size.
static void standInForMissingMenuFont(const QStringList& families)
{
    if (!platform::desktopMenuFontMissing())
        return;
    QFont font = QApplication::font("QMenu");
    font.setFamilies(families);
    QApplication::setFont(font, "QMenu");
}

QStringList designFontFamilies()
{
    static const QStringList families = [] {
        const QStringList added = addDesignFont();
        standInForMissingMenuFont(added);
        return added;
    }();
    return families;
}
