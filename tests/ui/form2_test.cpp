// The problem window: what it prints at every showing, in which size and colour, and the
// print box it prints into.
#include "fakes.h"
#include "fonts.h"
#include "form2.h"
#include "printbox.h"
#include "problemtexts.h"

#include <QFontMetricsF>
#include <QtTest>

using namespace perne;
using namespace perne::test;

namespace {

const QColor kRed(0xFF, 0x00, 0x00);
const QColor kBlue(0x00, 0x00, 0xFF);
const QColor kBlack(0x00, 0x00, 0x00);

struct Form2Harness
{
    RecordingCues cues;
    ScriptedConfirmation confirmation;

    Form2::Services services()
    {
        Form2::Services s;
        s.cues = &cues;
        s.confirmation = &confirmation;
        s.endProgram = [] {};
        s.showSimulation = [] {};
        return s;
    }
};

// "text" in size/colour, one line of a print box as a test reads it.
QString describe(const PrintBox::PrintedLine &l)
{
    return QStringLiteral("%1|%2|%3").arg(l.text).arg(l.pointSize).arg(l.colour.name());
}

QStringList describeAll(const PrintBox *box)
{
    QStringList out;
    for (const auto &l : box->lines())
        out << describe(l);
    return out;
}

} // namespace

class Form2Test : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { installJapaneseFonts(); }

    void theProblemStatementKeepsItsLayout()
    {
        const QChar w(0x3000);
        const QString four = QString(4, w), three = QString(3, w), two = QString(2, w);
        const QStringList leads = {
            four + ' ',  three + ' ', two + ' ' + w, three + ' ', three + ' ',
            three + ' ', three + ' ', ' ' + four,    ' ' + three, ' ' + three,
            ' ' + three, ' ' + three, ' ' + three,   ' ' + three, ' ' + three,
        };
        const QList<int> lengths = {34, 34, 34, 34, 34, 34, 32, 34, 34, 34, 34, 34, 34, 34, 18};
        for (int i = 0; i < 15; ++i) {
            const QString line = QString::fromUtf8(kProblemLines[i]);
            QCOMPARE(line.toUcs4().size(), lengths[i]);
            QVERIFY2(line.startsWith(leads[i]), qPrintable(line));
            // The leading characters are all there is of blanks: the text starts after them.
            const QChar first = line.at(leads[i].size());
            QVERIFY2(first != w && first != ' ', qPrintable(line));
        }
    }

    // Each showing clears both boxes and prints them once, in the order, sizes and colours
    // of the activation; the first empty line takes the size the box had before.
    void everyShowingPrintsBothTextsOnceAfresh()
    {
        Form2Harness h;
        Form2 form(h.services());
        PrintBox *problem = form.problemBox();
        PrintBox *conditions = form.conditionsBox();
        QCOMPARE(problem->fontSize(), 9.0); // the window's default font
        form.show();

        QStringList expected = {
            QStringLiteral("|9|#000000"), QString::fromUtf8(kContestLine) + "|12|#ff0000",
            QStringLiteral("|12|#ff0000"), QString::fromUtf8(kProblemHeading) + "|12|#000000"};
        for (const char *line : kProblemLines)
            expected << QString::fromUtf8(line) + "|12|#000000";
        QCOMPARE(describeAll(problem), expected);

        QStringList expectedConditions = {
            QStringLiteral("|9|#000000"),
            QStringLiteral("【シミュレーションの条件】|12|#ff0000"),
            QStringLiteral(
                "　　１．桃太郎と犬は、縦、横それぞれ１１本の直線の格子点上を動く。|12|#0000ff"),
            QStringLiteral(
                "　　２．桃太郎と犬が、各格子点において８つの方向へ進む確率は同じ。|12|#0000ff"),
            QStringLiteral(
                "　　３．桃太郎と犬は、各格子点において、動き１回につき、縦か横か斜|12|#0000ff"),
            QStringLiteral(
                "　　　　めの１目盛りだけ進み、進んだ格子点ごとに方向を判断する。|12|#0000ff"),
        };
        QCOMPARE(describeAll(conditions), expectedConditions);
        QCOMPARE(conditions->foreColour(), kBlack);
        QCOMPARE(problem->foreColour(), kBlack);
        const int firstShowingTop = problem->lines().at(1).top;

        // Hidden and shown again: printed once more, not doubled, and from the second
        // showing on the first empty line is a 12-point line, so the text starts lower.
        for (int showing = 2; showing <= 3; ++showing) {
            form.hide();
            form.show();
            QCOMPARE(problem->lines().size(), 19);
            QCOMPARE(conditions->lines().size(), 6);
            expected[0] = QStringLiteral("|12|#000000");
            QCOMPARE(describeAll(problem), expected);
            QCOMPARE(describe(conditions->lines().at(0)), QStringLiteral("|12|#000000"));
            QVERIFY(problem->lines().at(1).top > firstShowingTop);
            QCOMPARE(problem->lines().at(0).top, 0);
        }
    }

    // Everything printed fits the boxes: no line runs past the right edge or the bottom.
    void thePrintedTextsFitTheirBoxes()
    {
        Form2Harness h;
        Form2 form(h.services());
        form.show();
        form.hide();
        form.show(); // the taller start of later showings
        for (const PrintBox *box : {form.problemBox(), form.conditionsBox()}) {
            const QRect client = box->contentsRect();
            for (const auto &line : box->lines()) {
                QFont f = box->font();
                f.setPointSizeF(line.pointSize);
                const QFontMetricsF fm(f);
                QVERIFY2(fm.horizontalAdvance(line.text) <= client.width(), qPrintable(line.text));
                QVERIFY2(line.top + fm.height() <= client.height() + 1, qPrintable(line.text));
                for (char32_t ch : line.text.toUcs4())
                    QVERIFY(fm.inFontUcs4(ch));
            }
        }
        // And they are really painted: red ink in the contest line's row.
        const QImage image = form.problemBox()->grab().toImage();
        const int row =
            form.problemBox()->contentsRect().top() + form.problemBox()->lines()[1].top + 8;
        bool red = false;
        for (int x = 0; x < image.width() && !red; ++x)
            red = image.pixelColor(x, row) == kRed;
        QVERIFY(red);
    }

    void clearingEmptiesTheBoxAndReturnsToTheTop()
    {
        Form2Harness h;
        Form2 form(h.services());
        PrintBox box(&form);
        box.print(QStringLiteral("a"));
        box.setFontSize(12);
        box.setForeColour(kBlue);
        box.print(QStringLiteral("b"));
        QVERIFY(box.printPosition() > box.lines().at(1).top);
        box.clear();
        QVERIFY(box.lines().isEmpty());
        QCOMPARE(box.printPosition(), 0);
        // Size and colour outlive the clearing.
        box.print(QStringLiteral("c"));
        QCOMPARE(describe(box.lines().at(0)), QStringLiteral("c|12|#0000ff"));
        QCOMPARE(box.lines().at(0).top, 0);
        QCOMPARE(box.printPosition(), 16); // a 12-point line
    }
};

QTEST_MAIN(Form2Test)
#include "form2_test.moc"
