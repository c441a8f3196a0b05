#include "core/Settings.h"

#include "core/SettingValues.h"
#include "platform/Services.h"

namespace {

std::optional<QString> read(platform::Registry* registry, const char* name)
{
    return readSettingValue(registry, kSettingsRoot, QString::fromLatin1(kSettingsPath), QString::fromLatin1(name));
}

platform::RegStatus write(platform::Registry* registry, const char* name, const QString& text)
{
    return writeSettingValue(registry, kSettingsRoot, QString::fromLatin1(kSettingsPath), QString::fromLatin1(name),
                             text);
}

} // namespace

SettingsStore::SettingsStore(const platform::Services& services)
    : m_services(services)
{
}

void SettingsStore::load()
{
    m_stale = false;
    // A choice that could not be stored still holds for the rest of the run.
    if (m_unsaved)
        return;
    platform::Registry* registry = m_services.registry.get();
    m_values.showSplash = checkSettingValue(read(registry, kSplashScreen)).value_or(false);
    m_values.placeInTray = checkSettingValue(read(registry, kPlaceInTray)).value_or(false);
    m_values.copyToClipboard = truthSettingValue(read(registry, kCopy2Clip)).value_or(false);
}

const Settings& SettingsStore::values()
{
    if (m_stale)
        load();
    return m_values;
}

bool SettingsStore::save()
{
    platform::Registry* registry = m_services.registry.get();
    if (!registry) {
        m_unsaved = true;
        return false;
    }
    registry->beginChanges();
    platform::RegStatus status = write(registry, kSplashScreen, settingFromCheck(m_values.showSplash));
    const platform::RegStatus tray = write(registry, kPlaceInTray, settingFromCheck(m_values.placeInTray));
    const platform::RegStatus copy = write(registry, kCopy2Clip, settingFromTruth(m_values.copyToClipboard));
    const platform::RegStatus committed = registry->commitChanges();
    for (const platform::RegStatus s : {tray, copy, committed}) {
        if (status == platform::kErrorSuccess)
            status = s;
    }
    m_unsaved = status != platform::kErrorSuccess;
    return !m_unsaved;
}
