#include "doubles/FakeRegistry.h"

#include "platform/Services.h"

namespace platform::fakes {
namespace {

QString nameOf(const char* s)
{
    return s ? QString::fromLocal8Bit(s) : QString();
}

} // namespace

RegStatus FakeRegistry::RegOpenKeyA(RegHandle key, const char* subKey, RegHandle* result)
{
    const RegStatus s = MemoryRegistry::RegOpenKeyA(key, subKey, result);
    if (s == kErrorSuccess && result && *result != key)
        ++openHandles;
    calls.append({RegCall::Kind::Open, nameOf(subKey), s});
    return s;
}

RegStatus FakeRegistry::RegCreateKeyA(RegHandle key, const char* subKey, RegHandle* result)
{
    const RegStatus s = MemoryRegistry::RegCreateKeyA(key, subKey, result);
    if (s == kErrorSuccess)
        ++openHandles;
    calls.append({RegCall::Kind::Create, nameOf(subKey), s});
    return s;
}

RegStatus FakeRegistry::RegQueryValueExA(RegHandle key, const char* valueName, RegDword* reserved, RegDword* type,
                                         std::uint8_t* data, RegDword* dataSize)
{
    const RegStatus s = MemoryRegistry::RegQueryValueExA(key, valueName, reserved, type, data, dataSize);
    calls.append({RegCall::Kind::Query, nameOf(valueName), s, data != nullptr});
    return s;
}

RegStatus FakeRegistry::RegSetValueExA(RegHandle key, const char* valueName, RegDword reserved, RegDword type,
                                       const std::uint8_t* data, RegDword dataSize)
{
    const RegStatus s = MemoryRegistry::RegSetValueExA(key, valueName, reserved, type, data, dataSize);
    calls.append({RegCall::Kind::Set, nameOf(valueName), s, data != nullptr});
    return s;
}

RegStatus FakeRegistry::RegCloseKey(RegHandle key)
{
    const RegStatus s = MemoryRegistry::RegCloseKey(key);
    if (s == kErrorSuccess && key != kHkeyCurrentUser)
        --openHandles;
    calls.append({RegCall::Kind::Close, QString(), s});
    return s;
}

RegStatus FakeRegistry::update(const std::function<void(RegHive&)>& change)
{
    if (failWrites)
        return kErrorAccessDenied;
    return MemoryRegistry::update(change);
}

void FakeRegistry::putString(const QString& path, const QString& name, const QString& text)
{
    QByteArray bytes = text.toLocal8Bit();
    bytes.append('\0');
    putValue(path, name, kRegSz, bytes);
}

void FakeRegistry::putValue(const QString& path, const QString& name, RegDword type, const QByteArray& bytes)
{
    RegKey& k = hive::ensureKey(hive(), path.toStdString());
    hive::setValue(k, name.toStdString(), type, std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
}

std::optional<RegValue> FakeRegistry::value(const QString& path, const QString& name)
{
    const RegKey* k = hive::findKey(hive(), path.toStdString());
    const RegValue* v = k ? hive::findValue(*k, name.toStdString()) : nullptr;
    return v ? std::optional<RegValue>(*v) : std::nullopt;
}

std::optional<QString> FakeRegistry::text(const QString& path, const QString& name)
{
    const std::optional<RegValue> v = value(path, name);
    if (!v || v->type != kRegSz)
        return std::nullopt;
    QByteArray bytes(reinterpret_cast<const char*>(v->data.data()), static_cast<qsizetype>(v->data.size()));
    if (bytes.endsWith('\0'))
        bytes.chop(1);
    return QString::fromLocal8Bit(bytes);
}

bool FakeRegistry::keyExists(const QString& path)
{
    return hive::keyExists(hive(), path.toStdString());
}

QList<QString> FakeRegistry::settingReads() const
{
    QList<QString> out;
    for (const RegCall& c : calls) {
        if (c.kind == RegCall::Kind::Query && !c.withData)
            out.append(c.name);
    }
    return out;
}

QList<QString> FakeRegistry::names(RegCall::Kind kind) const
{
    QList<QString> out;
    for (const RegCall& c : calls) {
        if (c.kind == kind)
            out.append(c.name);
    }
    return out;
}

int FakeRegistry::count(RegCall::Kind kind) const
{
    int n = 0;
    for (const RegCall& c : calls)
        n += c.kind == kind ? 1 : 0;
    return n;
}

std::shared_ptr<FakeRegistry> installFakeRegistry(Services& services)
{
    auto reg = std::make_shared<FakeRegistry>();
    services.registry = reg;
    return reg;
}

} // namespace platform::fakes
