#include "frame/frm_ini_qt.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStandardPaths>
#include <QVBoxLayout>

#include "platform/dialogos.h"
#include "settings/almacen_registro.h"
#include "settings/fuente_especial_qt.h"
#include "settings/idioma.h"
#include "settings/opciones.h"
#include "settings/traduccion_qt.h"

namespace quirvex {
namespace {

const QString kFuenteEspecial = QStringLiteral("Segoe UI");
// The index server beside the program, started on the first run when no server answers.
const QString kServidor = QStringLiteral("kartoserv");

QString T(int seccion, int clave) { return QString::fromStdString(Texto(seccion, clave)); }

}  // namespace

frmINI::frmINI(bool sinPreguntas, QWidget* padre)
    : QWidget(padre, Qt::Dialog),
      sinPreguntas_(sinPreguntas),
      lbl_(new QLabel(this)),
      cboIdioma_(new QComboBox(this)),
      cmdAceptar_(new QPushButton(this)) {
    setObjectName("frmINI");
    auto* capas = new QVBoxLayout(this);
    capas->setContentsMargins(16, 16, 16, 16);
    capas->addWidget(lbl_);
    capas->addWidget(cboIdioma_);
    capas->addWidget(cmdAceptar_, 0, Qt::AlignRight);
    cboIdioma_->hide();
    cmdAceptar_->hide();
    setMinimumWidth(320);
    connect(cboIdioma_, &QComboBox::currentIndexChanged, this, [this](int i) { cboIdioma_Click(i); });
    connect(cmdAceptar_, &QPushButton::clicked, this, [this] { cmdAceptar_Click(); });
}

bool frmINI::Form_Load() {
    const int indice = RegLeerDword(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Language", -1);
    RegistroOpciones& o = Opciones();
    if (CargarIdiomaInicial(indice, o.ExternalLanguage, o.ExternalLanguageFile)) {
        idioma_ = o.Language = indice;
        AplicarTextoMiPC();
        IniciarCarga();
        return false;
    }
    PrimeraVez_ = true;
    const int elegido = IndiceIdiomaSugerido();
    {
        const QSignalBlocker bloqueo(cboIdioma_);
        cboIdioma_->clear();
        for (const IdiomaIncorporado& i : IdiomasIncorporados())
            cboIdioma_->addItem(QString::fromUtf8(i.nombre.data(), static_cast<qsizetype>(i.nombre.size())));
        cboIdioma_->setCurrentIndex(elegido);
    }
    cboIdioma_Click(elegido);
    if (sinPreguntas_) {
        o.Language = idioma_;
        IniciarCarga();
        return false;
    }
    cboIdioma_->show();
    cmdAceptar_->show();
    show();
    return true;
}

void frmINI::cboIdioma_Click(int indice) {
    if (!CargarIdiomaIncorporado(indice)) return;
    idioma_ = indice;
    AplicarTextoMiPC();
    lbl_->setText(T(General, 62));
    setWindowTitle(T(General, 0));
    cmdAceptar_->setText(T(General, 22));
}

void frmINI::cmdAceptar_Click() {
    cmdAceptar_->hide();
    cboIdioma_->hide();
    lbl_->setText(T(frmINISec, 0));
    // Stored before anything else, so a run that stops later does not ask again.
    RegEscribirDword(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Language", idioma_);
    Opciones().Language = idioma_;
    IniciarCarga();
}

void frmINI::IniciarCarga() {
    AplicarTraduccionQt();  // the buttons of the questions below are Qt's
    setWindowTitle(T(frmINISec, 0));
    lbl_->setText(T(frmINISec, 1));
    // The common-controls library has no counterpart here: nothing to install.
    hide();
    if (!sinPreguntas_) OfrecerFuenteEspecial();
    lbl_->setText(T(frmINISec, 2));
    hWndServidor_ = buscarServidor_ ? buscarServidor_() : 0;
    if (!sinPreguntas_) {
        show();
        QCoreApplication::processEvents();
    }
    if (cargarMarco_) marco_ = cargarMarco_();
    if (hWndServidor_ == 0 && PrimeraVez_) {
        if (iniciarServidor_) iniciarServidor_();
    }
    else if (hWndServidor_ != 0 && registrarServidor_)
        registrarServidor_(hWndServidor_);
    if (marco_) marco_->show();
    hide();
    // Hidden for the rest of the run: without its window it leaves the list of windows that
    // assistive tools read out.
    destroy();
}

QString frmINI::CarpetaFuentes() {
    const QString datos = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return datos.isEmpty() ? QString() : datos + QStringLiteral("/fonts");
}

bool frmINI::FuenteEspecialInstalada() { return QFontDatabase::hasFamily(kFuenteEspecial); }

void frmINI::OfrecerFuenteEspecial() {
    QFont f = lbl_->font();
    f.setFamily(kFuenteEspecial);
    lbl_->setFont(f);
    const QString real = QFontInfo(lbl_->font()).family();
    // Without an address to fetch it from, Yes could only fail: the question is not asked.
    if (CarpetaFuentes().isEmpty() || real == kFuenteEspecial || Opciones().SpecialFontAddress.empty() ||
        RegLeerDword(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Check SpecialFont", 1) != 1)
        return;
    switch (DialogosSistema().Mensaje(Texto(General, 5) + "\n\n" + Texto(General, 61), Texto(General, 6),
                                      Botones::SiNoCancelar, IconoMensaje::Informacion)) {
        case Respuesta::Si:
            show();
            QCoreApplication::processEvents();
            InstalarFuenteInicio(ServicioFuentesPrograma(), Opciones().SpecialFontAddress);
            break;
        case Respuesta::No:
            RegEscribirDword(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Check SpecialFont", 0);
            Opciones().CheckSpecialFont = 0;
            break;
        default: break;
    }
}

void frmINI::LanzarServidorJunto() {
    const QString ruta = QDir(QCoreApplication::applicationDirPath()).filePath(kServidor);
    if (!QFileInfo(ruta).isExecutable()) return;
    // The server outlives the program and keeps its own log: it must not hold on to the
    // terminal or to a pipe the program was started with (a shell would wait on it forever).
    QProcess servidor;
    servidor.setProgram(ruta);
    servidor.setStandardInputFile(QProcess::nullDevice());
    servidor.setStandardOutputFile(QProcess::nullDevice());
    servidor.setStandardErrorFile(QProcess::nullDevice());
    servidor.startDetached();
}

void frmINI::closeEvent(QCloseEvent* e) {
    if (PermitirCerrar)
        e->accept();
    else
        e->ignore();
}

}  // namespace quirvex
