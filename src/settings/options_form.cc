#include "settings/options_form.h"

#include <QAction>

#include "workspace/main_form.h"

namespace jb::settings_ui {

TOptionsForm::TOptionsForm(workspace::TMainForm& window) : QDialog(&window), window_(window) {
    setObjectName("OptionsForm");
    setWindowTitle("Quorvane Jotterbase Options");
    connect(window.Options1, &QAction::triggered, this, [this] { FormShow(); });
}

void TOptionsForm::FormShow() { show(); }

void TOptionsForm::RefillLanguages() {}

}  // namespace jb::settings_ui
