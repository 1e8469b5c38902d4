#include "spelling/add_dictionary_form.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QVBoxLayout>

#include "workspace/dialogs.h"

namespace jb::spelling {

namespace {

// Where the file dialog starts: the system's Hunspell dictionaries when there are any.
QString DictionaryFolder(const std::string& programFolder) {
    const QString system = "/usr/share/hunspell";
    return QDir(system).exists() ? system : QString::fromLocal8Bit(programFolder);
}

}  // namespace

TAddNewDictionaryForm::TAddNewDictionaryForm(ui::Dialogs& dialogs, std::string programFolder,
                                             std::function<void()> refillLanguages, QWidget* parent)
    : QDialog(parent),
      dialogs_(dialogs),
      programFolder_(std::move(programFolder)),
      refillLanguages_(std::move(refillLanguages)) {
    setObjectName("AddNewDictionaryForm");
    setWindowTitle("Quorvane Add new dictionary");

    Label1 = new QLabel(
        "Please type a name for the new dictionary.\n"
        "When you have typed in a name for the \n"
        "dictionary you wish to add, you must select\n"
        "the two new dictionary definition files,\n"
        "*.aff and *.dic",
        this);
    Label1->setObjectName("Label1");
    Label1->setAccessibleName("Please type a name for the new dictionary.");
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName("Edit1");
    Edit1->setAccessibleName("Dictionary Name:");
    Label2 = new QLabel("Dictionary Name:", this);
    Label2->setObjectName("Label2");
    Label2->setBuddy(Edit1);
    Button1 = new QPushButton("&Select files", this);
    Button1->setObjectName("Button1");
    Button1->setAccessibleName("Select files");
    Button1->setDefault(true);
    Button2 = new QPushButton("&Cancel", this);
    Button2->setObjectName("Button2");
    Button2->setAccessibleName("Cancel");

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(Label2);
    nameRow->addWidget(Edit1);
    layout->addLayout(nameRow);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    layout->addLayout(buttons);

    connect(Button1, &QPushButton::clicked, this, &TAddNewDictionaryForm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TAddNewDictionaryForm::Button2Click);
}

void TAddNewDictionaryForm::Button1Click() {
    const QString name = Edit1->text();
    const QString listFile = QString::fromLocal8Bit(programFolder_) + name + ".Lexicon";
    if (name.size() < 2 || QFileInfo::exists(listFile)) {
        ui::ShowInformation(dialogs_, this,
                            "A dictionary with that name already exists. Please select another name, and try again");
        Edit1->setFocus();
        return;
    }
    const std::optional<ui::OpenedFiles> chosen =
        dialogs_.AskOpenFilesOfType(this, "Please select both new dictionary files now:",
                                    DictionaryFolder(programFolder_), {"Hunspell dictionaries (*.aff *.dic)"}, 0);
    if (!chosen) return;
    if (chosen->paths.size() != 2) {
        ui::ShowInformation(dialogs_, this,
                            "You have not selected the two dictionary definition files that Jotterbase needs. "
                            "Please try again.");
        return;
    }
    QString first = chosen->paths[0];
    QString second = chosen->paths[1];
    // The affix file goes first, as in the lists the program comes with.
    if (first.endsWith(".dic", Qt::CaseInsensitive) && second.endsWith(".aff", Qt::CaseInsensitive)) {
        std::swap(first, second);
    }
    QSaveFile file(listFile);
    const QByteArray line = (first + "," + second).toLocal8Bit() + '\n';
    if (!file.open(QIODevice::WriteOnly) || file.write(line) != line.size() || !file.commit()) {
        ui::ShowError(dialogs_, this, "The dictionary list file " + listFile + " could not be written.");
        return;
    }
    ui::ShowInformation(dialogs_, this, "The new dictionary was added successfully.");
    if (refillLanguages_) refillLanguages_();
    hide();
}

void TAddNewDictionaryForm::Button2Click() { hide(); }

}  // namespace jb::spelling
