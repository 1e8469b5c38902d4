#include "transfer/template_commands.h"

#include <QAction>

#include "workspace/main_form.h"

namespace jb::transfer {

TemplateCommands::TemplateCommands(workspace::TMainForm& window) : QObject(&window), window_(window) {
    const std::pair<QAction*, void (TemplateCommands::*)()> commands[] = {
        {window.Saveastemplate1, &TemplateCommands::Saveastemplate1Click},
        {window.ChangeLoadedTemplate1, &TemplateCommands::ChangeLoadedTemplate1Click},
        {window.GotoNextField1, &TemplateCommands::GotoNextField1Click},
    };
    for (auto [item, command] : commands)
        connect(item, &QAction::triggered, this,
                [this, command = command] { window_.RunGuarded([this, command] { (this->*command)(); }); });
}

void TemplateCommands::Saveastemplate1Click() {}

void TemplateCommands::ChangeLoadedTemplate1Click() {}

void TemplateCommands::GotoNextField1Click() {}

}  // namespace jb::transfer
