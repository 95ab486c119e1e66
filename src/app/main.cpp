// Quirvex: start-up. Loads the settings and the language, then shows the window.

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>

#include "frame/arranque_qt.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Quirvex");
    QApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                            .arg(QUIRVEX_VERSION_MAJOR)
                                            .arg(QUIRVEX_VERSION_MINOR)
                                            .arg(QUIRVEX_VERSION_PATCH));
    QCommandLineParser cl;
    cl.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    cl.addHelpOption();
    cl.addVersionOption();
    QCommandLineOption captura("screenshot", "Write a PNG of the window to FILE and exit.", "FILE");
    QCommandLineOption depuracion("debugmode", "Start in debug mode.");
    cl.addOption(captura);
    cl.addOption(depuracion);
    cl.addPositionalArgument("folder", "Folder to open.");
    cl.process(app);

    quirvex::OpcionesArranque op;
    op.carpeta = cl.positionalArguments().value(0);
    op.captura = cl.value(captura);
    op.depuracion = cl.isSet(depuracion);
    return quirvex::Arrancar(app, op);
}
