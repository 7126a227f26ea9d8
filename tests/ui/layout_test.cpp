// The windows against their design tables: every control's place and size, the lattice
// scale of the field, stacking, tab order, captions, colours and fonts.
#include "fakes.h"
#include "fieldbox.h"
#include "fonts.h"
#include "form1layout.h"
#include "form2.h"
#include "form2layout.h"

#include <QAbstractButton>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QLabel>
#include <QtTest>

using namespace perne;
using namespace perne::test;

namespace {

Form2::Services quietForm2Services(RecordingCues &cues, ScriptedConfirmation &confirmation)
{
    Form2::Services s;
    s.cues = &cues;
    s.confirmation = &confirmation;
    s.endProgram = [] {};
    s.showSimulation = [] {};
    return s;
}

template <typename Window, std::size_t N>
void checkGeometry(Window &window, const std::array<DesignControl, N> &table)
{
    for (const DesignControl &c : table) {
        QWidget *w = window.template findChild<QWidget *>(QLatin1String(c.name));
        QVERIFY2(w, c.name);
        QCOMPARE(w->parentWidget(), window.clientArea(c.container));
        QCOMPARE(w->geometry(), toPixels(c));
    }
}

} // namespace

class LayoutTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { installJapaneseFonts(); }

    // One table drives both the windows and this test; a resized window moves nothing.
    void everyControlSitsAtItsDesignPlaceBeforeAndAfterResizing()
    {
        Harness h;
        Form1 form1(h.services());
        form1.load();
        form1.show();
        QCOMPARE(form1.size(), QSize(482, 375));
        checkGeometry(form1, kForm1Controls);
        // The field's client area inside its 2-pixel border carries the lattice scale.
        auto *field = form1.findChild<FieldBox *>(QStringLiteral("Picture1"));
        QCOMPARE(field->client()->geometry(), QRect(2, 2, 461, 293));
        QCOMPARE(toPixels(kFieldClientWidth, kFieldClientHeight), QSize(461, 293));

        RecordingCues cues;
        ScriptedConfirmation confirmation;
        Form2 form2(quietForm2Services(cues, confirmation));
        form2.show();
        QCOMPARE(form2.size(), QSize(512, 501));
        checkGeometry(form2, kForm2Controls);

        form1.resize(900, 700);
        form2.resize(300, 200);
        QCoreApplication::processEvents();
        checkGeometry(form1, kForm1Controls);
        checkGeometry(form2, kForm2Controls);
        QCOMPARE(field->client()->geometry(), QRect(2, 2, 461, 293));
    }

    void latticePointsMapToTheFieldScale()
    {
        QCOMPARE(latticeToFieldTwips({0, 0}), QPointF(0, 0));
        const QPointF mid = latticeToFieldTwips({5, 5});
        QVERIFY(qAbs(mid.x() - 3143) < 1 && qAbs(mid.y() - 1831) < 1);
        const QPointF far = latticeToFieldTwips({10, 10});
        QVERIFY(qAbs(far.x() - 6286) < 1 && qAbs(far.y() - 3663) < 1);
        // Whole pixels stay within one pixel of the exact place.
        for (std::int16_t v : {0, 3, 5, 7, 10}) {
            const QPoint px = latticeToField({v, v});
            const QPointF tw = latticeToFieldTwips({v, v});
            QVERIFY(qAbs(px.x() * 15 - tw.x()) <= 7.5 && qAbs(px.y() * 15 - tw.y()) <= 7.5);
        }

        Harness h;
        Form1 form(h.services());
        form.show();
        QWidget *client = form.clientArea("Picture1");
        auto *momotaro = form.findChild<QLabel *>(QStringLiteral("Picture3"));
        auto *dog = form.findChild<QLabel *>(QStringLiteral("Picture2"));
        form.moveSprite(Sprite::Picture3, {10, 10});
        form.moveSprite(Sprite::Picture2, {10, 10});
        QCOMPARE(momotaro->pos(), QPoint(419, 244));
        QCOMPARE(momotaro->size(), QSize(33, 36)); // moving keeps the size
        QVERIFY(client->rect().contains(momotaro->geometry()));
        QVERIFY(client->rect().contains(dog->geometry()));

        // At (0, 0) a sprite lies above the "0" axis mark it partly covers.
        form.moveSprite(Sprite::Picture2, {0, 0});
        QCOMPARE(dog->pos(), QPoint(0, 0));
        auto *zero = form.findChild<QLabel *>(QStringLiteral("Label5"));
        const QPoint overlap = zero->geometry().topLeft() + QPoint(2, 2);
        QVERIFY(dog->geometry().contains(overlap));
        QCOMPARE(client->childAt(overlap), dog);
    }

    void spritesShowTheirImagesAtFullSize()
    {
        Harness h;
        Form1 form(h.services());
        for (const char *name : {"Picture2", "Picture3"}) {
            auto *sprite = form.findChild<QLabel *>(QLatin1String(name));
            QCOMPARE(sprite->pixmap().size(), sprite->size());
        }
        QVERIFY(!form.windowIcon().isNull());
        QVERIFY(form.windowIcon().availableSizes().contains(QSize(32, 32)));
    }

    void tabGoesThroughTheButtonsInTheirDesignOrder()
    {
        Harness h;
        Form1 form1(h.services());
        form1.show();
        QStringList order;
        QWidget *w = form1.findChild<QWidget *>(QStringLiteral("Command1"));
        for (int i = 0; i < 6; ++i) {
            order << w->objectName();
            do
                w = w->nextInFocusChain();
            while (!(w->focusPolicy() & Qt::TabFocus) || !w->isVisibleTo(&form1));
        }
        QCOMPARE(order, QStringList({"Command1", "Command2", "Command3", "Command4", "Command5",
                                     "Command6"}));
        QCOMPARE(w->objectName(), QStringLiteral("Command1")); // and round again

        RecordingCues cues;
        ScriptedConfirmation confirmation;
        Form2 form2(quietForm2Services(cues, confirmation));
        QWidget *next = form2.findChild<QWidget *>(QStringLiteral("Command1"))->nextInFocusChain();
        while (!(next->focusPolicy() & Qt::TabFocus))
            next = next->nextInFocusChain();
        QCOMPARE(next->objectName(), QStringLiteral("Command2"));
    }

    void captionsColoursAndFontsAreAsDesigned()
    {
        Harness h;
        Form1 form(h.services());
        form.show();
        QCOMPARE(form.windowTitle(), QStringLiteral(" 【ペルネ実験】"));
        QCOMPARE(form.palette().color(QPalette::Window), QColor(0xC0, 0xC0, 0xC0));
        QVERIFY(form.autoFillBackground());

        for (const DesignControl &c : kForm1Controls) {
            QWidget *w = form.findChild<QWidget *>(QLatin1String(c.name));
            QString caption;
            if (auto *b = qobject_cast<QAbstractButton *>(w))
                caption = b->text();
            else if (auto *l = qobject_cast<QLabel *>(w); l && c.kind != ControlKind::Sprite)
                caption = l->text();
            else
                continue;
            QCOMPARE(caption, QString::fromUtf8(c.caption));
            // Every character has a glyph in the face actually used (no boxes) ...
            const QFontMetricsF fm(w->font());
            for (char32_t ch : caption.toUcs4())
                QVERIFY2(fm.inFontUcs4(ch), c.name);
            // ... and the caption fits its control.
            const int room =
                qobject_cast<QAbstractButton *>(w) ? w->width() - 6 : w->contentsRect().width();
            QVERIFY2(fm.horizontalAdvance(caption) <= room, c.name);
            if (qobject_cast<QAbstractButton *>(w)) {
                QVERIFY2(fm.height() <= w->height(), c.name);
            } else if (!caption.isEmpty()) {
                // The ink of a top-aligned caption (drawn on a whole-pixel baseline) ends
                // inside the label.
                const QRectF ink = fm.tightBoundingRect(caption);
                QVERIFY2(QFontMetrics(w->font()).ascent() + ink.bottom() <=
                             w->contentsRect().height(),
                         c.name);
            }
        }

        // The design face is resolved to an installed Japanese Gothic.
        auto *count = form.findChild<QLabel *>(QStringLiteral("Label3"));
        QCOMPARE(QFontInfo(count->font()).family(), QStringLiteral("IPAPGothic"));
        QCOMPARE(count->font().pointSizeF(), 9.75);
        QCOMPARE(count->palette().color(QPalette::WindowText), QColor(Qt::red));
        auto *elapsed = form.findChild<QLabel *>(QStringLiteral("Label4"));
        QCOMPARE(elapsed->palette().color(QPalette::WindowText), QColor(Qt::blue));
        QCOMPARE(QFontInfo(elapsed->font()).family(), QStringLiteral("IPAPGothic"));
        for (const char *name : {"Label1", "Label2", "Label3", "Label4"}) {
            auto *l = form.findChild<QLabel *>(QLatin1String(name));
            QCOMPARE(l->palette().color(QPalette::Window), QColor(Qt::white));
            QVERIFY(l->autoFillBackground());
            QCOMPARE(l->alignment(), Qt::AlignCenter);
            QCOMPARE(l->frameWidth(), 1);
            // The longest texts the run writes fit without being cut.
            const QString longest = name == QLatin1String("Label1")   ? "犬: x= 10  y= 10"
                                    : name == QLatin1String("Label2") ? "桃太郎: x= 10  y= 10"
                                    : name == QLatin1String("Label3") ? "ペルネ回数＝ 999"
                                                                      : " 9999 / 180 秒";
            QVERIFY2(QFontMetricsF(l->font()).horizontalAdvance(longest) <=
                         l->contentsRect().width(),
                     name);
        }
        auto *axis = form.findChild<QLabel *>(QStringLiteral("Label10"));
        QCOMPARE(axis->font().pointSizeF(), 12.0);
        QCOMPARE(axis->font().weight(), QFont::Bold);

        RecordingCues cues;
        ScriptedConfirmation confirmation;
        Form2 form2(quietForm2Services(cues, confirmation));
        QCOMPARE(form2.windowTitle(), QStringLiteral(" 第４回日本数学コンクール問題(1993.8.22)"));
        for (const DesignControl &c : kForm2Controls) {
            if (c.kind == ControlKind::Button)
                QCOMPARE(form2.findChild<QAbstractButton *>(QLatin1String(c.name))->text(),
                         QString::fromUtf8(c.caption));
        }
    }

    // Line1 runs behind the buttons: it shows in the gaps only. The axes are drawn too.
    void linesShowOnlyWhereNothingCoversThem()
    {
        Harness h;
        Form1 form(h.services());
        form.load();
        form.show();
        const QImage image = form.grab().toImage();
        const QColor ink = form.palette().color(QPalette::WindowText);
        QCOMPARE(image.pixelColor(60, 24), ink);  // gap between Command1 and Command6
        QCOMPARE(image.pixelColor(481, 24), ink); // right of the last button
        QVERIFY(image.pixelColor(30, 24) != ink); // under Command1
        QVERIFY(image.pixelColor(30, 30) != ink); // below the line
        // Field client origin (10, 34): the x axis at y 8, the y axis at x 8.
        QCOMPARE(image.pixelColor(10 + 200, 34 + 8), ink);
        QCOMPARE(image.pixelColor(10 + 8, 34 + 150), ink);
    }
};

QTEST_MAIN(LayoutTest)
#include "layout_test.moc"
