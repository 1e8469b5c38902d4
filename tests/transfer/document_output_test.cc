#include "transfer/document_output.h"

#include <QPrinter>
#include <QTextDocument>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "richtext/richtext.h"
#include "support/temp_dir.h"
#include "transfer/odt_package.h"
#include "transfer/outside_tools.h"
#include "transfer/page_assembly.h"
#include "workspace/scripted_dialogs.h"

namespace jb::transfer {
namespace {

// Two pages with separators, one in bold and with a letter outside ASCII.
class DocumentOutputTest : public ::testing::Test {
protected:
    DocumentOutputTest() {
        test::EnsureApplication();
        r1.AppendLine(PageAssembly::SeparatorLine(3));
        r1.AppendPage("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\b Caf\\'e9 bold\\b0  words\\par second line}");
        r1.AppendLine(QString());
        r1.AppendLine(PageAssembly::SeparatorLine(4));
        r1.AppendPage(richtext::RtfFromPlainText("last page"));
        r1.AppendLine(QString());
    }

    test::TempDir dir;
    PageAssembly r1;
};

// What every reader must find, in this order.
void ExpectWordsInOrder(const std::string& text, const std::string& what) {
    std::size_t at = 0;
    for (const char* word : {"---Record Number 3 begins---", "Café bold words", "second line",
                             "---Record Number 4 begins---", "last page"}) {
        const std::size_t found = text.find(word, at);
        ASSERT_NE(std::string::npos, found) << what << " lacks \"" << word << "\" in order:\n" << text;
        at = found;
    }
}

TEST_F(DocumentOutputTest, EveryTypeReadsBackFromOutside) {
    const std::vector<std::tuple<FileKind, std::string, std::string>> cases = {
        {FileKind::kRichText, "out.rtf", "rtf"}, {FileKind::kHtml, "out.html", "html"},
        {FileKind::kOdt, "out.odt", "odt"},      {FileKind::kMarkdown, "out.md", "markdown-smart"}};
    for (const auto& [kind, name, pandocFormat] : cases) {
        ASSERT_TRUE(SaveDocument(r1.Document(), QString::fromStdString(dir.File(name)), kind, "Range 3 to 4")) << name;
        ExpectWordsInOrder(test::PandocText(dir.File(name), pandocFormat), name);
    }
    ExpectWordsInOrder(richtext::PlainTextOf(test::ReadFileBytes(dir.File("out.rtf"))), "our own reader");
    EXPECT_NE(std::string::npos, test::PandocText(dir.File("out.html"), "html").find("Café")) << "HTML is UTF-8";
}

TEST_F(DocumentOutputTest, PlainTextIsUtf8LinesOfTheDocument) {
    ASSERT_TRUE(SaveDocument(r1.Document(), QString::fromStdString(dir.File("out.txt")), FileKind::kPlainText, ""));
    EXPECT_EQ("---Record Number 3 begins---\nCaf\xC3\xA9 bold words\nsecond line\n\n---Record Number 4 begins---\n"
              "last page\n",
              test::ReadFileBytes(dir.File("out.txt")));
}

TEST_F(DocumentOutputTest, PdfIsLaidOutAsAPrintWithItsTitle) {
    const std::string path = dir.File("out.pdf");
    ASSERT_TRUE(SaveDocument(r1.Document(), QString::fromStdString(path), FileKind::kPdf, "Range 3 to 4"));
    ExpectWordsInOrder(test::PdfText(path), "pdftotext");
    EXPECT_EQ("Range 3 to 4", test::PdfTitle(path));
    EXPECT_FALSE(test::FileExists(path + ".part")) << "no work file stays behind";

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(dir.File("printed.pdf")));
    PrintDocument(r1.Document(), printer, "Jotterbase Query");
    EXPECT_EQ("Jotterbase Query", test::PdfTitle(dir.File("printed.pdf")));
    ExpectWordsInOrder(test::PdfText(dir.File("printed.pdf")), "the print");
}

TEST_F(DocumentOutputTest, AFileThatCannotBeWrittenFailsAndAnOldOneIsReplacedWhole) {
    for (FileKind kind : {FileKind::kRichText, FileKind::kPlainText, FileKind::kHtml, FileKind::kOdt,
                          FileKind::kMarkdown, FileKind::kPdf}) {
        EXPECT_FALSE(SaveDocument(r1.Document(), QString::fromStdString(dir.File("no/such/folder/out")), kind, "t"))
            << static_cast<int>(kind);
    }
    const std::string path = dir.File("old.txt");
    test::WriteFileBytes(path, std::string(100000, 'x'));
    QTextDocument small;
    small.setPlainText("short");
    ASSERT_TRUE(SaveDocument(small, QString::fromStdString(path), FileKind::kPlainText, ""));
    EXPECT_EQ("short", test::ReadFileBytes(path));
}

// The real file system, saying what it was asked to make durable.
class DurabilityLog final : public FileSystem {
public:
    std::unique_ptr<File> Open(const std::string& path, OpenMode mode) override {
        std::unique_ptr<File> file = FileSystem::Default().Open(path, mode);
        if (!file) return file;
        return std::make_unique<LoggedFile>(std::move(file), events);
    }
    bool Exists(const std::string& path) override { return FileSystem::Default().Exists(path); }
    std::int64_t FileSize(const std::string& path) override { return FileSystem::Default().FileSize(path); }
    void Rename(const std::string& from, const std::string& to) override {
        events.push_back("rename " + from + " " + to);
        FileSystem::Default().Rename(from, to);
    }
    void Link(const std::string& from, const std::string& to) override { FileSystem::Default().Link(from, to); }
    bool Remove(const std::string& path) override { return FileSystem::Default().Remove(path); }
    void SyncFolder(const std::string& path) override {
        events.push_back("sync folder of " + path);
        FileSystem::Default().SyncFolder(path);
    }
    std::vector<std::string> events;

private:
    class LoggedFile final : public File {
    public:
        LoggedFile(std::unique_ptr<File> file, std::vector<std::string>& events)
            : file_(std::move(file)), events_(events) {}
        std::size_t Read(void* buffer, std::size_t size) override { return file_->Read(buffer, size); }
        void Write(const void* buffer, std::size_t size) override { file_->Write(buffer, size); }
        void Seek(std::int64_t offset) override { file_->Seek(offset); }
        void SeekToEnd() override { file_->SeekToEnd(); }
        std::int64_t Size() override { return file_->Size(); }
        void Sync() override {
            events_.push_back("sync " + file_->Path());
            file_->Sync();
        }
        const std::string& Path() const override { return file_->Path(); }

