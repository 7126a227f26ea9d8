#include "dialogs.h"

#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace perne {

std::string InputDialogPrompter::ask(const std::string &title, const std::string &prompt,
                                     const std::string &defaultAnswer)
{
    QInputDialog dialog(m_parent);
    if (m_parent) // as large as the zoomed window it asks over
        dialog.setFont(m_parent->font());
    dialog.setWindowTitle(QString::fromStdString(title));
    dialog.setLabelText(QString::fromStdString(prompt));
    dialog.setTextValue(QString::fromStdString(defaultAnswer));
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(QStringLiteral("キャンセル"));
    if (dialog.exec() != QDialog::Accepted)
        return std::string();
    return dialog.textValue().toStdString();
}

bool MessageBoxConfirmation::ask(const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Yes | QMessageBox::No, m_parent);
    if (m_parent)
        box.setFont(m_parent->font());
    box.button(QMessageBox::Yes)->setText(QStringLiteral("はい(&Y)"));
    box.button(QMessageBox::No)->setText(QStringLiteral("いいえ(&N)"));
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

} // namespace perne
