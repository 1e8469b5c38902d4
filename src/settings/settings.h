#pragma once
// The loaded settings and the window layout: plain values read from and written to the
// settings file of a program folder. The desktop applies them; nothing here touches a window.
//
// Every operation opens and closes the settings file itself (see SettingsFile). Reads never
// fail; writes throw SettingsWriteError ("Unable to write to <path>") at the first key the
// system refuses, and keys written before it stay written.
//
// `programFolder` is the folder of the program, normally with its final "/" (one is added
// when missing). `fs` must outlive the call.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "spelling/spell_engine.h"
#include "store/file_system.h"

namespace jb {

// The loaded SoundFile when PlaySound is off: the one value that means "play no sound".
inline constexpr std::string_view kNoSound = "nosound";
// The most characters a loaded text keeps, and the most of [Template] Word.
inline constexpr std::size_t kMaxSettingText = 255;
// The toolbar arrangement is longer than any text the user types; a longer value is cut and then
// fails to restore, which leaves the program's own arrangement.
inline constexpr std::size_t kMaxArrangementText = 4096;
inline constexpr std::size_t kMaxTemplateWord = 8;
// The data set when the settings name none.
inline constexpr std::string_view kDefaultDataSetName = "data.jb";

// The preferences, with their start-up defaults. Integers keep the widths the program has
// always used: values that do not fit wrap (a font size of 300 is 44).
struct LoadedSettings {
    // [Database]
    std::string activeData{kDefaultDataSetName};  // as stored; see DataSetInProgramFolder
    bool autoUpdate = false;
    bool packData = false;  // kept for the options dialog; nothing acts on it
    bool markRecsExport = true;
    // [BrowseTo]
    bool lastPage = true;
    std::int32_t pageNum = 0;
    // [Remind]
    bool newPageRemind = false;            // key "?"
    std::string soundFile = "remind.wav";  // kNoSound when PlaySound is off
    std::uint8_t onNoDateAlready = 1;      // 0 ask (Yes default), 1 ask (No default), 2 do not ask
    std::int32_t howFarDef = 7;
    // [Spell]
    std::string dict = "British English";
    bool spellAsYouType = true;
    // [Font]
    std::uint8_t fontSize = 10;
    std::string fontName = "Arial";
    std::uint32_t fontColor = 0;  // 0x00BBGGRR
    bool fontBold = false;
    bool fontItalic = false;
    bool fontUnderline = false;
    // [ExportPrint]
    std::int32_t exportFileType = 0;
    std::uint16_t exportPrintDefault = 0;  // 0 current page, 1 a range, 2 a saved query
    // [Import]
    std::int32_t importFileType = 0;
    // [Template]
    std::string templateDef = "normal.tp";  // "None" in any case means no template
    std::string templateWord = "[~]";       // at most kMaxTemplateWord characters
    // [Search]
    bool showOptions = false;  // nothing acts on it
    std::uint16_t defSort = 0;
    std::uint16_t defLogic = 0;
    std::uint16_t defDateType = 0;
};

// The main window's layout, section [mwind], with the defaults of a first start.
struct WindowLayout {
    bool maximized = false;
    std::int32_t left = 1;
    std::int32_t top = 140;
    std::int32_t height = 312;
    std::int32_t width = 638;
    bool rulerVisible = true;
    // tb1V..tb5V: the Formatting, Database, Editing, Attributes and Search toolbars.
    std::array<bool, 5> toolbarVisible = {true, true, true, true, true};
    // The toolbars' rows and order as the window saves them (Base64 text); empty for the
    // program's own arrangement.
    std::string toolbarArrangement;
};

// Reads every preference in one pass of the file. Right after [Spell] Dict it sets up the
// engine's lexicon lists (SetUpLexiconLists). The lexicon folders are not set here; start-up
// calls SetLexiconFolders after it.
LoadedSettings LoadSettings(std::string_view programFolder, SpellEngine& spell,
                            FileSystem& fs = FileSystem::Default());

WindowLayout LoadWindowLayout(std::string_view programFolder,
                              FileSystem& fs = FileSystem::Default());

// Writes max?, left, top, height, width, RulerVisible, tb1V..tb5V, in that order.
void SaveWindowLayout(std::string_view programFolder, const WindowLayout& layout,
                      FileSystem& fs = FileSystem::Default());

// Writes [Database] ActiveData: the full path of the current data set.
void SaveActiveDataSet(std::string_view programFolder, std::string_view dataSetPath,
                       FileSystem& fs = FileSystem::Default());

// Writes [BrowseTo] PageNum.
void SaveStartPage(std::string_view programFolder, std::int32_t pageNumber,
                   FileSystem& fs = FileSystem::Default());

// The data set a start opens for a stored ActiveData: the file-name part of it (after the last
// "/" or "\", so a path written on Windows works too), looked for in the program folder. An
// empty file-name part gives kDefaultDataSetName.
std::string DataSetInProgramFolder(std::string_view programFolder, std::string_view activeData);

// A file the settings name: a full path as it stands, a bare name (or any relative path) in the
// program folder, wherever the program was started from.
std::string PathInProgramFolder(std::string_view programFolder, std::string_view name);

// [Database] ActiveData of the settings file as it is stored (default "data.jb").
std::string StoredActiveData(std::string_view programFolder, FileSystem& fs = FileSystem::Default());

// The same for the ActiveData of the settings file (default "data.jb"): what start-up opens.
std::string ActiveDataSetPath(std::string_view programFolder,
                              FileSystem& fs = FileSystem::Default());

}  // namespace jb
