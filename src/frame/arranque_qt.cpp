#include "frame/arranque_qt.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <cstdio>

#include "folder/iconos_qt.h"
#include "frame/dialogos_qt.h"
#include "frame/frm_ini_qt.h"
#include "frame/mdi_qt.h"
#include "pane/frm_main_qt.h"
#include "search/busqueda_rapida_qt.h"
#include "search/enlace_indice.h"
#include "settings/idioma.h"
#include "settings/opciones.h"

namespace quirvex {
namespace {

void PedirCaptura(QApplication& app, MDI& marco, const QString& archivo) {
    QTimer::singleShot(300, &app, [&marco, archivo] {
        if (!GuardarCaptura(marco, archivo)) {
            std::fprintf(stderr, "Cannot write %s\n", qPrintable(archivo));
            marco.SetAlTerminar([] { QApplication::exit(1); });
        }
        marco.SALIR();
    });
}

}  // namespace

void PrepararNucleo() {
    static DialogosQt dialogos;
    SetDialogos(&dialogos);
    AsegurarTemaIconos();
    SetTituloAplicacionHook([](const std::string& t) {
        QApplication::setApplicationDisplayName(QString::fromUtf8(t));
    });
    // Without the probe the defaults would take the special font for absent and the first
    // save would store "Special Font" = 0 on a machine that has it.
    SetSondaFuenteEspecial(&frmINI::FuenteEspecialInstalada);
    CargarOpciones();
}

bool GuardarCaptura(QWidget& ventana, const QString& archivo) {
    return ventana.grab().save(archivo, "PNG");
}

int Arrancar(QApplication& app, const OpcionesArranque& op) {
    PrepararNucleo();
    const bool captura = !op.captura.isEmpty();
    frmINI ini(captura);
    std::unique_ptr<MDI> marco;
    ini.SetCargarMarco([&]() -> QWidget* {
        marco = std::make_unique<MDI>([](MDI& m) -> VentanaTab* { return new frmMain(&m, SiguienteIdTab()); },
                                      op.depuracion);
        marco->SetVentanaInicio(&ini, [&ini] { ini.PermitirCerrar = true; });
        marco->MDIForm_Load(op.carpeta);
        if (captura) PedirCaptura(app, *marco, op.captura);
        return marco.get();
    });
    ini.SetBuscarServidor([] { return cEnlaceIndice().BuscarServidor(); });
    ini.SetRegistrarServidor([&marco](long long servidor) {
        if (marco && marco->BusquedaRapida()) marco->BusquedaRapida()->RegistrarServidor(servidor);
    });
    ini.Form_Load();
    return app.exec();
}

}  // namespace quirvex
