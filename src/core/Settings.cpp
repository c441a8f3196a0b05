#include "core/Settings.h"

#include "core/SettingValues.h"
#include "platform/Services.h"

namespace {

std::optional<QString> read(const char* name)
{
    return readSettingValue(kSettingsRoot, QString::fromLatin1(kSettingsPath), QString::fromLatin1(name));
}

platform::RegStatus write(const char* name, const QString& text)
{
    return writeSettingValue(kSettingsRoot, QString::fromLatin1(kSettingsPath), QString::fromLatin1(name), text);
}

} // namespace

SettingsStore& settings()
{
    static SettingsStore instance;
    return instance;
}

void SettingsStore::load()
{
    // A choice that could not be stored still holds for the rest of the run.
    if (m_unsaved)
        return;
    m_values.showSplash = checkSettingValue(read(kSplashScreen)).value_or(false);
    m_values.placeInTray = checkSettingValue(read(kPlaceInTray)).value_or(false);
    m_values.copyToClipboard = truthSettingValue(read(kCopy2Clip)).value_or(false);
}

bool SettingsStore::save()
{
    platform::Registry* registry = platform::services().registry.get();
    if (!registry) {
        m_unsaved = true;
        return false;
    }
    registry->beginChanges();
    platform::RegStatus status = write(kSplashScreen, settingFromCheck(m_values.showSplash));
    const platform::RegStatus tray = write(kPlaceInTray, settingFromCheck(m_values.placeInTray));
    const platform::RegStatus copy = write(kCopy2Clip, settingFromTruth(m_values.copyToClipboard));
    const platform::RegStatus committed = registry->commitChanges();
    for (const platform::RegStatus s : {tray, copy, committed}) {
        if (status == platform::kErrorSuccess)
            status = s;
    }
    m_unsaved = status != platform::kErrorSuccess;
    return !m_unsaved;
}
