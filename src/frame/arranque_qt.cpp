#include "frame/arranque_qt.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <cstdio>

#include "folder/iconos_qt.h"
#include "frame/dialogos_qt.h"
#include "frame/espera_red_qt.h"
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

// Watches the frame for its first paint. The paint event comes before the picture reaches the
// screen; a zero timer runs after the whole window has been painted and shown.
class VigiaPrimeraPintura final : public QObject {
public:
    explicit VigiaPrimeraPintura(MDI& marco) : QObject(&marco), marco_(marco) { marco.installEventFilter(this); }

    bool eventFilter(QObject* o, QEvent* e) override {
        if (o == &marco_ && e->type() == QEvent::Paint && !visto_) {
            visto_ = true;
            QTimer::singleShot(0, &marco_, [m = &marco_] {
                std::fputs("painted\n", stdout);
                std::fflush(stdout);
                m->SALIR();
            });
        }
        return false;
    }

private:
    MDI& marco_;
    bool visto_ = false;
};

}  // namespace

void PrepararNucleo() {
    static DialogosQt dialogos;
    SetDialogos(&dialogos);
    InstalarEsperaRed();
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
    frmINI ini(captura || op.salirAlPintar);
    std::unique_ptr<MDI> marco;
    ini.SetCargarMarco([&]() -> QWidget* {
        marco = std::make_unique<MDI>([](MDI& m) -> VentanaTab* { return new frmMain(&m, SiguienteIdTab()); },
                                      op.depuracion);
        marco->SetVentanaInicio(&ini, [&ini] { ini.PermitirCerrar = true; });
        marco->MDIForm_Load(op.carpeta);
        if (captura) PedirCaptura(app, *marco, op.captura);
        if (op.salirAlPintar) new VigiaPrimeraPintura(*marco);
        return marco.get();
    });
    ini.SetBuscarServidor([] { return cEnlaceIndice().BuscarServidor(); });
    // A screenshot or a timing run is over in a moment: a whole-disk indexer must not outlive it.
    if (!captura && !op.salirAlPintar) ini.SetIniciarServidor(&frmINI::LanzarServidorJunto);
    ini.SetRegistrarServidor([&marco](long long servidor) {
        if (marco && marco->BusquedaRapida()) marco->BusquedaRapida()->RegistrarServidor(servidor);
    });
    ini.Form_Load();
    return app.exec();
}

}  // namespace quirvex
