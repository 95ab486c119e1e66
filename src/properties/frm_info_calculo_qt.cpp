// The properties window's folder tally: started and stopped by "Calculate size of folder", run
// on a thread of its own, shown while it runs and when it ends, stops or cannot read.

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include "folder/texto_una_linea.h"
#include "pane/formato_visor.h"
#include "properties/frm_info_qt.h"
#include "settings/idioma.h"

namespace quirvex {
namespace {

QString T(int clave) { return QString::fromStdString(Texto(frmInfoSec, clave)); }
QString Tamano(std::int64_t n) {
    return QString::fromStdString(FormatearTamano(n, 0, QLocale().decimalPoint().toStdString()));
}
QString Numero(std::int64_t n) { return QString::number(n); }
QString Nombre(const std::string& s) { return QFile::decodeName(QByteArray::fromStdString(EnUnaLinea(s))); }

}  // namespace

void frmInfo::cmdCalcular_Click() {
    if (modo_ != Modo::Carpeta) return;
    if (calculo_)
        DetenerYMostrarParcial();
    else
        IniciarCalculo();
}

void frmInfo::IniciarCalculo() {
    const std::uint64_t generacion = ++generacion_;
    calculo_ = std::make_unique<Calculo>();
    Calculo* c = calculo_.get();
    txtARCHIVOS_->setText(QStringLiteral("0"));
    txtCARPETAS_->setText(QStringLiteral("0"));
    LISTA_->clear();
    MostrarAviso(QString());
    cmdCalcular_->setText(T(180));
    MostrarProgreso();
    tCalculo_->start();
    c->hilo = std::thread([this, c, generacion, ruta = ruta_] {
        OpcionesCalculo o;
        o.cancelar = &c->cancelar;
        o.contadores = &c->contadores;
        c->resultado = CalcularCarpeta(ruta, o);
        if (c->resultado.cancelado) return;
        c->terminado = true;
        // Queued to the window's thread; the window joins this thread before it goes, and
        // Qt drops what is still queued for a window that is gone.
        QMetaObject::invokeMethod(this, [this, generacion] { CalculoTerminado(generacion); },
                                  Qt::QueuedConnection);
    });
}

void frmInfo::DetenerCalculo() {
    ++generacion_;  // whatever is still on its way belongs to the item before
    if (tCalculo_) tCalculo_->stop();
    if (cmdCalcular_) cmdCalcular_->setText(T(6));
    if (!calculo_) return;
    calculo_->cancelar = true;
    if (calculo_->hilo.joinable()) calculo_->hilo.join();
    calculo_.reset();
}

// The user stopped it: the numbers so far stay, marked as partial. A tally that ended just
// before the stop shows its whole result instead.
void frmInfo::DetenerYMostrarParcial() {
    calculo_->cancelar = true;
    if (calculo_->hilo.joinable()) calculo_->hilo.join();
    const std::unique_ptr<Calculo> c = std::move(calculo_);
    DetenerCalculo();
    if (c->terminado) {
        MostrarResultado(c->resultado);
        return;
    }
    const ContadoresCalculo& n = c->contadores;
    txtARCHIVOS_->setText(Numero(n.archivos.load()));
    txtCARPETAS_->setText(Numero(n.carpetas.load()));
    txtCT_->setText(Tamano(n.tamano.load()) + QLatin1Char(' ') + T(181));
    MostrarAviso(T(194));
}

void frmInfo::MostrarProgreso() {
    if (!calculo_) return;
    const ContadoresCalculo& c = calculo_->contadores;
    txtCT_->setText(T(14) + QLatin1Char(' ') + Tamano(c.tamano.load()));
    txtARCHIVOS_->setText(Numero(c.archivos.load()));
    txtCARPETAS_->setText(Numero(c.carpetas.load()));
}

void frmInfo::CalculoTerminado(std::uint64_t generacion) {
    if (generacion != generacion_ || !calculo_) return;
    if (calculo_->hilo.joinable()) calculo_->hilo.join();
    const std::unique_ptr<Calculo> c = std::move(calculo_);
    DetenerCalculo();
    MostrarResultado(c->resultado);
}

void frmInfo::MostrarResultado(const ResultadoCalculo& r) {
    if (!r.existe) {
        const QString nada = QStringLiteral("-");
        for (QLineEdit* t : {txtARCHIVOS_, txtCARPETAS_, txtCT_}) t->setText(nada);
        LISTA_->clear();
        MostrarAviso(T(184));
        return;
    }
    txtARCHIVOS_->setText(Numero(r.archivos));
    txtCARPETAS_->setText(Numero(r.carpetas));
    txtCT_->setText(r.completo ? Tamano(r.tamano) : Tamano(r.tamano) + QLatin1Char(' ') + T(182));
    MostrarAviso(r.completo ? QString() : T(183));
    LlenarLista(r);
}

void frmInfo::MostrarAviso(const QString& texto) {
    lblAviso_->setText(texto);
    lblAviso_->setVisible(!texto.isEmpty() && modo_ == Modo::Carpeta);
}

void frmInfo::LlenarLista(const ResultadoCalculo& r) {
    LISTA_->setUpdatesEnabled(false);
    LISTA_->clear();
    QList<QTreeWidgetItem*> filas;
    filas.reserve(static_cast<qsizetype>(r.subcarpetas.size()));
    for (const RegistroSubcarpeta& s : r.subcarpetas) {
        auto* fila = new QTreeWidgetItem(
            QStringList{Nombre(s.nombre), Numero(s.archivos), Numero(s.carpetas), Tamano(s.tamano)});
        for (int k = 1; k < 4; ++k) fila->setTextAlignment(k, Qt::AlignRight | Qt::AlignVCenter);
        filas.push_back(fila);
    }
    LISTA_->addTopLevelItems(filas);
    LISTA_->setUpdatesEnabled(true);
}

}  // namespace quirvex