    private:
        std::unique_ptr<File> file_;
        std::vector<std::string>& events_;
    };
};

// An export is on disk under its name when it is reported written: a power cut after that
// keeps it, which takes its folder's sync after the rename that gave it the name.
TEST_F(DocumentOutputTest, AWrittenFileIsOnDiskUnderItsName) {
    const struct {
        FileKind kind;
        const char* name;
        std::vector<std::string> before;  // what the file system is asked before the folder sync
    } cases[] = {
        {FileKind::kRichText, "out.rtf", {}},  {FileKind::kPlainText, "out.txt", {}},
        {FileKind::kHtml, "out.html", {}},     {FileKind::kOdt, "out.odt", {}},
        {FileKind::kMarkdown, "out.md", {}},
        {FileKind::kPdf, "out.pdf", {"sync " + dir.File("out.pdf.part"),
                                     "rename " + dir.File("out.pdf.part") + " " + dir.File("out.pdf")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DurabilityLog files;
        ASSERT_TRUE(SaveDocument(r1.Document(), QString::fromStdString(dir.File(c.name)), c.kind, "t", files));
        std::vector<std::string> expected = c.before;
        expected.push_back("sync folder of " + dir.File(c.name));
        EXPECT_EQ(expected, files.events);
    }
}

TEST(OdtPackage, OnlyAPlainZipIsExtended) {
    for (const char* bytes : {"", "not a zip at all, just some words", "PK\x05\x06"}) {
        QByteArray odt(bytes);
        const QByteArray before = odt;
        EXPECT_FALSE(AddEmptyStyles(odt)) << bytes;
        EXPECT_EQ(before, odt);
    }
}

}  // namespace
}  // namespace jb::transfer
