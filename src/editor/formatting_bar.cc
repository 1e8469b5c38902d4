#include "editor/formatting_bar.h"

#include "editor/colour_list.h"
#include "editor/theme_icons.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLineEdit>
#include <QTextCursor>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>

namespace jb::editor {
namespace {


QToolButton* Toggle(QToolBar* bar, const char* name, const QString& text, const QString& hint) {
    auto* b = new QToolButton(bar);
    b->setObjectName(name);
    b->setText(text);
    b->setCheckable(true);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    if (!hint.isEmpty()) b->setToolTip(hint);
    bar->addWidget(b);
    return b;
}

// Clears the flag when the synchronisation ends, however it ends.
class FlagGuard {
  public:
    explicit FlagGuard(bool& flag) : flag_(flag) { flag_ = true; }
    ~FlagGuard() { flag_ = false; }
    FlagGuard(const FlagGuard&) = delete;
    FlagGuard& operator=(const FlagGuard&) = delete;

  private:
    bool& flag_;
};

}  // namespace

Alignment AlignmentOf(Qt::Alignment a) {
    const Qt::Alignment h = a & Qt::AlignHorizontal_Mask;
    if (h & Qt::AlignJustify) return Alignment::kJustify;
    if (h & Qt::AlignHCenter) return Alignment::kCentre;
    if (h & (Qt::AlignRight | Qt::AlignTrailing)) return Alignment::kRight;
    return Alignment::kLeft;
}

QTextCharFormat SelectionCharFormat(const QTextEdit& editor) {
    const QTextCursor c = editor.textCursor();
    if (!c.hasSelection()) return editor.currentCharFormat();
    QTextCursor first(editor.document());
    first.setPosition(c.selectionStart() + 1);
    return first.charFormat();
}

QString InstalledFamily(const QString& family) {
    if (QFontDatabase::hasFamily(family)) return family;
    return QFontInfo(QFont(family)).family();
}

QString FamilyOf(const QTextEdit& editor, const QTextCharFormat& f) {
    const QStringList families = f.fontFamilies().toStringList();
    return families.isEmpty() ? editor.document()->defaultFont().family() : families.front();
}

int PointSizeOf(const QTextEdit& editor, const QTextCharFormat& f) {
    const double points =
        f.fontPointSize() > 0 ? f.fontPointSize() : editor.document()->defaultFont().pointSizeF();
    return qRound(points);
}

QColor ColourOf(const QTextEdit& editor, const QTextCharFormat& f) {
    if (f.hasProperty(QTextFormat::ForegroundBrush) && f.foreground().style() != Qt::NoBrush)
        return f.foreground().color();
    return editor.palette().color(QPalette::Text);
}

FormattingBar::FormattingBar(QTextEdit* editor, QToolBar* bar, QObject* parent)
    : QObject(parent), editor_(editor) {
    FontName = new QComboBox(bar);
    FontName->setObjectName("FontName");
    FontName->setToolTip("Select Font");
    FontName->addItems(QFontDatabase::families());
    FontName->setCurrentIndex(-1);
    bar->addWidget(FontName);

    FontSize = new QComboBox(bar);
    FontSize->setObjectName("FontSize");
    FontSize->setToolTip("Select Font Size");
    FontSize->setEditable(true);
    FontSize->setInsertPolicy(QComboBox::NoInsert);
    for (int size : kFontSizes) FontSize->addItem(QString::number(size));
    FontSize->setEditText("12");
    bar->addWidget(FontSize);

    FontColour = new QComboBox(bar);
    FontColour->setObjectName("FontColour");
    FontColour->setToolTip("Select Colour");
    FillColourList(*FontColour);
    bar->addWidget(FontColour);

    BoldButton = Toggle(bar, "BoldButton", "B", "Bold");
    ItalicButton = Toggle(bar, "ItalicButton", "I", "Italic");
    UnderlineButton = Toggle(bar, "UnderlineButton", "U", "Underline");
    AlignLeftButton = Toggle(bar, "AlignLeftButton", "Left", "Left Justify");
    AlignCenterButton = Toggle(bar, "AlignCenterButton", "Centre", "Centre Justify");
    AlignRightButton = Toggle(bar, "AlignRightButton", "Right", "Right Justify");
    SpeedButton7 = Toggle(bar, "SpeedButton7", "Justify", {});
    const std::pair<QToolButton*, const char*> icons[] = {
        {BoldButton, "format-text-bold"},          {ItalicButton, "format-text-italic"},
        {UnderlineButton, "format-text-underline"}, {AlignLeftButton, "format-justify-left"},
        {AlignCenterButton, "format-justify-center"}, {AlignRightButton, "format-justify-right"},
        {SpeedButton7, "format-justify-fill"}};
    for (auto [button, name] : icons) ShowIcon(button, name);
    auto* group = new QButtonGroup(this);
    group->setExclusive(true);
    for (QToolButton* b : {AlignLeftButton, AlignCenterButton, AlignRightButton, SpeedButton7})
        group->addButton(b);
    AlignLeftButton->setChecked(true);

    // The lists change on the user's choice; the handlers also ignore program changes while
    // synchronising.
    connect(FontName, &QComboBox::currentIndexChanged, this, [this] { FontNameChange(); });
    // The box reports a typed size only when it is one of the list's entries, and its completion
    // would turn a typed "1" into "10": Enter in the box's line applies the typed text as it is.
    FontSize->setCompleter(nullptr);
    connect(FontSize, &QComboBox::textActivated, this, [this] { FontSizeChange(); });
    connect(FontSize->lineEdit(), &QLineEdit::returnPressed, this, [this] { FontSizeTyped(); });
    connect(FontColour, &QComboBox::currentIndexChanged, this, [this] { FontColourChange(); });
    connect(BoldButton, &QToolButton::clicked, this, [this] { BoldButtonClick(); });
    connect(ItalicButton, &QToolButton::clicked, this, [this] { ItalicButtonClick(); });
    connect(UnderlineButton, &QToolButton::clicked, this, [this] { UnderlineButtonClick(); });
    connect(AlignLeftButton, &QToolButton::clicked, this, [this] { AlignLeftButtonClick(); });
    connect(AlignCenterButton, &QToolButton::clicked, this, [this] { AlignCenterButtonClick(); });
    connect(AlignRightButton, &QToolButton::clicked, this, [this] { AlignRightButtonClick(); });
    connect(SpeedButton7, &QToolButton::clicked, this, [this] { SpeedButton7Click(); });
}

void FormattingBar::ApplyToSelection(const QTextCharFormat& f) {
    // With nothing selected this is the format new typing takes.
    editor_->mergeCurrentCharFormat(f);
    editor_->viewport()->update();
    editor_->setFocus();
}

void FormattingBar::FontNameChange() {
    if (synchronising_ || FontName->currentIndex() < 0) return;
    QTextCharFormat f;
    f.setFontFamilies(QStringList{FontName->currentText()});
    ApplyToSelection(f);
}

void FormattingBar::FontSizeChange() {
    if (synchronising_) return;
    const QString text = FontSize->currentText();
    bool ok = false;
    const int points = text.trimmed().toInt(&ok);
    if (!ok) {
        emit ConversionError(QStringLiteral("'%1' is not a valid integer value").arg(text));
        return;
    }
    QTextCharFormat f;
    f.setFontPointSize(points);
    ApplyToSelection(f);
}

void FormattingBar::FontSizeTyped() {
    // A typed entry of the list becomes the list's current entry, so that the box does not
    // report it a second time when its editing ends.
    const int listed = FontSize->findText(FontSize->currentText().trimmed());
    if (listed >= 0 && !synchronising_) FontSize->setCurrentIndex(listed);
    FontSizeChange();
}

void FormattingBar::FontColourChange() {
    if (synchronising_ || FontColour->currentIndex() < 0) return;
    QTextCharFormat f;
    f.setForeground(CurrentColour(*FontColour));
    ApplyToSelection(f);
}

void FormattingBar::BoldButtonClick() {
    QTextCharFormat f;
    f.setFontWeight(BoldButton->isChecked() ? QFont::Bold : QFont::Normal);
    ApplyToSelection(f);
}

void FormattingBar::ItalicButtonClick() {
    QTextCharFormat f;
    f.setFontItalic(ItalicButton->isChecked());
    ApplyToSelection(f);
}

void FormattingBar::UnderlineButtonClick() {
    QTextCharFormat f;
    f.setUnderlineStyle(UnderlineButton->isChecked() ? QTextCharFormat::SingleUnderline
                                                     : QTextCharFormat::NoUnderline);
    ApplyToSelection(f);
}

void FormattingBar::SetAlignment(Qt::Alignment a) {
    editor_->setAlignment(a | Qt::AlignAbsolute);
    editor_->setFocus();
}

void FormattingBar::AlignLeftButtonClick() { SetAlignment(Qt::AlignLeft); }
void FormattingBar::AlignCenterButtonClick() { SetAlignment(Qt::AlignHCenter); }
void FormattingBar::AlignRightButtonClick() { SetAlignment(Qt::AlignRight); }
void FormattingBar::SpeedButton7Click() { SetAlignment(Qt::AlignJustify); }

void FormattingBar::SyncWithSelection() {
    FlagGuard guard(synchronising_);
    const QTextCharFormat f = SelectionCharFormat(*editor_);
    BoldButton->setChecked(f.fontWeight() >= QFont::DemiBold);
    ItalicButton->setChecked(f.fontItalic());
    UnderlineButton->setChecked(
        f.underlineStyle() == QTextCharFormat::SingleUnderline ||
        (!f.hasProperty(QTextFormat::TextUnderlineStyle) && f.fontUnderline()));

    // A listed size is made the list's current entry, not only the box's text: leaving the box
    // would otherwise choose it from the list, as if the user had, over the whole selection.
    const QString size = QString::number(PointSizeOf(*editor_, f));
    if (const int listed = FontSize->findText(size); listed >= 0) FontSize->setCurrentIndex(listed);
    FontSize->setEditText(size);

    // A family that is not in the list shows as the one drawn in its place; the text keeps its own.
    const QString family = FamilyOf(*editor_, f);
    int shown = FontName->findText(family, Qt::MatchFixedString);
    if (shown < 0) shown = FontName->findText(InstalledFamily(family), Qt::MatchFixedString);
    FontName->setCurrentIndex(shown);

    SelectColour(*FontColour, ColourOf(*editor_, f));

    QTextCursor c = editor_->textCursor();
    c.setPosition(c.selectionStart());
    switch (AlignmentOf(c.blockFormat().alignment())) {
        case Alignment::kLeft:
            AlignLeftButton->setChecked(true);
            break;
        case Alignment::kRight:
            AlignRightButton->setChecked(true);
            break;
        case Alignment::kCentre:
            AlignCenterButton->setChecked(true);
            break;
        case Alignment::kJustify:
            break;
    }
}

}  // namespace jb::editor
