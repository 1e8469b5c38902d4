#include "workspace/main_form_fixture.h"

#include <QTest>

#include "richtext/richtext.h"

namespace jb::test {

MainFormTest::MainFormTest() { EnsureApplication(); }

MainFormTest::~MainFormTest() {
    if (form) {
        form->SetModified(false);
        form.reset();
    }
}

void MainFormTest::WriteSettings(const std::string& iniText) { WriteFileBytes(dir.File("JotBase.ini"), iniText); }

void MainFormTest::MakePages(int n) {
    for (int i = 0; i < n; ++i) {
        ASSERT_EQ(0u, store.WritePage(DataSet(), i, "", false, false, PageIdOf(i),
                                      richtext::RtfFromPlainText("page " + std::to_string(i)), 0, 44000 + i));
    }
}

workspace::TMainForm& MainFormTest::Start(const QStringList& parameters) {
    form = std::make_unique<workspace::TMainForm>(workspace::MainFormSeams{dialogs, clock, desktop, dir.Path()});
    EXPECT_TRUE(form->FormShow(parameters));
    return *form;
}

workspace::TMainForm& MainFormTest::StartActive() {
    WriteSettings("[Remind]\r\nOnNoDateAlready=2\r\n[Template]\r\nDef=none\r\n");
    workspace::TMainForm& f = Start();
    f.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&f));
    return f;
}

std::string MainFormTest::StoredText(int n, PageInfo* info, const std::string& dataSet) {
    PageInfo local;
    std::string body;
    EXPECT_EQ(0u, store.ReadPageBody(dataSet.empty() ? DataSet() : dataSet, n, info ? *info : local, body));
    return richtext::PlainTextOf(body);
}

QString MainFormTest::EditorText() const { return form->EditBox->toPlainText(); }

void MainFormTest::Type(const QString& text) { QTest::keyClicks(form->EditBox, text); }

int MainFormTest::PageCount(const std::string& dataSet) {
    return store.PageCount(dataSet.empty() ? DataSet() : dataSet);
}

}  // namespace jb::test
