#pragma once
// The password dialogs: TPwForm sets the password of the current page (shown without blocking
// the main window), TEnterPasswordForm asks for the password of a protected page before export
// or print (shown modally). Their messages go through the Dialogs seam.

#include <QDialog>
#include <optional>
#include <string>

#include "workspace/dialogs.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace jb::protect {

// The most characters of a page password.
inline constexpr int kMaxPassword = 8;

// The stored bytes (Windows-1252) of a typed password; nothing when it holds a space or a
// character the code page does not have (a stored password ends at its first space, so such a
// password could never unlock its page).
std::optional<std::string> PasswordBytes(const QString& typed);
// ASCII letters a-z upper-cased, every other byte as it is: how passwords are compared.
std::string UpperAscii(std::string text);
// Whether a typed password matches a stored one, ignoring the case of ASCII letters.
bool PasswordMatches(const QString& typed, const std::string& stored);

class TPwForm : public QDialog {
    Q_OBJECT
  public:
    TPwForm(ui::Dialogs& dialogs, QWidget* parent);

    // On show: both fields cleared, Pw1 focused.
    void FormShow();
    // OK: checks the two fields; on a valid password emits PasswordSet and hides.
    void Button1Click();
    // Cancel (and closing the window): emits Cancelled and hides.
    void Button2Click();
    void reject() override;

    QLineEdit* Pw1;
    QLineEdit* Pw2;
    QPushButton* Button1;
    QPushButton* Button2;

  signals:
    // The new password of the current page: its stored bytes, 3 to 8 characters.
    void PasswordSet(const std::string& password);
    void Cancelled();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void Refuse(const QString& text);
    ui::Dialogs& dialogs_;
};

class TEnterPasswordForm : public QDialog {
    Q_OBJECT
  public:
    TEnterPasswordForm(ui::Dialogs& dialogs, QWidget* parent);

    // On show: EditPassword cleared and focused.
    void FormShow();
    // OK: closes with Accepted when EditPassword matches ExpectedPassword (letter case aside);
    // otherwise the message, the field cleared and focused, the dialog stays open.
    void Button1Click();

    QLabel* PNLabel;
    QLineEdit* EditPassword;
    QPushButton* Button1;
    QPushButton* Button2;
    // Set by the caller, already upper-cased; at most 8 characters.
    std::string ExpectedPassword;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    ui::Dialogs& dialogs_;
};

}  // namespace jb::protect
