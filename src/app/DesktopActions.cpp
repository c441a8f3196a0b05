#include "app/DesktopActions.h"

#include "app/Program.h"
#include "app/TrayCommands.h"
#include "ui/main/MainWindow.h"

namespace {

constexpr struct {
    const char* name;
    CaseConversion conversion;
} kConversions[] = {
    {"upper", CaseConversion::Upper}, {"lower", CaseConversion::Lower},       {"random", CaseConversion::Random},
    {"title", CaseConversion::Title}, {"sentence", CaseConversion::Sentence}, {"swap", CaseConversion::Swap},
};

const QLatin1String kInPlace("-in-place");

} // namespace

QStringList desktopActionNames()
{
    QStringList names;
    for (const auto& c : kConversions)
        names << QLatin1String(c.name);
    for (const auto& c : kConversions)
        names << QLatin1String(c.name) + kInPlace;
    return names << QStringLiteral("show") << QStringLiteral("options");
}

bool runDesktopAction(Program& program, const QString& name)
{
    for (const auto& c : kConversions) {
        if (name == QLatin1String(c.name)) {
            convertClipboardText(program, c.conversion);
            return true;
        }
        if (name == QLatin1String(c.name) + kInPlace) {
            convertSelectionInPlace(program, c.conversion);
            return true;
        }
    }
    if (name.isEmpty() || name == QLatin1String("show"))
        program.windows().get<MainWindow>().showMainWindow();
    else if (name == QLatin1String("options"))
        program.windows().get<MainWindow>().showOptions();
    else
        return false;
    return true;
}
