#include "fonts.h"
#include "form1.h"
#include "images.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    // Qt's own options (-platform, -style ...) are taken from the command line here;
    // the program has none of its own.
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("perne"));
    QApplication::setWindowIcon(perne::programIcon());
    perne::installJapaneseFonts();

    perne::Form1 form1;
    form1.load();
    form1.show();
    return QApplication::exec();
}
