#pragma once

#include <QList>
#include <QString>

#include <memory>
#include <optional>

#include "doubles/MemoryRegistry.h"

namespace platform {
struct Services;
}

namespace platform::fakes {

// One call that reached the registry: which of the five, the sub-key or value name it
// named ("" for none), and what it answered.
struct RegCall {
    enum class Kind { Open, Create, Query, Set, Close };
    Kind kind;
    QString name;
    RegStatus status;
    // For Query and Set: whether data went in or out (a sizing query has none).
    bool withData = false;
};

// An in-memory registry with the real one's rules that records every call in order.
// `failWrites` makes creating keys and storing values fail as on a read-only store.
class FakeRegistry final : public MemoryRegistry {
public:
    RegStatus RegOpenKeyA(RegHandle key, const char* subKey, RegHandle* result) override;
    RegStatus RegCreateKeyA(RegHandle key, const char* subKey, RegHandle* result) override;
    RegStatus RegQueryValueExA(RegHandle key, const char* valueName, RegDword* reserved, RegDword* type,
                               std::uint8_t* data, RegDword* dataSize) override;
    RegStatus RegSetValueExA(RegHandle key, const char* valueName, RegDword reserved, RegDword type,
                             const std::uint8_t* data, RegDword dataSize) override;
    RegStatus RegCloseKey(RegHandle key) override;

    // Test set-up and inspection, straight on the hive (not recorded).
    void putString(const QString& path, const QString& name, const QString& text); // REG_SZ, with its NUL
    void putValue(const QString& path, const QString& name, RegDword type, const QByteArray& bytes);
    std::optional<RegValue> value(const QString& path, const QString& name);
    // The stored text of a REG_SZ without its terminator; nullopt when absent or another type.
    std::optional<QString> text(const QString& path, const QString& name);
    bool keyExists(const QString& path);

    // Value names read with ReadSettingValue, in order: its first (sizing) query is made
    // whether or not the key exists, and exactly once per read.
    QList<QString> settingReads() const;
    // Value names of the calls of one kind, in order.
    QList<QString> names(RegCall::Kind kind) const;
    int count(RegCall::Kind kind) const;

    QList<RegCall> calls;
    bool failWrites = false;
    // Keys still open (opened or created and not closed).
    int openHandles = 0;

protected:
    RegStatus update(const std::function<void(RegHive&)>& change) override;
};

// Puts a fresh FakeRegistry in place of the platform's registry and hands it back.
std::shared_ptr<FakeRegistry> installFakeRegistry(Services& services);

} // namespace platform::fakes
