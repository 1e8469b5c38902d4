#include "transfer/file_types.h"

#include <gtest/gtest.h>

#include <array>

namespace jb::transfer {
namespace {

// The saved [ExportPrint] FileType is an index into this list: its names and order are fixed.
TEST(ExportFileTypes, KeepTheirNamesAndOrder) {
    const std::vector<FileType>& types = ExportFileTypes();
    const std::vector<std::pair<std::string_view, std::string_view>> expected = {
        {"Rich Text Format", "*.rtf"}, {"Plain Text Format", "*.txt"}, {"HTML Document", "*.htm *.html"},
        {"OpenDocument Text", "*.odt"}, {"Markdown", "*.md"},         {"PDF Document", "*.pdf"}};
    ASSERT_EQ(expected.size(), types.size());
    for (std::size_t i = 0; i < types.size(); ++i) {
        EXPECT_EQ(expected[i].first, types[i].name) << i;
        EXPECT_EQ(expected[i].second, types[i].patterns) << i;
        EXPECT_EQ(static_cast<int>(i), ExportTypeOfFormat(std::array{"rtf", "txt", "html", "odt", "md", "pdf"}[i]));
    }
    EXPECT_EQ(-1, ExportTypeOfFormat("doc"));
    EXPECT_EQ(-1, ExportTypeOfFormat("RTF")) << "format names are lower case";
}

TEST(ExportFileTypes, ExtensionIsTheFirstPatternCutToADotAndThreeCharacters) {
    const std::vector<std::pair<FileType, std::string>> cases = {
        {{"Rich Text Format", "*.rtf", FileKind::kRichText}, ".rtf"},
        {{"HTML Document", "*.htm *.html", FileKind::kHtml}, ".htm"},
        {{"Markdown", "*.md", FileKind::kMarkdown}, ".md"},
        {{"Long", "*.docx", FileKind::kRichText}, ".doc"},
        {{"Bare", "", FileKind::kRichText}, ""},
    };
    for (const auto& [type, extension] : cases) EXPECT_EQ(extension, ExtensionOfType(type)) << type.name;
}

TEST(ExportFileTypes, KindFollowsTheName) {
    const std::vector<FileType>& types = ExportFileTypes();
    const std::vector<std::pair<std::string_view, FileKind>> cases = {
        {"Rich Text Format", FileKind::kRichText},   {"My Rich Text thing", FileKind::kRichText},
        {"Plain Text Format", FileKind::kPlainText}, {"Plain Text and Rich Text", FileKind::kRichText},
        {"HTML Document", FileKind::kHtml},          {"OpenDocument Text", FileKind::kOdt},
        {"Markdown", FileKind::kMarkdown},           {"PDF Document", FileKind::kPdf},
        {"Unknown", FileKind::kRichText},
    };
    for (const auto& [name, kind] : cases) EXPECT_EQ(kind, KindOfTypeName(name, types)) << name;
}

}  // namespace
}  // namespace jb::transfer
