#include "fonts.h"
#include "form1.h"
#include "images.h"
#include "translations.h"

#include <QApplication>

#include <cstdio>
#include <cstring>

int main(int argc, char *argv[])
{
    // Answered before Qt starts, so that it needs no display.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("perne %s\n", PERNE_VERSION);
        return 0;
    }

    // Qt's own options (-platform, -style ...) are taken from the command line here.
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("perne"));
    QApplication::setApplicationVersion(QStringLiteral(PERNE_VERSION));
    QApplication::setWindowIcon(perne::programIcon());
    perne::installJapaneseFonts();
    perne::installQtJapanese(app);

    perne::Form1 form1;
    form1.load();
    form1.show();
    return QApplication::exec();
}
