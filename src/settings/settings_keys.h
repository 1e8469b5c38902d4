#pragma once
// The sections and keys of the settings file, for every reader and writer of it (the loaded
// settings, the window layout, the options dialog).

#include <string_view>

namespace jb {

struct SettingKey {
    std::string_view section;
    std::string_view key;
};

namespace keys {

inline constexpr SettingKey kActiveData{"Database", "ActiveData"};
inline constexpr SettingKey kAutoupdate{"Database", "Autoupdate"};
inline constexpr SettingKey kPackData{"Database", "PackData"};
inline constexpr SettingKey kMarkRecsExport{"Database", "MarkRecsExport"};
inline constexpr SettingKey kLastPage{"BrowseTo", "LastPage"};
inline constexpr SettingKey kPageNum{"BrowseTo", "PageNum"};
inline constexpr SettingKey kNewPageRemind{"Remind", "?"};
inline constexpr SettingKey kPlaySound{"Remind", "PlaySound"};
inline constexpr SettingKey kSoundFile{"Remind", "SoundFile"};
inline constexpr SettingKey kOnNoDateAlready{"Remind", "OnNoDateAlready"};
inline constexpr SettingKey kHowFarDef{"Remind", "HowFarDef"};
inline constexpr SettingKey kDict{"Spell", "Dict"};
// Misspelt words underlined as the user types (a key of this program's own; default on).
inline constexpr SettingKey kSpellAsYouType{"Spell", "AsYouType"};
inline constexpr SettingKey kFontSize{"Font", "Size"};
inline constexpr SettingKey kFontName{"Font", "Name"};
inline constexpr SettingKey kFontColor{"Font", "Color"};
inline constexpr SettingKey kFontBold{"Font", "Bold"};
inline constexpr SettingKey kFontItalic{"Font", "Italic"};
inline constexpr SettingKey kFontUnderline{"Font", "Underline"};
inline constexpr SettingKey kExportFileType{"ExportPrint", "FileType"};
inline constexpr SettingKey kExportPrintDefault{"ExportPrint", "Default"};
inline constexpr SettingKey kImportFileType{"Import", "FileType"};
inline constexpr SettingKey kTemplateDef{"Template", "Def"};
inline constexpr SettingKey kTemplateWord{"Template", "Word"};
inline constexpr SettingKey kShowOptions{"Search", "ShowOptions"};
inline constexpr SettingKey kDefSort{"Search", "DefSort"};
inline constexpr SettingKey kDefLogic{"Search", "DefLogic"};
inline constexpr SettingKey kDefDateType{"Search", "DefDateType"};
// Read and written by the options dialog only.
inline constexpr SettingKey kFindShortcut{"Shortcut", "?"};

// The window layout, section [mwind].
inline constexpr SettingKey kMaximized{"mwind", "max?"};
inline constexpr SettingKey kLeft{"mwind", "left"};
inline constexpr SettingKey kTop{"mwind", "top"};
inline constexpr SettingKey kHeight{"mwind", "height"};
inline constexpr SettingKey kWidth{"mwind", "width"};
inline constexpr SettingKey kRulerVisible{"mwind", "RulerVisible"};
// tb1V .. tb5V: the Formatting, Database, Editing, Attributes and Search toolbars.
inline constexpr SettingKey kToolbarVisible[5] = {
    {"mwind", "tb1V"}, {"mwind", "tb2V"}, {"mwind", "tb3V"}, {"mwind", "tb4V"}, {"mwind", "tb5V"}};
// Where the user put the toolbars (rows and order), as the window saves it; a file written
// before the toolbars could be moved lacks it.
inline constexpr SettingKey kToolbarArrangement{"mwind", "ToolbarArrangement"};

}  // namespace keys

}  // namespace jb
