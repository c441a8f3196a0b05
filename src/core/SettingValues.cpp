#include "core/SettingValues.h"

#include <QByteArray>

namespace {

// The platform's "ANSI" encoding: the system code page on Windows, the locale's
// (UTF-8) elsewhere.
QByteArray toAnsi(const QString& text)
{
    return text.toLocal8Bit();
}

std::optional<QString> queryTextValue(platform::Registry& reg, platform::RegHandle key, const QString& name)
{
    const QByteArray valueName = toAnsi(name);
    platform::RegDword type = 0;
    platform::RegDword size = 0;
    const platform::RegStatus sized = reg.RegQueryValueExA(key, valueName.constData(), nullptr, &type, nullptr, &size);
    if (sized != platform::kErrorSuccess || type != platform::kRegSz)
        return std::nullopt;

    QByteArray buffer(static_cast<qsizetype>(size), ' ');
    platform::RegDword scratchType = 0;
    const platform::RegStatus read = reg.RegQueryValueExA(
        key, valueName.constData(), nullptr, &scratchType, reinterpret_cast<std::uint8_t*>(buffer.data()), &size);
    if (read != platform::kErrorSuccess)
        return std::nullopt;
    // A shorter answer the second time leaves blanks at the end; keep only what was read.
    buffer.truncate(static_cast<qsizetype>(size));
    return trimAtNul(QString::fromLocal8Bit(buffer));
}

} // namespace

std::optional<QString> readSettingValue(platform::Registry* reg, platform::RegHandle root, const QString& path,
                                        const QString& name)
{
    if (!reg)
        return std::nullopt;
    platform::RegHandle key = 0;
    const QByteArray subKey = toAnsi(path);
    reg->RegOpenKeyA(root, subKey.constData(), &key);
    std::optional<QString> result = queryTextValue(*reg, key, name);
    reg->RegCloseKey(key);
    return result;
}

QString trimAtNul(const QString& text)
{
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    return nul < 0 ? text : text.left(nul);
}

platform::RegStatus writeSettingValue(platform::Registry* reg, platform::RegHandle root, const QString& path,
                                      const QString& name, const QString& value)
{
    if (!reg)
        return platform::kErrorInvalidHandle;
    platform::RegHandle key = 0;
    const QByteArray subKey = toAnsi(path);
    const platform::RegStatus created = reg->RegCreateKeyA(root, subKey.constData(), &key);
    const QByteArray valueName = toAnsi(name);
    // The text and one terminating NUL.
    const QByteArray data = toAnsi(value);
    const platform::RegStatus stored = reg->RegSetValueExA(key, valueName.constData(), 0, platform::kRegSz,
                                                           reinterpret_cast<const std::uint8_t*>(data.constData()),
                                                           static_cast<platform::RegDword>(data.size() + 1));
    reg->RegCloseKey(key);
    return created != platform::kErrorSuccess ? created : stored;
}

std::optional<bool> checkSettingValue(const std::optional<QString>& stored)
{
    if (stored == QLatin1String("1"))
        return true;
    if (stored == QLatin1String("0"))
        return false;
    return std::nullopt;
}

std::optional<bool> truthSettingValue(const std::optional<QString>& stored)
{
    if (stored == QLatin1String("True"))
        return true;
    if (stored == QLatin1String("False"))
        return false;
    return std::nullopt;
}

QString settingFromCheck(bool checked)
{
    return checked ? QStringLiteral("1") : QStringLiteral("0");
}

QString settingFromTruth(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}
