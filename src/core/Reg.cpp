#include "core/Reg.h"

#include <QByteArray>

#include "platform/Services.h"

namespace {

platform::Registry* registry()
{
    return platform::services().registry.get();
}

// The platform's "ANSI" encoding: the system code page on Windows, the locale's
// (UTF-8) elsewhere. Null stays null so that a default-value name is passed as such.
QByteArray toAnsi(const QString& text)
{
    return text.toLocal8Bit();
}

} // namespace

std::optional<QString> ReadSettingValue(platform::RegHandle root, const QString& path, const QString& name)
{
    platform::Registry* reg = registry();
    if (!reg)
        return std::nullopt;
    platform::RegHandle key = 0;
    const QByteArray subKey = toAnsi(path);
    reg->RegOpenKeyA(root, subKey.constData(), &key);
    std::optional<QString> result = QueryTextValue(key, name);
    reg->RegCloseKey(key);
    return result;
}

std::optional<QString> QueryTextValue(platform::RegHandle key, const QString& name)
{
    platform::Registry* reg = registry();
    if (!reg)
        return std::nullopt;
    const QByteArray valueName = toAnsi(name);
    platform::RegDword type = 0;
    platform::RegDword size = 0;
    const platform::RegStatus sized = reg->RegQueryValueExA(key, valueName.constData(), nullptr, &type, nullptr, &size);
    if (sized != platform::kErrorSuccess || type != platform::kRegSz)
        return std::nullopt;

    QByteArray buffer(static_cast<qsizetype>(size), ' ');
    platform::RegDword scratchType = 0;
    const platform::RegStatus read = reg->RegQueryValueExA(
        key, valueName.constData(), nullptr, &scratchType, reinterpret_cast<std::uint8_t*>(buffer.data()), &size);
    if (read != platform::kErrorSuccess)
        return std::nullopt;
    // A shorter answer the second time leaves blanks at the end; keep only what was read.
    buffer.truncate(static_cast<qsizetype>(size));
    return TrimAtNul(QString::fromLocal8Bit(buffer));
}

QString TrimAtNul(const QString& text)
{
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    return nul < 0 ? text : text.left(nul);
}

void WriteSettingValue(platform::RegHandle root, const QString& path, const QString& name, const QString& value)
{
    platform::Registry* reg = registry();
    if (!reg)
        return;
    platform::RegHandle key = 0;
    const QByteArray subKey = toAnsi(path);
    reg->RegCreateKeyA(root, subKey.constData(), &key);
    const QByteArray valueName = toAnsi(name);
    // The text and one terminating NUL.
    const QByteArray data = toAnsi(value);
    reg->RegSetValueExA(key, valueName.constData(), 0, platform::kRegSz,
                        reinterpret_cast<const std::uint8_t*>(data.constData()),
                        static_cast<platform::RegDword>(data.size() + 1));
    reg->RegCloseKey(key);
}

std::optional<bool> CheckSettingValue(const std::optional<QString>& stored)
{
    if (stored == QLatin1String("1"))
        return true;
    if (stored == QLatin1String("0"))
        return false;
    return std::nullopt;
}

std::optional<bool> TruthSettingValue(const std::optional<QString>& stored)
{
    if (stored == QLatin1String("True"))
        return true;
    if (stored == QLatin1String("False"))
        return false;
    return std::nullopt;
}

Qt::CheckState CheckStateFromSetting(const std::optional<QString>& stored)
{
    return CheckSettingValue(stored).value_or(false) ? Qt::Checked : Qt::Unchecked;
}

bool TruthFromSetting(const std::optional<QString>& stored)
{
    return TruthSettingValue(stored).value_or(false);
}

QString SettingFromCheckState(Qt::CheckState state)
{
    return state == Qt::Checked ? QStringLiteral("1") : QStringLiteral("0");
}

QString SettingFromTruth(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}
