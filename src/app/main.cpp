// Quirvex: start-up. Loads the settings and the language, then shows the window.

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>

#include <cstdio>
#include <string>
#include <vector>

#include "frame/arranque_qt.h"
#include "frame/direccion.h"

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
    QCommandLineOption primeraPintura(
        "exit-after-first-paint",
        "Print \"painted\" once the window has been painted for the first time, and exit.");
    cl.addOption(captura);
    cl.addOption(primeraPintura);
    cl.addOption(depuracion);
    cl.addPositionalArgument("folder", "Folder to open.");
    // Unknown options are not an error: "-DEBUGMODE" and the like are simply not debug mode.
    cl.parse(QCoreApplication::arguments());
    if (cl.isSet("help")) cl.showHelp();
    if (cl.isSet("version")) cl.showVersion();

    std::vector<std::string> argumentos;
    for (const QString& a : QCoreApplication::arguments().mid(1)) argumentos.push_back(a.toStdString());

    quirvex::OpcionesArranque op;
    // The desktop passes a folder as a "file:" URI as readily as a path; one that names no local
    // folder is reported and the default folder opens instead.
    if (const QString arg = cl.positionalArguments().value(0); !arg.isEmpty()) {
        if (const auto ruta = quirvex::CarpetaDeArgumento(arg.toStdString()))
            op.carpeta = QString::fromStdString(*ruta);
        else
            std::fprintf(stderr, "quirvex: not a local folder: %s\n", qPrintable(arg));
    }
    op.captura = cl.value(captura);
    op.salirAlPintar = cl.isSet(primeraPintura);
    op.depuracion = quirvex::EsModoDepuracion(argumentos);
    return quirvex::Arrancar(app, op);
}
