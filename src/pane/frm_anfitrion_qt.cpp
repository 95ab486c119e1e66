#include "pane/frm_anfitrion_qt.h"

#include <QActionGroup>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenuBar>
#include <QToolBar>

#include "pane/frm_main_qt.h"
#include "pane/visor_qt.h"
#include "settings/idioma.h"
#include "settings/opciones.h"

namespace quirvex {

namespace {

QString T(int seccion, int clave) { return QString::fromStdString(Texto(seccion, clave)); }

std::string Nativa(const QString& s) { return QFile::encodeName(s).toStdString(); }

}  // namespace

frmAnfitrion::frmAnfitrion() : txtDireccion_(new QLineEdit) {
    auto* barra = addToolBar(QStringLiteral("Address"));
    barra->setMovable(false);
    cmdAtras_ = barra->addAction(QIcon::fromTheme("go-previous"), T(frmMainSec, 28).remove('&'),
                                 this, [this] { IrHistorial(-1); });
    cmdAdelante_ = barra->addAction(QIcon::fromTheme("go-next"), T(frmMainSec, 29).remove('&'),
                                    this, [this] { IrHistorial(1); });
    barra->addAction(QIcon::fromTheme("go-up"), T(frmMainSec, 27).remove('&'), this, [this] {
        if (tab_->aVisor()) tab_->aVisor()->Contenido().SubirNivel();
    });
    barra->addWidget(txtDireccion_);
    connect(txtDireccion_, &QLineEdit::returnPressed, this, [this] {
        if (tab_->aVisor()) tab_->aVisor()->CargarContenido(Nativa(txtDireccion_->text()));
    });
    tab_ = new frmMain(this, 1, this);
    setCentralWidget(tab_);
    CrearMenus();
    setWindowTitle(T(General, 0));
}

void frmAnfitrion::CrearMenus() {
    QMenu* archivo = menuBar()->addMenu(T(frmMainSec, 5));
    archivo->addAction(T(frmMainSec, 2), this, [this] {
        const cVisor* v = tab_->aVisor();
        tab_->AgregarVisor(v ? v->RutaActual() : std::string());
    });
    archivo->addAction(T(frmMainSec, 3), this, [this] { tab_->mnuXcerrarVisor_Click(); });
    archivo->addSeparator();
    archivo->addAction(T(frmMainSec, 4), this, &QWidget::close);

    QMenu* ver = menuBar()->addMenu(T(frmMainSec, 22));
    auto* modos = new QActionGroup(this);
    for (int modo = 0; modo <= 2; ++modo) {
        QAction* a = ver->addAction(T(frmMainSec, 36 + modo), this, [this, modo] {
            if (tab_->aVisor()) tab_->aVisor()->SetViewMode(modo);
        });
        a->setCheckable(true);
        a->setChecked(modo == Opciones().DefaultView);
        modos->addAction(a);
    }
    ver->addSeparator();
    QAction* arbol = ver->addAction(T(frmMainSec, 24), this, [this](bool marcado) {
        if (tab_->aVisor()) tab_->aVisor()->SetTreeVisible(marcado);
    });
    arbol->setCheckable(true);
    ver->addAction(T(frmMainSec, 25), this, [this] {
        if (tab_->aVisor()) tab_->aVisor()->Contenido().ActualizarContenido();
    });
}

void frmAnfitrion::Abrir(const QString& ruta) {
    tab_->CargarVisores(ruta.isEmpty() ? QDir::homePath() : ruta);
    cargada_ = true;
}

void frmAnfitrion::IrHistorial(int paso) {
    cVisor* v = tab_->aVisor();
    if (!v) return;
    v->Contenido().GoHistorial(v->Contenido().IndexHistorial() + paso);
}

bool frmAnfitrion::EsTabActual(const VentanaTab* tab) const { return tab == tab_ || !tab_; }

void frmAnfitrion::SetEstadoAtrasAdelante(int boton, bool habilitado) {
    (boton == 0 ? cmdAtras_ : cmdAdelante_)->setEnabled(habilitado);
}

void frmAnfitrion::SetTextoTab(const VentanaTab*, const QString& texto) {
    setWindowTitle(texto + " - " + T(General, 0));
}

void frmAnfitrion::SetDireccion(const QString& texto, bool editable) {
    txtDireccion_->setText(texto);
    txtDireccion_->setReadOnly(!editable);
}

}  // namespace quirvex
