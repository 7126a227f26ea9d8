#include "dialogs.h"

#include <QInputDialog>
#include <QMessageBox>

namespace perne {

std::string InputDialogPrompter::ask(const std::string &title, const std::string &prompt,
                                     const std::string &defaultAnswer)
{
    bool ok = false;
    const QString text = QInputDialog::getText(m_parent, QString::fromStdString(title),
                                               QString::fromStdString(prompt), QLineEdit::Normal,
                                               QString::fromStdString(defaultAnswer), &ok);
    return ok ? text.toStdString() : std::string();
}

bool MessageBoxConfirmation::ask(const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Yes | QMessageBox::No, m_parent);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

} // namespace perne
