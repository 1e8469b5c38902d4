#include "settings/settings.h"

#include "settings/ini_document.h"
#include "settings/settings_file.h"
#include "settings/settings_keys.h"

namespace jb {

namespace {

std::string Text(const IniDocument& doc, const SettingKey& k, std::string_view fallback,
                 std::size_t maxLength = kMaxSettingText) {
    std::string value = doc.GetString(k.section, k.key, fallback);
    if (value.size() > maxLength) value.resize(maxLength);
    return value;
}

std::int32_t Int(const IniDocument& doc, const SettingKey& k, std::int32_t fallback) {
    return doc.GetInt(k.section, k.key, fallback);
}

bool Bool(const IniDocument& doc, const SettingKey& k, bool fallback) {
    return doc.GetBool(k.section, k.key, fallback);
}

// Narrower widths keep the low bits, as the program's variables always did.
template <typename T>
T Wrap(std::int32_t value) {
    return static_cast<T>(static_cast<std::uint32_t>(value));
}

void Write(SettingsFile& file, const SettingKey& k, std::int64_t value) {
    file.WriteInt(k.section, k.key, value);
}

void Write(SettingsFile& file, const SettingKey& k, bool value) {
    file.WriteBool(k.section, k.key, value);
}

}  // namespace

LoadedSettings LoadSettings(std::string_view programFolder, SpellEngine& spell, FileSystem& fs) {
    const IniDocument doc = SettingsFile(SettingsFilePath(programFolder), fs).Read();
    LoadedSettings s;
    using namespace keys;

    s.activeData = Text(doc, kActiveData, kDefaultDataSetName);
    s.autoUpdate = Bool(doc, kAutoupdate, false);
    s.packData = Bool(doc, kPackData, false);
    s.markRecsExport = Bool(doc, kMarkRecsExport, true);

    s.lastPage = Bool(doc, kLastPage, true);
    s.pageNum = Int(doc, kPageNum, 0);

    s.newPageRemind = Bool(doc, kNewPageRemind, false);
    bool playSound = Bool(doc, kPlaySound, true);
    s.soundFile = playSound ? Text(doc, kSoundFile, "remind.wav") : std::string(kNoSound);
    s.onNoDateAlready = Wrap<std::uint8_t>(Int(doc, kOnNoDateAlready, 1));
    s.howFarDef = Int(doc, kHowFarDef, 7);

    s.dict = Text(doc, kDict, "British English");
    SetUpLexiconLists(programFolder, s.dict, spell, fs);
    s.spellAsYouType = Bool(doc, kSpellAsYouType, true);

    s.fontSize = Wrap<std::uint8_t>(Int(doc, kFontSize, 10));
    s.fontName = Text(doc, kFontName, "Arial");
    s.fontColor = Wrap<std::uint32_t>(Int(doc, kFontColor, 0));
    s.fontBold = Bool(doc, kFontBold, false);
    s.fontItalic = Bool(doc, kFontItalic, false);
    s.fontUnderline = Bool(doc, kFontUnderline, false);

    s.exportFileType = Int(doc, kExportFileType, 0);
    s.exportPrintDefault = Wrap<std::uint16_t>(Int(doc, kExportPrintDefault, 0));
    s.importFileType = Int(doc, kImportFileType, 0);

    s.templateDef = Text(doc, kTemplateDef, "normal.tp");
    s.templateWord = Text(doc, kTemplateWord, "[~]", kMaxTemplateWord);

    s.showOptions = Bool(doc, kShowOptions, false);
    s.defSort = Wrap<std::uint16_t>(Int(doc, kDefSort, 0));
    s.defLogic = Wrap<std::uint16_t>(Int(doc, kDefLogic, 0));
    s.defDateType = Wrap<std::uint16_t>(Int(doc, kDefDateType, 0));
    return s;
}

WindowLayout LoadWindowLayout(std::string_view programFolder, FileSystem& fs) {
    const IniDocument doc = SettingsFile(SettingsFilePath(programFolder), fs).Read();
    WindowLayout layout;
    using namespace keys;
    layout.maximized = Bool(doc, kMaximized, layout.maximized);
    layout.left = Int(doc, kLeft, layout.left);
    layout.top = Int(doc, kTop, layout.top);
    layout.height = Int(doc, kHeight, layout.height);
    layout.width = Int(doc, kWidth, layout.width);
    layout.rulerVisible = Bool(doc, kRulerVisible, layout.rulerVisible);
    for (std::size_t i = 0; i < layout.toolbarVisible.size(); ++i) {
        layout.toolbarVisible[i] = Bool(doc, kToolbarVisible[i], layout.toolbarVisible[i]);
    }
    layout.toolbarArrangement = Text(doc, kToolbarArrangement, "", kMaxArrangementText);
    return layout;
}

void SaveWindowLayout(std::string_view programFolder, const WindowLayout& layout, FileSystem& fs) {
    SettingsFile file(SettingsFilePath(programFolder), fs);
    using namespace keys;
    Write(file, kMaximized, layout.maximized);
    Write(file, kLeft, std::int64_t{layout.left});
    Write(file, kTop, std::int64_t{layout.top});
    Write(file, kHeight, std::int64_t{layout.height});
    Write(file, kWidth, std::int64_t{layout.width});
    Write(file, kRulerVisible, layout.rulerVisible);
    for (std::size_t i = 0; i < layout.toolbarVisible.size(); ++i) {
        Write(file, kToolbarVisible[i], layout.toolbarVisible[i]);
    }
    if (!layout.toolbarArrangement.empty())
        file.WriteString(kToolbarArrangement.section, kToolbarArrangement.key, layout.toolbarArrangement);
}

void SaveActiveDataSet(std::string_view programFolder, std::string_view dataSetPath,
                       FileSystem& fs) {
    SettingsFile(SettingsFilePath(programFolder), fs)
        .WriteString(keys::kActiveData.section, keys::kActiveData.key, dataSetPath);
}

void SaveStartPage(std::string_view programFolder, std::int32_t pageNumber, FileSystem& fs) {
    SettingsFile file(SettingsFilePath(programFolder), fs);
    Write(file, keys::kPageNum, std::int64_t{pageNumber});
}

std::string DataSetInProgramFolder(std::string_view programFolder, std::string_view activeData) {
    auto slash = activeData.find_last_of("/\\");
    std::string_view name =
        slash == std::string_view::npos ? activeData : activeData.substr(slash + 1);
    if (name.empty()) name = kDefaultDataSetName;
    return PathInProgramFolder(programFolder, name);
}

std::string PathInProgramFolder(std::string_view programFolder, std::string_view name) {
    if (!name.empty() && name.front() == '/') return std::string(name);
    std::string path(programFolder);
    if (!path.empty() && path.back() != '/') path += '/';
    return path + std::string(name);
}

std::string StoredActiveData(std::string_view programFolder, FileSystem& fs) {
    return SettingsFile(SettingsFilePath(programFolder), fs)
        .ReadString(keys::kActiveData.section, keys::kActiveData.key, kDefaultDataSetName);
}

std::string ActiveDataSetPath(std::string_view programFolder, FileSystem& fs) {
    return DataSetInProgramFolder(programFolder, StoredActiveData(programFolder, fs));
}

}  // namespace jb
