// Quirvex: start-up. Reads the command line, loads the settings and the language, then shows the
// window.

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStringList>

#include <cstdio>
#include <string>
#include <vector>

#include "frame/arranque_qt.h"
#include "frame/direccion.h"

namespace {

// The options every Qt program takes and QApplication removes from the command line itself.
// They are known to the parser only so that "-platform offscreen" or "-style fusion" is not
// refused as unknown; --help-all lists them.
struct OpcionQt {
    const char* nombre;
    const char* valor;  // nullptr: a switch
    const char* descripcion;
};
constexpr OpcionQt kOpcionesQt[] = {
    {"platform", "NAME", "Use the Qt platform plug-in NAME (xcb, wayland, offscreen...)."},
    {"platformpluginpath", "PATH", "Look for platform plug-ins in PATH."},
    {"platformtheme", "NAME", "Use the Qt platform theme NAME."},
    {"plugin", "NAME", "Load the Qt input plug-in NAME."},
    {"display", "DISPLAY", "Connect to the X display DISPLAY."},
    {"geometry", "GEOMETRY", "Place the first window at GEOMETRY (X11)."},
    {"qwindowgeometry", "GEOMETRY", "Place the first window at GEOMETRY."},
    {"qwindowicon", "ICON", "Use ICON as the window icon."},
    {"qwindowtitle", "TITLE", "Use TITLE as the window title."},
    {"session", "SESSION", "Restore the session SESSION."},
    {"style", "STYLE", "Use the widget style STYLE."},
    {"stylesheet", "FILE", "Apply the style sheet in FILE."},
    {"reverse", nullptr, "Lay the windows out right to left."},
    {"widgetcount", nullptr, "Report the widgets left at exit."},
};

// The program's own options and the parser that knows them. The command line is read before any
// application object exists, so that --help, --version and a mistyped option are answered
// without a display.
struct LineaOrdenes {
    QCommandLineParser cl;
    QCommandLineOption captura{"screenshot", "Write a PNG of the window to FILE and exit.", "FILE"};
    QCommandLineOption depuracion{"debugmode",
                                  "Start in debug mode (only when it is the whole command line)."};
    QCommandLineOption primeraPintura{
        "exit-after-first-paint",
        "Print \"painted\" once the window has been painted for the first time, and exit."};

    explicit LineaOrdenes(bool mostrarOpcionesQt) {
        cl.setApplicationDescription(
            "Quirvex, a tabbed file manager with side-by-side folder panes.");
        cl.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        cl.addHelpOption();
        cl.addVersionOption();
        cl.addOption(captura);
        cl.addOption(primeraPintura);
        cl.addOption(depuracion);
        cl.addPositionalArgument("FOLDER", "Folder to open: a path or a file:// URI.", "[FOLDER]");
        for (const OpcionQt& q : kOpcionesQt) {
            QCommandLineOption o(q.nombre, q.descripcion);
            if (q.valor) o.setValueName(q.valor);
            if (!mostrarOpcionesQt) o.setFlags(QCommandLineOption::HiddenFromHelp);
            cl.addOption(o);
        }
    }
};

QString Version() {
    return QStringLiteral("%1.%2.%3")
        .arg(QUIRVEX_VERSION_MAJOR)
        .arg(QUIRVEX_VERSION_MINOR)
        .arg(QUIRVEX_VERSION_PATCH);
}

// The help as the parser writes it, with -debugmode in the one spelling that turns it on (padded
// so that its description stays in the column).
QString Ayuda(const QCommandLineParser& cl) {
    return cl.helpText().replace(QStringLiteral("--debugmode "), QStringLiteral("-debugmode  "));
}

// Answers --help, --help-all, --version and a wrong command line on the terminal, with no window
// system. Returns the exit code, or -1 when the program should start.
int ResponderEnConsola(LineaOrdenes& lo, bool valida, int& argc, char** argv) {
    const bool ayuda = lo.cl.isSet("help"), todas = lo.cl.isSet("help-all");
    if (valida && !ayuda && !todas && !lo.cl.isSet("version")) return -1;
    QCoreApplication consola(argc, argv);  // helpText() takes the program's name from it
    if (!valida) {
        std::fprintf(stderr, "quirvex: %s\nTry 'quirvex --help'.\n", qPrintable(lo.cl.errorText()));
        return 2;
    }
    if (todas) {
        const LineaOrdenes conOpcionesQt(true);
        std::fputs(qPrintable(Ayuda(conOpcionesQt.cl)), stdout);
    } else if (ayuda) {
        std::fputs(qPrintable(Ayuda(lo.cl)), stdout);
    } else {
        std::printf("%s %s\n", qPrintable(QCoreApplication::applicationName()),
                    qPrintable(QCoreApplication::applicationVersion()));
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication::setApplicationName("Quirvex");
    QCoreApplication::setApplicationVersion(Version());
    QStringList args;
    for (int i = 0; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    LineaOrdenes lo(false);
    const bool valida = lo.cl.parse(args);
    if (const int salida = ResponderEnConsola(lo, valida, argc, argv); salida >= 0) return salida;

    QApplication app(argc, argv);
    // QApplication has taken its own options out; what is left is the program's.
    std::vector<std::string> argumentos;
    for (const QString& a : QCoreApplication::arguments().mid(1))
        argumentos.push_back(a.toStdString());

    quirvex::OpcionesArranque op;
    // The desktop passes a folder as a "file:" URI as readily as a path; one that names no local
    // folder is reported and the default folder opens instead.
    if (const QString arg = lo.cl.positionalArguments().value(0); !arg.isEmpty()) {
        if (const auto ruta = quirvex::CarpetaDeArgumento(arg.toStdString()))
            op.carpeta = QString::fromStdString(*ruta);
        else
            std::fprintf(stderr, "quirvex: not a local folder: %s\n", qPrintable(arg));
    }
    op.captura = lo.cl.value(lo.captura);
    op.salirAlPintar = lo.cl.isSet(lo.primeraPintura);
    op.depuracion = quirvex::EsModoDepuracion(argumentos);
    if (lo.cl.isSet(lo.depuracion) && !op.depuracion)
        std::fputs("quirvex: debug mode needs -debugmode alone on the command line\n", stderr);
    return quirvex::Arrancar(app, op);
}
