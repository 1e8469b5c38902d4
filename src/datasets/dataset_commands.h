#pragma once
// The data set commands of the main window: New, Open and Save Database as, the Deleted Pages
// toggle, Pack and Rebuild Damaged Index, and the switch of the current data set they share.

#include <QObject>

class QWidget;
#include <string>

namespace jb::workspace {
class TMainForm;
}

namespace jb::datasets {

class TProgressForm;

class DataSetCommands : public QObject {
    Q_OBJECT
public:
    // Wires the window's data set menu items to the commands.
    explicit DataSetCommands(workspace::TMainForm& window);

    void CreateNewDatabase1Click();
    void ChangeCurrentDatabase1Click();
    void Saveas1Click();
    void DeletedPagesClick();
    void Packcurrentdatabase1Click();
    void Rebuilddamagedindex1Click();
    // The options dialog's switch: the path as typed, a bare name meaning the program folder's
    // file (as the next start takes it). An existing data set becomes current, is recorded in
    // the settings file and the user is told so over `dialog`; a missing one becomes current on
    // Yes without being recorded (Apply or OK records the box's text).
    void SwitchFromOptions(const std::string& typed, QWidget* dialog);
    // The options dialog's "Pack Data Now": the pack with the bar at 0, 56 and 100.
    void PackFromOptions();

    TProgressForm* ProgressForm;

private:
    // Settles the page's unsaved changes while the old data set is current, then marks the
    // editor not modified, so that nothing of the old page reaches the new data set. False when
    // the page could not be written: the switch must not go on and drop it.
    bool SettleUnsavedChanges();
    // Makes `dataSet` current: the index list saved, a pack stopped part way put right, the
    // settings file told (unless `record` is false), a locked page let go, an open query closed,
    // the caption refreshed and the index loaded. False, with the error shown, when the index
    // list could not be saved: nothing changed then.
    bool SwitchTo(const std::string& dataSet, bool record = true);
    // Page 0 of the new current data set, or an empty new page when it has none.
    void ShowFirstPage();

    void Pack(bool fromOptions);

    workspace::TMainForm& window_;
};

}  // namespace jb::datasets
