#include "editor/theme_icons.h"

#include <QAction>
#include <QIcon>
#include <QToolButton>

// The fallback set is compiled into the program from assets/icons/icons.qrc.
static void LoadIconResources() { Q_INIT_RESOURCE(icons); }

namespace jb::editor {
namespace {

constexpr const char* kFallbackTheme = "JotterbaseFallback";

QString PlainText(QString text) { return text.remove('&'); }

}  // namespace

void InstallFallbackIcons() {
    static const bool installed = [] {
        LoadIconResources();
        QStringList paths = QIcon::themeSearchPaths();
        paths << ":/icons";
        QIcon::setThemeSearchPaths(paths);
        QIcon::setFallbackThemeName(kFallbackTheme);
        // Without a desktop (a bare X server) there is no theme at all: the program's own set is it.
        if (QIcon::themeName().isEmpty() || QIcon::themeName() == "hicolor") QIcon::setThemeName(kFallbackTheme);
        return true;
    }();
    (void)installed;
}

void ShowIcon(QToolButton* button, const char* name, bool withText) {
    InstallFallbackIcons();
    const QIcon icon = QIcon::fromTheme(name);
    if (icon.isNull()) return;
    const QString text = PlainText(button->text());
    if (button->toolTip().isEmpty()) button->setToolTip(text);
    if (button->accessibleName().isEmpty()) button->setAccessibleName(text);
    button->setIcon(icon);
    button->setToolButtonStyle(withText ? Qt::ToolButtonTextBesideIcon : Qt::ToolButtonIconOnly);
    // A letter nobody sees is no mnemonic: Alt+F of "Adv. &Find" would take the File menu's key.
    if (!withText) button->setShortcut(QKeySequence());
}

void ShowIcon(QAction* action, const char* name) {
    InstallFallbackIcons();
    const QIcon icon = QIcon::fromTheme(name);
    if (!icon.isNull()) action->setIcon(icon);
}

}  // namespace jb::editor
