#pragma once

#include "design.h"
#include "seams.h"

#include <QString>

class QWidget;

namespace perne {

// The modal Yes/No question before the program ends. Returns true for Yes.
class Confirmation
{
public:
    virtual ~Confirmation() = default;
    virtual bool ask(const QString &title, const QString &text) = 0;
};

// The input box on QInputDialog; Cancel gives empty text.
class InputDialogPrompter final : public Prompter
{
public:
    explicit InputDialogPrompter(QWidget *parent) : m_parent(parent) {}
    std::string ask(const std::string &title, const std::string &prompt,
                    const std::string &defaultAnswer) override;

private:
    QWidget *m_parent;
};

// The question on QMessageBox: Yes and No, no icon, Yes the default button.
class MessageBoxConfirmation final : public Confirmation
{
public:
    explicit MessageBoxConfirmation(QWidget *parent) : m_parent(parent) {}
    bool ask(const QString &title, const QString &text) override;

private:
    QWidget *m_parent;
};

} // namespace perne
