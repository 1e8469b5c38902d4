#pragma once
// The options dialog (TOptionsForm): the preferences of the settings file in four tabs, and the
// switch of the current data set, the pack, the dictionaries, the find shortcut and the "import
// to" entry. Created once with the window; shown without blocking it. Showing reads the
// settings file again, so edits left by Cancel are gone at the next showing.

#include <QDialog>
#include <QFont>

class QCheckBox;
class QComboBox;
class QKeySequenceEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class QToolButton;

namespace jb::workspace {
class TMainForm;
}

namespace jb::settings_ui {

class TOptionsForm : public QDialog {
    Q_OBJECT
public:
    explicit TOptionsForm(workspace::TMainForm& window);

    // Fills the controls from the settings file and the desktop entries, then shows the dialog.
    void FormShow();
    // Writes every control to the settings file in the program's order, switches the desktop
    // entries, and loads the settings again so that they take effect at once.
    void ApplyButtonClick();
    void OKButtonClick();
    void CloseButtonClick();
    // The languages: the "*.Lexicon" files of the program folder, each without its ending.
    void RefillLanguages();

    // Small handlers.
    void Button4Click();       // the font
    void SpeedButton1Click();  // browse for a data set
    void SpeedButton2Click();  // browse for a template
    void SpeedButton3Click();  // browse for a sound
    void SwitchButtonClick();
    void Button3Click();  // Pack Data Now

    QTabWidget* PageControl1;
    // Database
    QComboBox* ActiveDataComboBox;
    QToolButton* SpeedButton1;
    QPushButton* SwitchButton;
    QPushButton* Button3;
    QCheckBox* CheckBoxAutoUpdate;
    QLabel* Label9;
    QSpinBox* RemindDateHowFar;  // with its arrows, UpDown1
    QCheckBox* CheckBoxNoRemindDate;
    QRadioButton* RBAskMeDefYes;
    QRadioButton* RBAskMeDefNo;
    QRadioButton* RBDoNotAsk;
    QCheckBox* CBLastPage;
    QCheckBox* PackDataCheckBox;  // hidden: [Database] PackData
    // Customisation
    QLabel* FontLabel;
    QPushButton* Button4;
    QComboBox* DefTemplateComboBox;
    QToolButton* SpeedButton2;
    QLineEdit* EditTemplateWord;
    QRadioButton* RBCurrentRec;
    QRadioButton* RBRange;
    QRadioButton* RBQuery;
    QComboBox* ImportFileTypeComboBox;
    QComboBox* ExportFileTypeComboBox;
    QCheckBox* MarkRecsCheckBox;
    QCheckBox* PlaySoundCheckBox;
    QLineEdit* EditSoundtoPlay;
    QToolButton* SpeedButton3;
    // Windows
    QCheckBox* FindCheckBox;
    QKeySequenceEdit* HotKey1;
    QCheckBox* CheckBoxShellExtensions;
    QLabel* Label5;
    QComboBox* SpellCheckLanguages;
    QPushButton* Button1;  // Add Dictionary
    QCheckBox* SpellAsYouTypeCheckBox;
    // Search options
    QComboBox* SortTypeComboBox;
    QComboBox* DefaultBooleanLogic;
    QComboBox* DefDateSearchType;
    // Below the tabs
    QPushButton* OKButton;
    QPushButton* CloseButton;
    QPushButton* ApplyButton;

    // The font of the sample, and its colour.
    QFont SampleFont() const { return sampleFont_; }
    QColor SampleColour() const { return sampleColour_; }

signals:
    // "Add Dictionary": the add-dictionary dialog is the spelling's.
    void AddDictionaryClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* BuildDatabaseTab();
    QWidget* BuildCustomisationTab();
    QWidget* BuildWindowsTab();
    QWidget* BuildSearchTab();
    void SetSample(const QFont& font, const QColor& colour);
    // A hot key alone, or with Shift alone, gets Ctrl+Alt: a global key must not eat typing.
    void CompleteHotKey();
    QString ProgramFolder() const;

    workspace::TMainForm& window_;
    QFont sampleFont_;
    QColor sampleColour_;
};

}  // namespace jb::settings_ui
