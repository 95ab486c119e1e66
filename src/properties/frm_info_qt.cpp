#include "properties/frm_info_qt.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QFile>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMimeDatabase>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "folder/rutas.h"
#include "folder/texto_una_linea.h"
#include "folder/tabla_unidades.h"
#include "frame/accesibles_marco_qt.h"
#include "pane/formato_visor.h"
#include "platform/etiquetas_udisks_qt.h"
#include "platform/sistema_archivos.h"
#include "settings/idioma.h"

namespace quirvex {
namespace {

// The designed colours of the two hidden sample pictures the gradients run between.
const QColor kBlanco(255, 255, 255);
const QColor kGris(205, 214, 224);
constexpr int kMsProgreso = 100;

QString T(int seccion, int clave) { return QString::fromStdString(Texto(seccion, clave)); }
// A name or path as shown on one line: control characters as visible marks.
QString DeBytes(const std::string& s) { return QFile::decodeName(QByteArray::fromStdString(EnUnaLinea(s))); }
QString Q(const std::string& s) { return QString::fromUtf8(s); }
std::string Separador() { return QLocale().decimalPoint().toStdString(); }

QString Hora(std::int64_t segundos) {
    return QDateTime::fromSecsSinceEpoch(segundos).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

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
        p.drawText(10, 22, p.fontMetrics().elidedText(Q(EnUnaLinea(pagina_->titulo)), Qt::ElideMiddle, ancho));
        p.setFont(font());
        int y = 44;
        for (const std::string* t : {&pagina_->lineaEtiqueta, &pagina_->lineaSistema, &pagina_->lineaSerie}) {
            p.drawText(10, y, p.fontMetrics().elidedText(Q(EnUnaLinea(*t)), Qt::ElideRight, ancho));
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
    capas_ = new QVBoxLayout(this);
    capas_->setContentsMargins(0, 0, 0, 0);
    capas_->setSpacing(6);
    picC_ = new Cabezal(this);
    picC_->setObjectName(QStringLiteral("picC"));
    capas_->addWidget(picC_);
    datos_ = ConstruirDatos();
    capas_->addWidget(datos_);
    LISTA_ = new QTreeWidget(this);
    LISTA_->setObjectName(QStringLiteral("LISTA"));
    LISTA_->setRootIsDecorated(false);
    LISTA_->setUniformRowHeights(true);
    LISTA_->setColumnCount(4);
    LISTA_->setTextElideMode(Qt::ElideMiddle);
    // The name takes the width the numbers leave; the numbers are always whole, so the list
    // never needs a horizontal scroll bar.
    LISTA_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QHeaderView* cabecera = LISTA_->header();
    cabecera->setStretchLastSection(false);
    cabecera->setMinimumSectionSize(24);
    cabecera->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int k = 1; k < 4; ++k) cabecera->setSectionResizeMode(k, QHeaderView::ResizeToContents);
    capas_->addWidget(LISTA_, 1);
    capas_->addWidget(ConstruirPaginaUnidad(), 1);
    // Takes the height the page leaves when no list or drive page is there to take it.
    capas_->addStretch(0);
    indiceRelleno_ = capas_->count() - 1;
    tCalculo_ = new QTimer(this);
    tCalculo_->setInterval(kMsProgreso);
    connect(tCalculo_, &QTimer::timeout, this, [this] { MostrarProgreso(); });
}

QLineEdit* frmInfo::AgregarFila(QLabel*& etiqueta, const char* nombre) {
    etiqueta = new QLabel(datos_);
    auto* caja = new QLineEdit(datos_);
    caja->setObjectName(QLatin1String(nombre));
    caja->setReadOnly(true);
    etiqueta->setBuddy(caja);
    formulario_->addRow(etiqueta, caja);
    return caja;
}

QWidget* frmInfo::ConstruirDatos() {
    datos_ = new QWidget(this);
    auto* capas = new QVBoxLayout(datos_);
    capas->setContentsMargins(10, 0, 10, 0);
    formulario_ = new QFormLayout;
    // Labels beside their values at every width and in every language.
    formulario_->setRowWrapPolicy(QFormLayout::DontWrapRows);
    formulario_->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    formulario_->setLabelAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    capas->addLayout(formulario_);
    txtCU_ = AgregarFila(lblCU_, "txtCU");
    txtCT_ = AgregarFila(lblCT_, "txtCT");
    txtARCHIVOS_ = AgregarFila(lblArchivos_, "txtARCHIVOS");
    txtCARPETAS_ = AgregarFila(lblCarpetas_, "txtCARPETAS");
    txtTipo_ = AgregarFila(lblTipo_, "txtTipo");
    txtModificado_ = AgregarFila(lblModificado_, "txtModificado");
    txtAccedido_ = AgregarFila(lblAccedido_, "txtAccedido");
    txtCreado_ = AgregarFila(lblCreado_, "txtCreado");
    txtPropietario_ = AgregarFila(lblPropietario_, "txtPropietario");
    txtGrupo_ = AgregarFila(lblGrupo_, "txtGrupo");
    txtPermisos_ = AgregarFila(lblPermisos_, "txtPermisos");
    txtDestino_ = AgregarFila(lblDestino_, "txtDestino");
    lblAviso_ = new QLabel(datos_);
    lblAviso_->setObjectName(QStringLiteral("lblAvisoCalculo"));
    lblAviso_->setWordWrap(true);
    capas->addWidget(lblAviso_);
    cmdCalcular_ = new QPushButton(datos_);
    cmdCalcular_->setObjectName(QStringLiteral("cmdCalcular"));
    connect(cmdCalcular_, &QPushButton::clicked, this, [this] { cmdCalcular_Click(); });
    capas->addWidget(cmdCalcular_);
    return datos_;
}

QLabel* frmInfo::EtiquetaDe(const QWidget* caja) const {
    for (QLabel* l : datos_->findChildren<QLabel*>())
        if (l->buddy() == caja) return l;
    return nullptr;
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
    lblEtiqueta_->setBuddy(txtEtiqueta_);
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
    const std::pair<QLabel*, int> etiquetas[] = {
        {lblCU_, 1},           {lblCT_, 2},          {lblArchivos_, 3},   {lblCarpetas_, 4},
        {lblEtiqueta_, 7},     {lblTipo_, 185},      {lblModificado_, 186}, {lblAccedido_, 187},
        {lblCreado_, 188},     {lblPropietario_, 189}, {lblGrupo_, 190},  {lblPermisos_, 191},
        {lblDestino_, 192}};
    for (const auto& [l, clave] : etiquetas) l->setText(T(frmInfoSec, clave));
    cmdSetLabel_->setText(T(frmInfoSec, 5));
    cmdCalcular_->setText(T(frmInfoSec, calculo_ ? 180 : 6));
    LISTA_->setHeaderLabels({T(General, 64), Cabecera(3), Cabecera(4), Cabecera(2)});
    for (int k = 1; k < 4; ++k) LISTA_->headerItem()->setTextAlignment(k, Qt::AlignRight | Qt::AlignVCenter);
    LISTA_->setAccessibleName(Cabecera(4));
    picUE_->setAccessibleName(T(frmInfoSec, 13).remove(QLatin1Char(':')));
}

void frmInfo::MostrarModo(Modo modo) {
    modo_ = modo;
    const bool carpeta = modo == Modo::Carpeta;
    const bool archivo = modo == Modo::Archivo;
    picC_->setVisible(modo != Modo::Nada);
    datos_->setVisible(archivo || carpeta);
    for (QWidget* w : {txtARCHIVOS_, txtCARPETAS_}) formulario_->setRowVisible(w, carpeta);
    for (QWidget* w : {txtTipo_, txtModificado_, txtAccedido_, txtCreado_, txtPropietario_, txtGrupo_, txtPermisos_})
        formulario_->setRowVisible(w, archivo);
    formulario_->setRowVisible(txtDestino_, archivo && !txtDestino_->text().isEmpty());
    cmdCalcular_->setVisible(carpeta);
    LISTA_->setVisible(carpeta);
    if (!carpeta) lblAviso_->hide();
    picU_->setVisible(modo == Modo::Unidad);
    capas_->setStretch(indiceRelleno_, carpeta || modo == Modo::Unidad ? 0 : 1);
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
    LlenarDetallesArchivo(ruta);
    MostrarModo(Modo::Archivo);
}

void frmInfo::LlenarDetallesArchivo(const std::string& ruta) {
    const auto d = Archivos().Detalles(ruta);
    const QString nada = QStringLiteral("-");
    const QMimeType tipo = QMimeDatabase().mimeTypeForFile(QFile::decodeName(QByteArray::fromStdString(ruta)));
    txtTipo_->setText(tipo.isValid() ? tipo.comment() + QStringLiteral(" (") + tipo.name() + QLatin1Char(')') : nada);
    txtModificado_->setText(d ? Hora(d->modificado) : nada);
    txtAccedido_->setText(d ? Hora(d->accedido) : nada);
    txtCreado_->setText(d && d->hayCreacion ? Hora(d->creado) : nada);
    txtPropietario_->setText(d ? Q(TextoCuenta(d->propietario, d->uid)) : nada);
    txtGrupo_->setText(d ? Q(TextoCuenta(d->grupo, d->gid)) : nada);
    txtPermisos_->setText(d ? Q(TextoPermisos(d->modo) + "  (" + OctalPermisos(d->modo) + ")") : nada);
    txtDestino_->setText(d && d->enlace ? DeBytes(d->destino) : QString());
    for (QLineEdit* t : {txtCU_, txtDestino_}) t->setCursorPosition(0);
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
    MostrarAviso(QString());
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
    SetTitulo(Q(EnUnaLinea(pagina_.titulo)));
    picU_->SetPagina(&pagina_);
    const QString etiqueta = Q(pagina_.etiqueta);
    txtEtiqueta_->setProperty("tag", etiqueta);
    txtEtiqueta_->setText(etiqueta);
    txtEtiqueta_->setReadOnly(!pagina_.renombrable || etiquetaPendiente_);
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
    cmdSetLabel_->setEnabled(!etiquetaPendiente_ &&
                             txtEtiqueta_->text() != txtEtiqueta_->property("tag").toString());
}

void frmInfo::cmdSetLabel_Click() {
    if (modo_ != Modo::Unidad || !pagina_.renombrable || !cmdSetLabel_->isEnabled()) return;
    const std::string nuevo = txtEtiqueta_->text().toStdString();
    const std::string raiz = ruta_;
    QPointer<frmInfo> yo(this);
    // The window may be gone, or show another drive, by the time the service answers.
    auto alTerminar = [yo, raiz, nuevo](bool cambiada) {
        if (yo && yo->etiquetaPendiente_) yo->EtiquetaRespondida(raiz == yo->ruta_ ? nuevo : std::string(), cambiada);
    };
    InstalarEtiquetasUdisks();
    etiquetaPendiente_ = true;
    txtEtiqueta_->setReadOnly(true);
    txtEtiqueta_Change();
    if (!CambiarEtiquetaUnidad(raiz, nuevo, oyente_, alTerminar) && etiquetaPendiente_)
        EtiquetaRespondida(std::string(), false);  // refused before asking: the typed text stays
}

void frmInfo::EtiquetaRespondida(const std::string& nueva, bool cambiada) {
    etiquetaPendiente_ = false;
    txtEtiqueta_->setReadOnly(modo_ != Modo::Unidad || !pagina_.renombrable);
    if (cambiada && !nueva.empty() && modo_ == Modo::Unidad) {
        pagina_.etiqueta = nueva;
        pagina_.lineaEtiqueta = nueva;
        if (!EtiquetaUnidad(ruta_).empty()) pagina_.titulo = EtiquetaUnidad(ruta_);
        SetTitulo(Q(EnUnaLinea(pagina_.titulo)));
        picU_->update();
        txtEtiqueta_->setProperty("tag", Q(nueva));
    }
    txtEtiqueta_Change();
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
