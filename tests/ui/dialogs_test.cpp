// The real dialogs behind the prompt and confirm seams, answered by pressing their buttons.
#include "dialogs.h"
#include "fonts.h"

#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

#include <functional>

using namespace perne;

namespace {

// Runs `answer` on the dialog once it is up and modal.
void whenModal(std::function<void(QWidget *)> answer)
{
    QTimer::singleShot(0, [answer] {
        QWidget *dialog = QApplication::activeModalWidget();
        QVERIFY(dialog);
        answer(dialog);
    });
}

QPushButton *buttonWithText(QWidget *dialog, const QString &text)
{
    for (auto *b : dialog->findChildren<QPushButton *>()) {
        if (b->text() == text)
            return b;
    }
    return nullptr;
}

} // namespace

class DialogsTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { installJapaneseFonts(); }

    void theQuitQuestionIsYesOrNoWithYesTheDefault()
    {
        QWidget parent;
        MessageBoxConfirmation confirmation(&parent);
        QString seenTitle, seenText;
        QMessageBox::Icon seenIcon = QMessageBox::Critical;
        bool yesIsDefault = false;
        whenModal([&](QWidget *w) {
            auto *box = qobject_cast<QMessageBox *>(w);
            QVERIFY(box);
            seenTitle = box->windowTitle();
            seenText = box->text();
            seenIcon = box->icon();
            yesIsDefault = box->defaultButton() == box->button(QMessageBox::Yes);
            QCOMPARE(box->buttons().size(), 2);
            QTest::keyClick(box, Qt::Key_Return); // the default answer
        });
        QVERIFY(confirmation.ask(QString::fromUtf8(kQuitTitle), QString::fromUtf8(kQuitQuestion)));
        QCOMPARE(seenTitle, QStringLiteral("ペルネ実験"));
        QCOMPARE(seenText, QStringLiteral("終了していいですか？"));
        QCOMPARE(seenIcon, QMessageBox::NoIcon);
        QVERIFY(yesIsDefault);

        whenModal([](QWidget *w) {
            QTest::mouseClick(buttonWithText(w, QStringLiteral("いいえ(&N)")), Qt::LeftButton);
        });
        QVERIFY(!confirmation.ask(QString::fromUtf8(kQuitTitle), QString::fromUtf8(kQuitQuestion)));
    }

    void theInputBoxOffersTheDefaultAndCancelGivesEmptyText()
    {
        QWidget parent;
        InputDialogPrompter prompter(&parent);
        QString seenTitle, seenLabel, seenDefault;
        whenModal([&](QWidget *w) {
            auto *dialog = qobject_cast<QInputDialog *>(w);
            QVERIFY(dialog);
            seenTitle = dialog->windowTitle();
            seenLabel = dialog->labelText();
            seenDefault = dialog->textValue();
            QTest::mouseClick(buttonWithText(w, QStringLiteral("OK")), Qt::LeftButton);
        });
        QCOMPARE(prompter.ask("犬の初期位置の設定", "犬の初期位置のｘ座標", "6"), std::string("6"));
        QCOMPARE(seenTitle, QStringLiteral("犬の初期位置の設定"));
        QCOMPARE(seenLabel, QStringLiteral("犬の初期位置のｘ座標"));
        QCOMPARE(seenDefault, QStringLiteral("6"));

        whenModal([](QWidget *w) {
            auto *edit = w->findChild<QLineEdit *>();
            edit->selectAll();
            QTest::keyClicks(edit, QStringLiteral(" 7x"));
            QTest::keyClick(edit, Qt::Key_Return);
        });
        QCOMPARE(prompter.ask("t", "p", "4"), std::string(" 7x"));

        // Cancel, even with text typed, gives empty text.
        whenModal([](QWidget *w) {
            QTest::mouseClick(buttonWithText(w, QStringLiteral("キャンセル")), Qt::LeftButton);
        });
        QCOMPARE(prompter.ask("t", "p", "4"), std::string());
    }
};

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"
