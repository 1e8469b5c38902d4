#include "settings/options_form.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <stdexcept>

#include "datasets/dataset_commands.h"
#include "settings/desktop_links.h"
#include "settings/settings_file.h"
#include "settings/settings_keys.h"
#include "store/io_error.h"
#include "transfer/file_types.h"
#include "workspace/main_form.h"

namespace jb::settings_ui {
namespace {

const char* const kDataHint = "Select the active data";
const QKeySequence kDefaultHotKey(Qt::CTRL | Qt::ALT | Qt::Key_F);

QString Text(const std::string& bytes) { return QString::fromLocal8Bit(bytes.c_str()); }
std::string Bytes(const QString& text) { return text.toLocal8Bit().toStdString(); }

QToolButton* BrowseButton(QWidget* parent, const char* name, const QString& accessible) {
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setText("...");
    b->setToolTip(kDataHint);
    b->setAccessibleName(accessible);
    return b;
}

template <typename T>
T* Named(T* widget, const char* name) {
    widget->setObjectName(name);
    return widget;
}

QComboBox* List(QWidget* parent, const char* name, const QString& accessible, const QStringList& items = {}) {
    auto* box = Named(new QComboBox(parent), name);
    box->setAccessibleName(accessible);
    box->addItems(items);
    return box;
}

QStringList FileNames(const QString& folder, const QString& pattern) {
    return QDir(folder).entryList({pattern}, QDir::Files, QDir::Name);
}

QStringList TypeNames(const std::vector<transfer::FileType>& types) {
    QStringList names;
    for (const transfer::FileType& t : types) names << QString::fromLatin1(t.name.data(), t.name.size());
    return names;
}

// The settings' colour (0x00BBGGRR) and a QColor.
QColor ColourOf(std::uint32_t stored) { return QColor(stored & 0xFF, (stored >> 8) & 0xFF, (stored >> 16) & 0xFF); }
std::uint32_t StoredColour(const QColor& c) {
    return static_cast<std::uint32_t>(c.red()) | static_cast<std::uint32_t>(c.green()) << 8 |
           static_cast<std::uint32_t>(c.blue()) << 16;
}

}  // namespace

TOptionsForm::TOptionsForm(workspace::TMainForm& window) : QDialog(&window), window_(window) {
    setObjectName("OptionsForm");
    setWindowTitle("Quorvane Jotterbase Options");
    auto* layout = new QVBoxLayout(this);
    PageControl1 = Named(new QTabWidget(this), "PageControl1");
    PageControl1->setAccessibleName("Option pages");
    PageControl1->addTab(BuildDatabaseTab(), "&Database");
    PageControl1->addTab(BuildCustomisationTab(), "&Customisation");
    PageControl1->addTab(BuildWindowsTab(), "&Windows");
    PageControl1->addTab(BuildSearchTab(), "&Search options");
    layout->addWidget(PageControl1);
    auto* row = new QHBoxLayout;
    row->addStretch();
    OKButton = Named(new QPushButton("&OK", this), "OKButton");
    OKButton->setDefault(true);
    CloseButton = Named(new QPushButton("C&ancel", this), "CloseButton");
    ApplyButton = Named(new QPushButton("&Apply", this), "ApplyButton");
    for (QPushButton* b : {OKButton, CloseButton, ApplyButton}) row->addWidget(b);
    layout->addLayout(row);

    auto guarded = [this](void (TOptionsForm::*handler)()) {
        return [this, handler] { window_.RunGuarded([this, handler] { (this->*handler)(); }); };
    };
    connect(OKButton, &QPushButton::clicked, this, guarded(&TOptionsForm::OKButtonClick));
    connect(CloseButton, &QPushButton::clicked, this, [this] { CloseButtonClick(); });
    connect(ApplyButton, &QPushButton::clicked, this, guarded(&TOptionsForm::ApplyButtonClick));
    connect(Button4, &QPushButton::clicked, this, guarded(&TOptionsForm::Button4Click));
    connect(SpeedButton1, &QToolButton::clicked, this, guarded(&TOptionsForm::SpeedButton1Click));
    connect(SpeedButton2, &QToolButton::clicked, this, guarded(&TOptionsForm::SpeedButton2Click));
    connect(SpeedButton3, &QToolButton::clicked, this, guarded(&TOptionsForm::SpeedButton3Click));
    connect(SwitchButton, &QPushButton::clicked, this, guarded(&TOptionsForm::SwitchButtonClick));
    connect(Button3, &QPushButton::clicked, this, guarded(&TOptionsForm::Button3Click));
    connect(Button1, &QPushButton::clicked, this, [this] { emit AddDictionaryClicked(); });
    connect(PlaySoundCheckBox, &QCheckBox::toggled, EditSoundtoPlay, &QLineEdit::setEnabled);
    // The days ahead are the default remind date of a new page: they mean something only while
    // new pages get one.
    connect(CheckBoxNoRemindDate, &QCheckBox::toggled, this, [this](bool noDate) { RemindDateHowFar->setEnabled(!noDate); });
    connect(HotKey1, &QKeySequenceEdit::editingFinished, this, [this] { CompleteHotKey(); });
    connect(window.Options1, &QAction::triggered, this, [this] { window_.RunGuarded([this] { FormShow(); }); });
}

QWidget* TOptionsForm::BuildDatabaseTab() {
    auto* tab = new QWidget;
    auto* layout = new QVBoxLayout(tab);
    auto* active = new QHBoxLayout;
    auto* activeLabel = new QLabel("Active data:", tab);
    ActiveDataComboBox = List(tab, "ActiveDataComboBox", "Active data");
    ActiveDataComboBox->setEditable(true);
    ActiveDataComboBox->setInsertPolicy(QComboBox::NoInsert);
    ActiveDataComboBox->setToolTip(
        "This lets you select which data is active, e.g., Company data, personal data.");
    activeLabel->setBuddy(ActiveDataComboBox);
    SpeedButton1 = BrowseButton(tab, "SpeedButton1", "Browse for the active data");
    active->addWidget(activeLabel);
    active->addWidget(ActiveDataComboBox, 1);
    active->addWidget(SpeedButton1);
    layout->addLayout(active);
    auto* actions = new QHBoxLayout;
    SwitchButton = Named(new QPushButton("&Switch to new active data", tab), "SwitchButton");
    Button3 = Named(new QPushButton("Pack Data Now", tab), "Button3");
    actions->addWidget(SwitchButton);
    actions->addWidget(Button3);
    actions->addStretch();
    layout->addLayout(actions);

    auto* autoRow = new QHBoxLayout;
    CheckBoxAutoUpdate = Named(new QCheckBox("Automatically update the record when another is browsed", tab),
                               "CheckBoxAutoUpdate");
    Label9 = Named(new QLabel("to, or added to the database", tab), "Label9");
    Label9->installEventFilter(this);
    autoRow->addWidget(CheckBoxAutoUpdate);
    autoRow->addWidget(Label9);
    autoRow->addStretch();
    layout->addLayout(autoRow);

    auto* howFar = new QHBoxLayout;
    RemindDateHowFar = Named(new QSpinBox(tab), "RemindDateHowFar");
    RemindDateHowFar->setRange(0, 20000);
    RemindDateHowFar->setAccessibleName("Default remind date, days ahead");
    howFar->addWidget(new QLabel("Set the default remind date as ", tab));
    howFar->addWidget(RemindDateHowFar);
    howFar->addWidget(new QLabel("days ahead", tab));
    howFar->addStretch();
    layout->addLayout(howFar);
    CheckBoxNoRemindDate =
        Named(new QCheckBox("When Adding new pages, default to no remind date", tab), "CheckBoxNoRemindDate");
    layout->addWidget(CheckBoxNoRemindDate);

    auto* ask = new QGroupBox("If I have not already added a remind-date when updating:", tab);
    auto* askLayout = new QVBoxLayout(ask);
    RBAskMeDefYes = Named(new QRadioButton("Ask me whether to add a remind-date, default to \"Yes.\"", ask), "RBAskMeDefYes");
    RBAskMeDefNo = Named(new QRadioButton("Ask me whether to add a remind-date, default to \"No.\"", ask), "RBAskMeDefNo");
    RBDoNotAsk = Named(new QRadioButton("Do not ask me whether I wish to add a remind-date.", ask), "RBDoNotAsk");
    for (QRadioButton* b : {RBAskMeDefYes, RBAskMeDefNo, RBDoNotAsk}) askLayout->addWidget(b);
    layout->addWidget(ask);
    CBLastPage = Named(new QCheckBox("Start Jotterbase at the last page you viewed/edited", tab), "CBLastPage");
    layout->addWidget(CBLastPage);
    PackDataCheckBox = Named(new QCheckBox(tab), "PackDataCheckBox");
    PackDataCheckBox->hide();
    layout->addStretch();
    return tab;
}

QWidget* TOptionsForm::BuildCustomisationTab() {
    auto* tab = new QWidget;
    auto* layout = new QVBoxLayout(tab);
    auto* fontRow = new QHBoxLayout;
    fontRow->addWidget(new QLabel("Default editor font:", tab));
    FontLabel = Named(new QLabel("AaBbCcXxYyZz", tab), "FontLabel");
    FontLabel->setAccessibleName("Default editor font sample");
    Button4 = Named(new QPushButton("C&hange...", tab), "Button4");
    fontRow->addWidget(FontLabel, 1);
    fontRow->addWidget(Button4);
    layout->addLayout(fontRow);

    auto* form = new QFormLayout;
    auto* templateRow = new QHBoxLayout;
    DefTemplateComboBox = List(tab, "DefTemplateComboBox", "Default Template");
    DefTemplateComboBox->setEditable(true);
    DefTemplateComboBox->setInsertPolicy(QComboBox::NoInsert);
    SpeedButton2 = BrowseButton(tab, "SpeedButton2", "Browse for the default template");
    templateRow->addWidget(DefTemplateComboBox, 1);
    templateRow->addWidget(SpeedButton2);
    form->addRow("Default Template:", templateRow);
    EditTemplateWord = Named(new QLineEdit(tab), "EditTemplateWord");
    EditTemplateWord->setMaxLength(static_cast<int>(kMaxTemplateWord));
    EditTemplateWord->setAccessibleName("Field marker");
    form->addRow("Use this word to identify where input fields begin:", EditTemplateWord);
    layout->addLayout(form);

    auto* pages = new QGroupBox(tab);
    auto* pagesLayout = new QVBoxLayout(pages);
    RBCurrentRec = Named(new QRadioButton("Default to Current page when printing or exporting", pages), "RBCurrentRec");
    RBRange = Named(new QRadioButton("Default to a range of pages when printing or exporting", pages), "RBRange");
    RBQuery = Named(new QRadioButton("Pages in a specified query when printing or exporting", pages), "RBQuery");
    for (QRadioButton* b : {RBCurrentRec, RBRange, RBQuery}) pagesLayout->addWidget(b);
    layout->addWidget(pages);

    auto* types = new QFormLayout;
    ImportFileTypeComboBox = List(tab, "ImportFileTypeComboBox", "Default Import file type");
    ExportFileTypeComboBox = List(tab, "ExportFileTypeComboBox", "Default Export file type");
    types->addRow("Default Import file type:", ImportFileTypeComboBox);
    types->addRow("Default Export file type:", ExportFileTypeComboBox);
    layout->addLayout(types);
    MarkRecsCheckBox =
        Named(new QCheckBox("Insert \"page N starts\" lines in file exports and prints", tab), "MarkRecsCheckBox");
    layout->addWidget(MarkRecsCheckBox);
    auto* sound = new QHBoxLayout;
    PlaySoundCheckBox = Named(new QCheckBox("Play a sound when reminding:", tab), "PlaySoundCheckBox");
    EditSoundtoPlay = Named(new QLineEdit(tab), "EditSoundtoPlay");
    EditSoundtoPlay->setAccessibleName("Sound to play");
    SpeedButton3 = BrowseButton(tab, "SpeedButton3", "Browse for a sound");
    sound->addWidget(PlaySoundCheckBox);
    sound->addWidget(EditSoundtoPlay, 1);
    sound->addWidget(SpeedButton3);
    layout->addLayout(sound);
    layout->addStretch();
    return tab;
}

QWidget* TOptionsForm::BuildWindowsTab() {
    auto* tab = new QWidget;
    auto* layout = new QVBoxLayout(tab);
    FindCheckBox =
        Named(new QCheckBox("The \"find\" window can be activated from Anywhere in windows", tab), "FindCheckBox");
    layout->addWidget(FindCheckBox);
    auto* keyRow = new QHBoxLayout;
    HotKey1 = Named(new QKeySequenceEdit(kDefaultHotKey, tab), "HotKey1");
    HotKey1->setAccessibleName("Hot key of the find window");
    keyRow->addWidget(new QLabel("By the hot-key:", tab));
    keyRow->addWidget(HotKey1);
    keyRow->addStretch();
    layout->addLayout(keyRow);
    auto* shellRow = new QHBoxLayout;
    CheckBoxShellExtensions =
        Named(new QCheckBox("Include an \"import to Jotterbase\" option on the right-click", tab), "CheckBoxShellExtensions");
    Label5 = Named(new QLabel("menus of supported filetypes", tab), "Label5");
    Label5->installEventFilter(this);
    shellRow->addWidget(CheckBoxShellExtensions);
    shellRow->addWidget(Label5);
    shellRow->addStretch();
    layout->addLayout(shellRow);
    auto* spell = new QHBoxLayout;
    SpellCheckLanguages = List(tab, "SpellCheckLanguages", "Spell checker language");
    Button1 = Named(new QPushButton("Add Dictionary", tab), "Button1");
    spell->addWidget(new QLabel("Spell checker language", tab));
    spell->addWidget(SpellCheckLanguages, 1);
    spell->addWidget(Button1);
    layout->addLayout(spell);
    SpellAsYouTypeCheckBox = Named(new QCheckBox("Underline misspelt words as I type", tab), "SpellAsYouTypeCheckBox");
    layout->addWidget(SpellAsYouTypeCheckBox);
    layout->addStretch();
    return tab;
}

QWidget* TOptionsForm::BuildSearchTab() {
    auto* tab = new QWidget;
    auto* form = new QFormLayout(tab);
    SortTypeComboBox = List(tab, "SortTypeComboBox", "Default sort method",
                            {"by Page number", "by Creation date", "by Modification date", "by reminder date"});
    DefaultBooleanLogic = List(tab, "DefaultBooleanLogic", "Default boolean logic", {"OR", "AND", "AND NOT"});
    DefDateSearchType = List(tab, "DefDateSearchType", "Default date selection", {"Reminder", "Creation", "Modificaiton"});
    form->addRow("Default sort method:", SortTypeComboBox);
    form->addRow("If no boolean logic specified, default to:", DefaultBooleanLogic);
    form->addRow("Default Date selection for search: ", DefDateSearchType);
    return tab;
}

bool TOptionsForm::eventFilter(QObject* watched, QEvent* event) {
    // The labels that continue a check box's text toggle it too.
    if (event->type() == QEvent::MouseButtonRelease) {
        if (watched == Label9) CheckBoxAutoUpdate->toggle();
        if (watched == Label5) CheckBoxShellExtensions->toggle();
    }
    return QDialog::eventFilter(watched, event);
}

QString TOptionsForm::ProgramFolder() const { return Text(window_.programFolder); }

void TOptionsForm::SetSample(const QFont& font, const QColor& colour) {
    sampleFont_ = font;
    sampleColour_ = colour;
    FontLabel->setFont(font);
    QPalette palette = FontLabel->palette();
    palette.setColor(QPalette::WindowText, colour);
    FontLabel->setPalette(palette);
}

void TOptionsForm::CompleteHotKey() {
    const QKeySequence typed = HotKey1->keySequence();
    if (typed.isEmpty()) return;
    QKeyCombination key = typed[0];
    const Qt::KeyboardModifiers mods = key.keyboardModifiers();
    if (mods == Qt::NoModifier || mods == Qt::ShiftModifier)
        key = QKeyCombination(mods | Qt::ControlModifier | Qt::AltModifier, key.key());
    HotKey1->setKeySequence(QKeySequence(key));
}

void TOptionsForm::RefillLanguages() {
    const QString chosen = SpellCheckLanguages->currentText();
    SpellCheckLanguages->clear();
    for (const QString& file : FileNames(ProgramFolder(), "*.Lexicon")) SpellCheckLanguages->addItem(file.chopped(8));
    SpellCheckLanguages->setCurrentIndex(SpellCheckLanguages->findText(chosen));
}

void TOptionsForm::FormShow() {
    using namespace keys;
    if (const std::optional<QKeySequence> hotKey = ReadFindShortcut()) HotKey1->setKeySequence(*hotKey);
    ImportFileTypeComboBox->clear();
    ImportFileTypeComboBox->addItems(TypeNames(transfer::ImportFileTypes()));
    ExportFileTypeComboBox->clear();
    ExportFileTypeComboBox->addItems(TypeNames(transfer::ExportFileTypes()));
    ActiveDataComboBox->clear();
    ActiveDataComboBox->addItems(FileNames(ProgramFolder(), "*.jb"));
    DefTemplateComboBox->clear();
    DefTemplateComboBox->addItems(FileNames(ProgramFolder(), "*.tp"));
    DefTemplateComboBox->insertItem(0, "None");
    DefTemplateComboBox->setCurrentIndex(0);
    SpellCheckLanguages->clear();
    for (const QString& file : FileNames(ProgramFolder(), "*.Lexicon")) SpellCheckLanguages->addItem(file.chopped(8));

    const IniDocument ini = SettingsFile(SettingsFilePath(window_.programFolder)).Read();
    auto text = [&](const SettingKey& k, std::string_view fallback) {
        return Text(ini.GetString(k.section, k.key, fallback));
    };
    auto flag = [&](const SettingKey& k, bool fallback) { return ini.GetBool(k.section, k.key, fallback); };
    auto number = [&](const SettingKey& k, int fallback) { return ini.GetInt(k.section, k.key, fallback); };
    CBLastPage->setChecked(flag(kLastPage, true));
    CheckBoxAutoUpdate->setChecked(flag(kAutoupdate, false));
    DefTemplateComboBox->setEditText(text(kTemplateDef, "normal.tp"));
    EditTemplateWord->setText(text(kTemplateWord, "[~]").left(static_cast<int>(kMaxTemplateWord)));
    SortTypeComboBox->setCurrentIndex(number(kDefSort, 0));
    DefaultBooleanLogic->setCurrentIndex(number(kDefLogic, 0));
    DefDateSearchType->setCurrentIndex(number(kDefDateType, 0));
    // The language the program uses: the file's, or without the key the program's own default
    // (so that OK after another change does not switch the spelling off); none when it is not
    // listed.
    SpellCheckLanguages->setCurrentIndex(SpellCheckLanguages->findText(text(kDict, LoadedSettings{}.dict)));
    SpellAsYouTypeCheckBox->setChecked(flag(kSpellAsYouType, true));
    PackDataCheckBox->setChecked(flag(kPackData, true));
    // Without the key the program opens its default data set; the box names that one, so that
    // Apply cannot point the next start at another, empty data set.
    ActiveDataComboBox->setEditText(text(kActiveData, kDefaultDataSetName));
    MarkRecsCheckBox->setChecked(flag(kMarkRecsExport, true));
    QFont font(text(kFontName, "Arial"), static_cast<std::uint8_t>(number(kFontSize, 10)));
    font.setBold(flag(kFontBold, false));
    font.setItalic(flag(kFontItalic, false));
    font.setUnderline(flag(kFontUnderline, false));
    SetSample(font, ColourOf(static_cast<std::uint32_t>(number(kFontColor, 0))));
    CheckBoxNoRemindDate->setChecked(!flag(kNewPageRemind, false));
    switch (number(kOnNoDateAlready, 1)) {
        case 0: RBAskMeDefYes->setChecked(true); break;
        case 1: RBAskMeDefNo->setChecked(true); break;
        case 2: RBDoNotAsk->setChecked(true); break;
        default: break;
    }
    PlaySoundCheckBox->setChecked(flag(kPlaySound, true));
    EditSoundtoPlay->setText(text(kSoundFile, "remind.wav"));
    EditSoundtoPlay->setEnabled(PlaySoundCheckBox->isChecked());
    RemindDateHowFar->setEnabled(!CheckBoxNoRemindDate->isChecked());
    RemindDateHowFar->setValue(number(kHowFarDef, 7));
    switch (number(kExportPrintDefault, 0)) {
        case 0: RBCurrentRec->setChecked(true); break;
        case 1: RBRange->setChecked(true); break;
        case 2: RBQuery->setChecked(true); break;
        default: break;
    }
    ImportFileTypeComboBox->setCurrentIndex(number(kImportFileType, 0));
    ExportFileTypeComboBox->setCurrentIndex(number(kExportFileType, 0));
    FindCheckBox->setChecked(flag(kFindShortcut, false));
    CheckBoxShellExtensions->setChecked(ImportEntryExists());
    show();
    raise();
    activateWindow();
}

void TOptionsForm::ApplyButtonClick() {
    using namespace keys;
    SettingsFile file(SettingsFilePath(window_.programFolder));
    auto write = [&](const SettingKey& k, const QString& value) { file.WriteString(k.section, k.key, Bytes(value)); };
    auto writeFlag = [&](const SettingKey& k, bool value) { file.WriteBool(k.section, k.key, value); };
    auto writeNumber = [&](const SettingKey& k, std::int64_t value) { file.WriteInt(k.section, k.key, value); };
    auto ticked = [](std::initializer_list<QRadioButton*> buttons) {
        int i = 0;
        for (QRadioButton* b : buttons) {
            if (b->isChecked()) return i;
            ++i;
        }
        return -1;
    };

    writeFlag(kNewPageRemind, !CheckBoxNoRemindDate->isChecked());
    writeFlag(kPlaySound, PlaySoundCheckBox->isChecked());
    // A sound that is not there is not stored; the old one stays.
    const QString sound = EditSoundtoPlay->text();
    const QFileInfo soundFile(Text(PathInProgramFolder(window_.programFolder, Bytes(sound))));
    if (!sound.isEmpty() && soundFile.isFile()) write(kSoundFile, sound);
    write(kTemplateDef, DefTemplateComboBox->currentText());
    write(kTemplateWord, EditTemplateWord->text());
    write(kDict, SpellCheckLanguages->currentIndex() < 0 ? QString() : SpellCheckLanguages->currentText());
    writeFlag(kSpellAsYouType, SpellAsYouTypeCheckBox->isChecked());
    writeNumber(kDefSort, SortTypeComboBox->currentIndex());
    writeNumber(kDefLogic, DefaultBooleanLogic->currentIndex());
    writeNumber(kDefDateType, DefDateSearchType->currentIndex());
    writeFlag(kLastPage, CBLastPage->isChecked());
    writeFlag(kAutoupdate, CheckBoxAutoUpdate->isChecked());
    writeFlag(kPackData, PackDataCheckBox->isChecked());
    write(kActiveData, ActiveDataComboBox->currentText());
    writeFlag(kMarkRecsExport, MarkRecsCheckBox->isChecked());
    writeNumber(kFontSize, sampleFont_.pointSize());
    write(kFontName, sampleFont_.family());
    writeNumber(kFontColor, StoredColour(sampleColour_));
    writeFlag(kFontBold, sampleFont_.bold());
    writeFlag(kFontItalic, sampleFont_.italic());
    writeFlag(kFontUnderline, sampleFont_.underline());
    writeNumber(kHowFarDef, static_cast<std::int16_t>(RemindDateHowFar->value()));
    if (const int onNoDate = ticked({RBAskMeDefYes, RBAskMeDefNo, RBDoNotAsk}); onNoDate >= 0)
        writeNumber(kOnNoDateAlready, onNoDate);
    if (const int pages = ticked({RBCurrentRec, RBRange, RBQuery}); pages >= 0) writeNumber(kExportPrintDefault, pages);
    writeNumber(kExportFileType, ExportFileTypeComboBox->currentIndex());
    writeNumber(kImportFileType, ImportFileTypeComboBox->currentIndex());
    writeFlag(kFindShortcut, FindCheckBox->isChecked());

    const QString program = Text(window_.installation.programs) + "jotterbase";
    const bool nameFolder = window_.installation.shared;
    if (CheckBoxShellExtensions->isChecked()) {
        if (!WriteImportEntry(program, ProgramFolder(), nameFolder))
            throw std::runtime_error("Failed to set data for 'ThreadingModel'");
    } else {
        DeleteImportEntry();
    }
    if (FindCheckBox->isChecked()) {
        if (!WriteFindShortcut(program, ProgramFolder(), HotKey1->keySequence(), nameFolder))
            throw IoError(Bytes(ApplicationsFolder()), "The find shortcut cannot be written");
    } else {
        DeleteFindShortcut();
    }
    window_.settings = LoadSettings(window_.programFolder, *window_.spellEngine);
}

void TOptionsForm::OKButtonClick() {
    ApplyButtonClick();
    CloseButtonClick();
}

void TOptionsForm::CloseButtonClick() { hide(); }

void TOptionsForm::Button4Click() {
    if (const std::optional<ui::FontChoice> chosen = window_.dialogs.AskFont(this, sampleFont_, sampleColour_))
        SetSample(chosen->font, chosen->colour);
}

void TOptionsForm::SpeedButton1Click() {
    const QString path = window_.dialogs.AskOpenFile(this, "Select the currently active data",
                                                     "Jotterbase Data files (*.jb)", ProgramFolder());
    if (path.isEmpty()) return;
    ActiveDataComboBox->setEditText(path);
    ui::MessageRequest ask;
    ask.caption = ui::kMessageCaption;
    ask.text = "do you wish to switch to this data now?";
    ask.icon = ui::MessageIcon::kInformation;
    ask.buttons = ui::kButtonYes | ui::kButtonNo;
    ask.defaultButton = ui::kButtonYes;
    if (window_.dialogs.ShowMessage(this, ask) == ui::kButtonYes) SwitchButtonClick();
}

void TOptionsForm::SpeedButton2Click() {
    const QString path = window_.dialogs.AskOpenFile(this, "Select the default template", "Jotterbase Templates (*.tp)",
                                                     ProgramFolder());
    if (!path.isEmpty()) DefTemplateComboBox->setEditText(path);
}

void TOptionsForm::SpeedButton3Click() {
    const QString current = EditSoundtoPlay->text();
    const QString folder =
        current.isEmpty()
            ? ProgramFolder()
            : QFileInfo(Text(PathInProgramFolder(window_.programFolder, Bytes(current))))
                  .absolutePath();
    const QString path = window_.dialogs.AskOpenFile(this, "Choose a sound to play when Jotterbase is reminding",
                                                     "Sound Files (wave files) (*.wav)", folder);
    if (!path.isEmpty()) EditSoundtoPlay->setText(path);
}

void TOptionsForm::SwitchButtonClick() {
    window_.DataSets->SwitchFromOptions(Bytes(ActiveDataComboBox->currentText()), this);
}

void TOptionsForm::Button3Click() { window_.DataSets->PackFromOptions(); }

}  // namespace jb::settings_ui
