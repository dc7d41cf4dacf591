#include "updatercommandline.h"
#include "updaterstartup.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    // A wrong command line ends the program before it needs a display: started by hand it does nothing.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    if (!UpdaterCommandLine::parse(arguments).valid)
        return 0;
    QApplication application(argc, argv);
    return UpdaterStartup(QApplication::arguments(), QApplication::applicationDirPath()).run();
}
