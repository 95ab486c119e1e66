#include "properties/frm_info_qt.h"

#include <QCloseEvent>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "folder/rutas.h"
#include "folder/tabla_unidades.h"
#include "frame/accesibles_marco_qt.h"
#include "pane/formato_visor.h"
#include "platform/sistema_archivos.h"
#include "settings/idioma.h"

namespace quirvex {
namespace {

// The designed colours of the two hidden sample pictures the gradients run between.
const QColor kBlanco(255, 255, 255);
const QColor kGris(205, 214, 224);
constexpr int kMsProgreso = 100;

QString T(int seccion, int clave) { return QString::fromStdString(Texto(seccion, clave)); }
QString DeBytes(const std::string& s) { return QFile::decodeName(QByteArray::fromStdString(s)); }
QString Q(const std::string& s) { return QString::fromUtf8(s); }
std::string Separador() { return QLocale().decimalPoint().toStdString(); }
QString Numero(std::int64_t n) { return QString::number(n); }

// A caption of the list's header: the label's text without its colon.
QString Cabecera(int clave) {
    QString t = T(frmInfoSec, clave).trimmed();
    while (t.endsWith(QLatin1Char(':'))) t.chop(1);
    return t;
}

void PintarDegradado(QWidget& w) {
    QPainter p(&w);
    QLinearGradient g(0, 0, 0, w.height());
    g.setColorAt(0, kBlanco);
    g.setColorAt(1, kGris);
    p.fillRect(w.rect(), g);
}

// picC: the header strip with the title drawn over the gradient.
class Cabezal final : public QWidget {
public:
    explicit Cabezal(QWidget* padre) : QWidget(padre) { setFixedHeight(38); }
    void SetTexto(const QString& t) {
        texto_ = t;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        PintarDegradado(*this);
        QPainter p(this);
        QFont f = font();
        f.setBold(true);
        p.setFont(f);
        p.setPen(QColor(20, 40, 60));
        const QRect r = rect().adjusted(10, 0, -10, 0);
        p.drawText(r, Qt::AlignVCenter | Qt::AlignLeft,
                   p.fontMetrics().elidedText(texto_, Qt::ElideMiddle, r.width()));
    }

private:
    QString texto_;
};

// picUE: the usage bar, filled from its left edge over the used share.
class BarraUso final : public QWidget {
public:
    explicit BarraUso(QWidget* padre) : QWidget(padre) { setFixedHeight(18); }
    void SetFraccion(double f) {
        fraccion_ = std::clamp(f, 0.0, 1.0);
        SetValorBarra(this, fraccion_ * 100.0);
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const QRect r = rect().adjusted(0, 0, -1, -1);
        p.fillRect(r, QColor(236, 244, 236));
        QLinearGradient g(0, 0, 0, height());
        g.setColorAt(0, QColor(120, 170, 230));
        g.setColorAt(1, QColor(40, 100, 180));
        p.fillRect(QRect(r.left(), r.top(), static_cast<int>(r.width() * fraccion_), r.height()), g);
        p.setPen(QColor(90, 110, 130));
        p.drawRect(r);
    }

private:
    double fraccion_ = 0;
};

}  // namespace

// picU: the drive page; paints its gradient, title and volume lines, holds the label editor
// and the usage bar below them.
class PaginaUnidadQt final : public QWidget {
public:
    explicit PaginaUnidadQt(QWidget* padre) : QWidget(padre) {}
    void SetPagina(const PaginaUnidad* p) {
        pagina_ = p;
        update();
    }
    static constexpr int kAltoTextos = 96;

protected:
    void paintEvent(QPaintEvent*) override {
        PintarDegradado(*this);
        if (!pagina_) return;
        QPainter p(this);
        p.setPen(QColor(20, 40, 60));
        QFont f = font();
        f.setBold(true);
        f.setPointSizeF(f.pointSizeF() * 1.15);
        p.setFont(f);
        const int ancho = width() - 20;
        p.drawText(10, 22, p.fontMetrics().elidedText(Q(pagina_->titulo), Qt::ElideMiddle, ancho));
        p.setFont(font());
        int y = 44;
        for (const std::string* t : {&pagina_->lineaEtiqueta, &pagina_->lineaSistema, &pagina_->lineaSerie}) {
            p.drawText(10, y, p.fontMetrics().elidedText(Q(*t), Qt::ElideRight, ancho));
            y += 18;
        }
    }

private:
    const PaginaUnidad* pagina_ = nullptr;
};

frmInfo::frmInfo(QWidget* padre, bool embebido) : QWidget(padre), embebido_(embebido) {
    setObjectName(QStringLiteral("frmInfo"));
    Construir();
    SetIdioma();
    MostrarModo(Modo::Nada);
    if (!embebido_) resize(440, 500);
}

frmInfo::~frmInfo() { DetenerCalculo(); }

QWidget* frmInfo::picU() const { return picU_; }

void frmInfo::Construir() {
    auto* capas = new QVBoxLayout(this);
    capas->setContentsMargins(0, 0, 0, 0);
    capas->setSpacing(6);
    picC_ = new Cabezal(this);
    picC_->setObjectName(QStringLiteral("picC"));
    capas->addWidget(picC_);
    datos_ = ConstruirDatos();
    capas->addWidget(datos_);
    LISTA_ = new QTreeWidget(this);
    LISTA_->setObjectName(QStringLiteral("LISTA"));
    LISTA_->setRootIsDecorated(false);
    LISTA_->setUniformRowHeights(true);
    LISTA_->setColumnCount(4);
    LISTA_->header()->setStretchLastSection(false);
    LISTA_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    capas->addWidget(LISTA_, 1);
    capas->addWidget(ConstruirPaginaUnidad(), 1);
    tCalculo_ = new QTimer(this);
    tCalculo_->setInterval(kMsProgreso);
    connect(tCalculo_, &QTimer::timeout, this, [this] { MostrarProgreso(); });
}

QWidget* frmInfo::ConstruirDatos() {
    auto* w = new QWidget(this);
    auto* g = new QGridLayout(w);
    g->setContentsMargins(10, 0, 10, 0);
    auto caja = [w](const char* nombre) {
        auto* t = new QLineEdit(w);
        t->setObjectName(QLatin1String(nombre));
        t->setReadOnly(true);
        return t;
    };
    lblCU_ = new QLabel(w);
    lblCT_ = new QLabel(w);
    lblArchivos_ = new QLabel(w);
    lblCarpetas_ = new QLabel(w);
    txtCU_ = caja("txtCU");
    txtCT_ = caja("txtCT");
    txtARCHIVOS_ = caja("txtARCHIVOS");
    txtCARPETAS_ = caja("txtCARPETAS");
    lblCU_->setBuddy(txtCU_);
    lblCT_->setBuddy(txtCT_);
    lblArchivos_->setBuddy(txtARCHIVOS_);
    lblCarpetas_->setBuddy(txtCARPETAS_);
    g->addWidget(lblCU_, 0, 0);
    g->addWidget(txtCU_, 0, 1, 1, 3);
    g->addWidget(lblCT_, 1, 0);
    g->addWidget(txtCT_, 1, 1, 1, 3);
    g->addWidget(lblArchivos_, 2, 0);
    g->addWidget(txtARCHIVOS_, 2, 1);
    g->addWidget(lblCarpetas_, 2, 2);
    g->addWidget(txtCARPETAS_, 2, 3);
    cmdCalcular_ = new QPushButton(w);
    cmdCalcular_->setObjectName(QStringLiteral("cmdCalcular"));
    connect(cmdCalcular_, &QPushButton::clicked, this, [this] { cmdCalcular_Click(); });
    g->addWidget(cmdCalcular_, 3, 1, 1, 3);
    return w;
}

QWidget* frmInfo::ConstruirPaginaUnidad() {
    picU_ = new PaginaUnidadQt(this);
    picU_->setObjectName(QStringLiteral("picU"));
    auto* capas = new QVBoxLayout(picU_);
    capas->setContentsMargins(10, PaginaUnidadQt::kAltoTextos, 10, 10);
    auto* fila = new QHBoxLayout;
    lblEtiqueta_ = new QLabel(picU_);
    txtEtiqueta_ = new QLineEdit(picU_);
    txtEtiqueta_->setObjectName(QStringLiteral("txtEtiqueta"));
    connect(txtEtiqueta_, &QLineEdit::textChanged, this, [this] { txtEtiqueta_Change(); });
    connect(txtEtiqueta_, &QLineEdit::returnPressed, this, [this] { cmdSetLabel_Click(); });
    cmdSetLabel_ = new QPushButton(picU_);
    cmdSetLabel_->setObjectName(QStringLiteral("cmdSetLabel"));
    connect(cmdSetLabel_, &QPushButton::clicked, this, [this] { cmdSetLabel_Click(); });
    lblEtiqueta_->setBuddy(txtEtiqueta_);
    fila->addWidget(lblEtiqueta_);
    fila->addWidget(txtEtiqueta_, 1);
    fila->addWidget(cmdSetLabel_);
    capas->addLayout(fila);
    capas->addSpacing(8);
    picUE_ = new BarraUso(picU_);
    picUE_->setObjectName(QStringLiteral("picUE"));
    MarcarBarraValor(picUE_);
    capas->addWidget(picUE_);
    lblEtotal_ = new QLabel(picU_);
    lblElibre_ = new QLabel(picU_);
    lblEocupado_ = new QLabel(picU_);
    lblEtotal_->setObjectName(QStringLiteral("lblEtotal"));
    lblElibre_->setObjectName(QStringLiteral("lblElibre"));
    lblEocupado_->setObjectName(QStringLiteral("lblEocupado"));
    for (QLabel* l : {lblEtotal_, lblElibre_, lblEocupado_}) capas->addWidget(l);
    capas->addStretch(1);
    return picU_;
}

void frmInfo::SetIdioma() {
    setWindowTitle(T(frmInfoSec, 0));
    lblCU_->setText(T(frmInfoSec, 1));
    lblCT_->setText(T(frmInfoSec, 2));
    lblArchivos_->setText(T(frmInfoSec, 3));
    lblCarpetas_->setText(T(frmInfoSec, 4));
    cmdSetLabel_->setText(T(frmInfoSec, 5));
    cmdCalcular_->setText(T(frmInfoSec, 6));
    lblEtiqueta_->setText(T(frmInfoSec, 7));
    LISTA_->setHeaderLabels({T(General, 64), Cabecera(3), Cabecera(4), Cabecera(2)});
    LISTA_->setAccessibleName(Cabecera(4));
    picUE_->setAccessibleName(T(frmInfoSec, 13).remove(QLatin1Char(':')));
}

void frmInfo::MostrarModo(Modo modo) {
    modo_ = modo;
    const bool carpeta = modo == Modo::Carpeta;
    datos_->setVisible(modo == Modo::Archivo || carpeta);
    for (QWidget* w : std::initializer_list<QWidget*>{lblArchivos_, lblCarpetas_, txtARCHIVOS_,
                                                      txtCARPETAS_, cmdCalcular_, LISTA_})
        w->setVisible(carpeta);
    picU_->setVisible(modo == Modo::Unidad);
}

void frmInfo::SetTitulo(const QString& titulo) {
    titulo_ = titulo;
    // Assistive tools name the window after the item it describes.
    setAccessibleName(titulo.isEmpty() ? windowTitle() : titulo);
    static_cast<Cabezal*>(picC_)->SetTexto(titulo);
}

void frmInfo::CargarArchivo(const std::string& ruta) {
    DetenerCalculo();
    ruta_ = ruta;
    SetTitulo(DeBytes(TituloArchivo(NombreDe(ruta))));
    const std::string carpeta = CarpetaDe(ruta);
    txtCU_->setText(DeBytes(carpeta.empty() ? std::string("/") : carpeta));
    const auto e = Archivos().Consultar(ruta);
    txtCT_->setText(e ? Q(FormatearTamano(e->tamano, 0, Separador())) : QStringLiteral("-"));
    MostrarModo(Modo::Archivo);
}

void frmInfo::CargarCarpeta(const std::string& ruta) {
    DetenerCalculo();
    ruta_ = AgregarBarra(ruta);
    const std::string nombre = NombreDe(ruta_);
    SetTitulo(DeBytes(TituloCarpeta(nombre.empty() ? ruta_ : nombre)));
    const std::string carpeta = CarpetaDe(ruta_);
    txtCU_->setText(DeBytes(carpeta.empty() ? std::string("/") : carpeta));
    txtCT_->setText(T(frmInfoSec, 14));
    txtARCHIVOS_->clear();
    txtCARPETAS_->clear();
    LISTA_->clear();
    MostrarModo(Modo::Carpeta);
}

void frmInfo::CargarUnidad(const std::string& raiz) {
    DetenerCalculo();
    ruta_ = AgregarBarra(raiz);
    pagina_ = CargarPaginaUnidad(ruta_, Separador());
    MostrarPaginaUnidad();
    MostrarModo(Modo::Unidad);
}

void frmInfo::MostrarPaginaUnidad() {
    SetTitulo(Q(pagina_.titulo));
    picU_->SetPagina(&pagina_);
    const QString etiqueta = Q(pagina_.etiqueta);
    txtEtiqueta_->setProperty("tag", etiqueta);
    txtEtiqueta_->setText(etiqueta);
    txtEtiqueta_->setReadOnly(!pagina_.renombrable);
    cmdSetLabel_->setVisible(pagina_.renombrable);
    txtEtiqueta_Change();
    lblEtotal_->setText(Q(pagina_.total));
    lblElibre_->setText(Q(pagina_.libre));
    lblEocupado_->setText(Q(pagina_.usado));
    static_cast<BarraUso*>(picUE_)->SetFraccion(pagina_.fraccionUsada);
    // The drawn lines, for assistive tools.
    picU_->setAccessibleName(Q(pagina_.titulo));
    picU_->setAccessibleDescription(
        QStringList{Q(pagina_.lineaEtiqueta), Q(pagina_.lineaSistema), Q(pagina_.lineaSerie)}.join(QStringLiteral("\n")));
}

void frmInfo::Vaciar() {
    DetenerCalculo();
    ruta_.clear();
    SetTitulo(QString());
    MostrarModo(Modo::Nada);
}

void frmInfo::Cargar(const std::string& ruta, bool esUnidad) {
    if (esUnidad) {
        CargarUnidad(ruta);
        return;
    }
    const auto e = Archivos().Consultar(ruta);
    if (e && (e->atributos & ATR_DIRECTORIO))
        CargarCarpeta(ruta);
    else
        CargarArchivo(ruta);
}

void frmInfo::txtEtiqueta_Change() {
    cmdSetLabel_->setEnabled(txtEtiqueta_->text() != txtEtiqueta_->property("tag").toString());
}

void frmInfo::cmdSetLabel_Click() {
    if (modo_ != Modo::Unidad || !pagina_.renombrable || !cmdSetLabel_->isEnabled()) return;
    const std::string nuevo = txtEtiqueta_->text().toStdString();
    if (!CambiarEtiquetaUnidad(ruta_, nuevo, oyente_)) return;  // the typed text stays
    pagina_.etiqueta = nuevo;
    pagina_.lineaEtiqueta = nuevo;
    pagina_.titulo = EtiquetaUnidad(ruta_).empty() ? pagina_.titulo : EtiquetaUnidad(ruta_);
    SetTitulo(Q(pagina_.titulo));
    picU_->update();
    txtEtiqueta_->setProperty("tag", txtEtiqueta_->text());
    txtEtiqueta_Change();
}

// The tally.

void frmInfo::cmdCalcular_Click() {
    if (modo_ != Modo::Carpeta) return;
    if (calculo_) {  // a second press stops it
        DetenerCalculo();
        CargarCarpeta(ruta_);
        return;
    }
    const std::uint64_t generacion = ++generacion_;
    calculo_ = std::make_unique<Calculo>();
    Calculo* c = calculo_.get();
    txtARCHIVOS_->setText(QStringLiteral("0"));
    txtCARPETAS_->setText(QStringLiteral("0"));
    LISTA_->clear();
    MostrarProgreso();
    tCalculo_->start();
    c->hilo = std::thread([this, c, generacion, ruta = ruta_] {
        OpcionesCalculo o;
        o.cancelar = &c->cancelar;
        o.contadores = &c->contadores;
        auto r = std::make_shared<ResultadoCalculo>(CalcularCarpeta(ruta, o));
        if (r->cancelado) return;
        // Queued to the window's thread; the window joins this thread before it goes, and
        // Qt drops what is still queued for a window that is gone.
        QMetaObject::invokeMethod(this, [this, generacion, r] { CalculoTerminado(generacion, *r); },
                                  Qt::QueuedConnection);
    });
}

void frmInfo::DetenerCalculo() {
    ++generacion_;  // whatever is still on its way belongs to the item before
    if (tCalculo_) tCalculo_->stop();
    if (!calculo_) return;
    calculo_->cancelar = true;
    if (calculo_->hilo.joinable()) calculo_->hilo.join();
    calculo_.reset();
}

void frmInfo::MostrarProgreso() {
    if (!calculo_) return;
    const ContadoresCalculo& c = calculo_->contadores;
    txtCT_->setText(T(frmInfoSec, 14) + QLatin1Char(' ') +
                    Q(FormatearTamano(c.tamano.load(), 0, Separador())));
    txtARCHIVOS_->setText(Numero(c.archivos.load()));
    txtCARPETAS_->setText(Numero(c.carpetas.load()));
}

void frmInfo::CalculoTerminado(std::uint64_t generacion, const ResultadoCalculo& r) {
    if (generacion != generacion_ || !calculo_) return;
    tCalculo_->stop();
    if (calculo_->hilo.joinable()) calculo_->hilo.join();
    calculo_.reset();
    txtARCHIVOS_->setText(Numero(r.archivos));
    txtCARPETAS_->setText(Numero(r.carpetas));
    txtCT_->setText(Q(FormatearTamano(r.tamano, 0, Separador())));
    LlenarLista(r);
}

void frmInfo::LlenarLista(const ResultadoCalculo& r) {
    LISTA_->setUpdatesEnabled(false);
    LISTA_->clear();
    QList<QTreeWidgetItem*> filas;
    filas.reserve(static_cast<qsizetype>(r.subcarpetas.size()));
    const std::string sep = Separador();
    for (const RegistroSubcarpeta& s : r.subcarpetas) {
        auto* fila = new QTreeWidgetItem(QStringList{DeBytes(s.nombre), Numero(s.archivos), Numero(s.carpetas),
                                          Q(FormatearTamano(s.tamano, 0, sep))});
        for (int k = 1; k < 4; ++k) fila->setTextAlignment(k, Qt::AlignRight | Qt::AlignVCenter);
        filas.push_back(fila);
    }
    LISTA_->addTopLevelItems(filas);
    LISTA_->setUpdatesEnabled(true);
}

// Closing.

void frmInfo::Form_KeyDown(int tecla) {
    if (tecla != Qt::Key_Escape) return;
    if (embebido_) {
        if (calculo_) cmdCalcular_Click();
        return;
    }
    close();
}

void frmInfo::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape) {
        Form_KeyDown(e->key());
        return;
    }
    QWidget::keyPressEvent(e);
}

void frmInfo::closeEvent(QCloseEvent* e) {
    DetenerCalculo();
    QWidget::closeEvent(e);
}

frmInfo* MostrarPropiedades(QWidget* padre, const std::string& ruta, bool esUnidad,
                            OyenteCambios* oyente) {
    auto* f = new frmInfo(padre);
    f->setWindowFlag(Qt::Window);
    f->setAttribute(Qt::WA_DeleteOnClose);
    f->SetOyente(oyente);
    f->Cargar(ruta, esUnidad);
    f->show();
    f->raise();
    f->activateWindow();
    return f;
}

}  // namespace quirvex
