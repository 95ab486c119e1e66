#include "frame/arranque_qt.h"

#include <QApplication>
#include <QIcon>
#include <QTimer>
#include <QWidget>
#include <cstdio>

#include "frame/dialogos_qt.h"
#include "pane/frm_anfitrion_qt.h"
#include "settings/almacen_registro.h"
#include "settings/idioma.h"
#include "settings/opciones.h"

namespace quirvex {
namespace {

// The offscreen platform and bare X servers name no icon theme; without one every icon is blank.
void AsegurarTemaIconos() {
    if (!QIcon::themeName().isEmpty() && QIcon::themeName() != "hicolor") return;
    QIcon::setThemeSearchPaths(QIcon::themeSearchPaths() << "/usr/share/icons");
    QIcon::setThemeName("Adwaita");
}

void CargarIdiomaDeInicio() {
    const int indice = RegLeerDword(RaizRegistro::HKEY_CURRENT_USER, CLAVE_OPCIONES, "Language", -1);

    RegistroOpciones& o = Opciones();
    if (CargarIdiomaInicial(indice, o.ExternalLanguage, o.ExternalLanguageFile)) {
        o.Language = indice;
    } else {
        // First run: the language question belongs to the start-up window; until it asks,
        // the user's own language is taken without being stored.
        CargarIdiomaIncorporado(IndiceIdiomaSugerido());
    }
    AplicarTextoMiPC();
}

}  // namespace

void PrepararNucleo() {
    static DialogosQt dialogos;
    SetDialogos(&dialogos);
    AsegurarTemaIconos();
    SetTituloAplicacionHook([](const std::string& t) {
        QApplication::setApplicationDisplayName(QString::fromUtf8(t));
    });
    CargarOpciones();
    CargarIdiomaDeInicio();
}

bool GuardarCaptura(QWidget& ventana, const QString& archivo) {
    return ventana.grab().save(archivo, "PNG");
}

int Arrancar(QApplication& app, const OpcionesArranque& op) {
    PrepararNucleo();
    frmAnfitrion ventana;
    ventana.resize(1024, 700);
    ventana.Abrir(op.carpeta);
    ventana.show();
    if (!op.captura.isEmpty()) {
        QTimer::singleShot(300, &app, [&] {
            if (!GuardarCaptura(ventana, op.captura)) {
                std::fprintf(stderr, "Cannot write %s\n", qPrintable(op.captura));
                QApplication::exit(1);
                return;
            }
            QApplication::exit(0);
        });
    }
    return app.exec();
}

}  // namespace quirvex
