#include "protect/password_forms.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "richtext/code_page.h"

namespace jb::protect {

std::optional<std::string> PasswordBytes(const QString& typed) {
    std::string bytes;
    for (char32_t cp : typed.toUcs4()) {
        const int b = richtext::ToCp1252(cp);
        if (b < 0 || b == ' ') return std::nullopt;
        bytes.push_back(static_cast<char>(b));
    }
    return bytes;
}

std::string UpperAscii(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

bool PasswordMatches(const QString& typed, const std::string& stored) {
    const std::optional<std::string> bytes = PasswordBytes(typed);
    return bytes && UpperAscii(*bytes) == UpperAscii(stored);
}

namespace {

QLineEdit* PasswordField(QWidget* parent, const char* name) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setEchoMode(QLineEdit::Password);
    e->setMaxLength(kMaxPassword);
    return e;
}

QPushButton* FormButton(QWidget* parent, const char* name, const QString& text) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

void CentreOnScreen(QWidget& w) {
    w.adjustSize();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        w.move(area.center() - QPoint(w.width() / 2, w.height() / 2));
    }
}

}  // namespace

TPwForm::TPwForm(ui::Dialogs& dialogs, QWidget* parent) : QDialog(parent), dialogs_(dialogs) {
    setObjectName("PwForm");
    setWindowTitle("Quorvane Set Password");
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setModal(false);
    Pw1 = PasswordField(this, "Pw1");
    Pw1->setAccessibleName("Type password");
    Pw2 = PasswordField(this, "Pw2");
    Pw2->setAccessibleName("Type password again");
    Button1 = FormButton(this, "Button1", "&OK");
    Button1->setDefault(true);
    Button2 = FormButton(this, "Button2", "C&ancel");
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel("Set the password for this record", this), 0, 0, 1, 2);
    grid->addWidget(new QLabel("Type password:", this), 1, 0);
    grid->addWidget(Pw1, 1, 1);
    grid->addWidget(new QLabel("Type again:", this), 2, 0);
    grid->addWidget(Pw2, 2, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    grid->addLayout(buttons, 3, 0, 1, 2);
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    CentreOnScreen(*this);
}

void TPwForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TPwForm::FormShow() {
    Pw1->clear();
    Pw2->clear();
    Pw1->setFocus();
}

void TPwForm::Refuse(const QString& text) {
    ui::ShowInformation(dialogs_, this, text);
    Pw1->setFocus();
}

void TPwForm::Button1Click() {
    if (Pw1->text() != Pw2->text())
        return Refuse("You must enter the same password twice to set it.");
    const std::optional<std::string> bytes = PasswordBytes(Pw1->text());
    if (!bytes)
        return Refuse(
            "A password cannot contain a space or a character outside the Western European "
            "(Windows-1252) character set.");
    if (bytes->size() <= 2)
        return Refuse("You must enter a password of more than two letters to set it.");
    emit PasswordSet(bytes->substr(0, kMaxPassword));
    hide();
}

void TPwForm::Button2Click() {
    emit Cancelled();
    hide();
}

void TPwForm::reject() { Button2Click(); }

TEnterPasswordForm::TEnterPasswordForm(ui::Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), dialogs_(dialogs) {
    setObjectName("EnterPasswordForm");
    setWindowTitle("Quorvane Security");
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setModal(true);
    PNLabel = new QLabel(this);
    PNLabel->setObjectName("PNLabel");
    EditPassword = PasswordField(this, "EditPassword");
    EditPassword->setAccessibleName("Page password");
    Button1 = FormButton(this, "Button1", "&OK");
    Button1->setDefault(true);
    Button2 = FormButton(this, "Button2", "C&ancel");
    Button2->setToolTip("Pressing this button will leave this page out of the export/print");
    auto* box = new QVBoxLayout(this);
    box->addWidget(PNLabel);
    box->addWidget(new QLabel("Enter page password:", this));
    box->addWidget(EditPassword);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    box->addLayout(buttons);
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    CentreOnScreen(*this);
}

void TEnterPasswordForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TEnterPasswordForm::FormShow() {
    EditPassword->clear();
    // A dialog shown again would give the focus back to the button that closed it last time.
    EditPassword->setFocus();
}

void TEnterPasswordForm::Button1Click() {
    if (!PasswordMatches(EditPassword->text(), ExpectedPassword)) {
        ui::ShowInformation(
            dialogs_, this,
            "You have not entered the correct password. Please check for spelling/punctuation "
            "errors and try again");
        EditPassword->clear();
        EditPassword->setFocus();
        return;
    }
    EditPassword->clear();
    accept();
}

}  // namespace jb::protect
