#include "operations/frm_operaciones_qt.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QLinearGradient>
#include <QLocale>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

#include "operations/operaciones_extra.h"
#include "platform/dialogos.h"
#include "settings/idioma.h"

namespace quirvex {
namespace {

QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
QString T(int seccion, int clave) { return Q(Texto(seccion, clave)); }

constexpr int ALTO_PANEL = 58;
constexpr int ANCHO_BOTON = 84;
constexpr int ANCHO_BARRA = 180;
const QColor ROJO_SELECCIONADO(216, 0, 0);
const QColor ROJO(192, 0, 0);

bool Terminada(const Operacion& op) {
    return op.Estado == ESTADO_TERMINADA || op.Estado == ESTADO_CANCELADA;
}

int ClaveTipo(std::int32_t tipo) {
    switch (tipo) {
        case TIPO_MOVER: return 7;
        case TIPO_BORRAR: return 8;
        case TIPO_PAPELERA: return 200;
        default: return 6;
    }
}

// "Copy from /a/ to /b/", with the error note apart so it can be drawn in red; an undo names
// the kind of what it undoes.
QString TextoTitulo(const Operacion& op) {
    if (op.Tipo == TIPO_DESHACER) {
        Operacion otra = op;
        otra.Tipo = op.Deshace >= 0 ? op.TipoDeshecho : TIPO_COPIAR;
        return T(frmOperations, 201) + TextoTitulo(otra);
    }
    QString t = T(frmOperations, ClaveTipo(op.Tipo)) + Q(op.Origen);
    if (op.Tipo != TIPO_BORRAR && op.Tipo != TIPO_PAPELERA) t += T(frmOperations, 9) + Q(op.Destino);
    return t;
}

QString NotaErrores(const Operacion& op) {
    if (op.NumErrores <= 0) return {};
    if (op.NumErrores == 1) return QStringLiteral(" ") + T(General, 37);
    return QStringLiteral(" (%1 ").arg(op.NumErrores) + T(General, 38) + QStringLiteral(")");
}

QString LineaTiempos(const Operacion& op) {
    QString t = T(frmOperations, 10) + TextoFecha(op.Creada);
    if (op.Estado != ESTADO_ESPERANDO && op.Iniciada > 0)
        t += QStringLiteral(", ") + T(frmOperations, 11) + TextoFecha(op.Iniciada);
    return t;
}

QString LineaEstado(const Operacion& op) {
    switch (op.Estado) {
        case ESTADO_ESPERANDO:
            if (op.Programada > 0) return T(frmOperations, 12) + TextoFecha(op.Programada);
            return T(General, 39);
        case ESTADO_TERMINADA:
            return T(frmOperations, 13) + TextoFecha(op.Terminada) + QStringLiteral(", ") +
                   T(frmOperations, 14) + Q(op.TextoTiempo);
        case ESTADO_CANCELADA:
            return T(frmOperations, 15) + TextoFecha(op.Terminada);
        default:
            if (op.Pausada) return T(frmOperations, 202) + QStringLiteral(", ") + T(frmOperations, 16) + TextoFecha(op.UltimaPausa);
            if (op.UltimaPausa > 0) return T(frmOperations, 16) + TextoFecha(op.UltimaPausa);
            // A copy's last step, putting what it wrote on disk, can take a while: it says so.
            if (Q(op.Actual) == T(frmOperations, 102)) return T(frmOperations, 102);
            return {};
    }
}

QString TextoPorcentaje(std::int64_t porcentaje) { return QStringLiteral("%1%").arg(porcentaje); }

void PonerNombre(QWidget* w, const QString& nombre) {
    // Every change is told to assistive tools: only real ones.
    if (w->accessibleName() != nombre) w->setAccessibleName(nombre);
}

}  // namespace

QString TextoFecha(Fecha fecha) {
    if (fecha <= 0) return {};
    const double dias = std::floor(fecha);
    const auto ms = static_cast<qint64>(std::llround((fecha - dias) * 86400000.0));
    const QDateTime dt(QDate(1899, 12, 30).addDays(static_cast<qint64>(dias)), QTime(0, 0));
    return QLocale::system().toString(dt.addMSecs(ms), QLocale::ShortFormat);
}

// picT(i): one operation's panel. It draws from the queue's record each time it paints, so
// a redraw is only an update() away; its buttons and bar are its children.
class PanelOperacion final : public QWidget {
public:
    PanelOperacion(frmOperaciones& ventana, int indice, QWidget* padre)
        : QWidget(padre), ventana_(ventana), i_(indice) {
        setFixedHeight(ALTO_PANEL);
        setMinimumWidth(2 * ANCHO_BOTON + ANCHO_BARRA + 120);
        bar = new QProgressBar(this);
        bar->setRange(0, 100);
        bar->setTextVisible(false);
        cmdPausa = new QPushButton(this);
        cmdCancelar = new QPushButton(this);
        QObject::connect(cmdPausa, &QPushButton::clicked, this, [this] { ventana_.cmdPausa_Click(i_); });
        QObject::connect(cmdCancelar, &QPushButton::clicked, this,
                         [this] { ventana_.cmdCancelar_Click(i_); });
        // The panel is a row of the list to the keyboard: Space or Enter shows its log.
        setFocusPolicy(Qt::TabFocus);
    }

    int Indice() const { return i_; }
    const Operacion* Op() const {
        const auto& ops = ventana_.Tareas().Operaciones();
        return i_ >= 0 && static_cast<std::size_t>(i_) < ops.size() ? &ops[static_cast<std::size_t>(i_)] : nullptr;
    }
    bool Seleccionado() const { return ventana_.Tareas().OperacionLog == i_; }
    // What the panel draws, as text: the title with its error note, then its lines.
    QString TextoDibujado() const {
        const Operacion* op = Op();
        return op ? TextoTitulo(*op) + NotaErrores(*op) : QString();
    }
    QString Detalle() const {
        const Operacion* op = Op();
        if (!op) return {};
        QStringList lineas{LineaTiempos(*op), LineaEstado(*op)};
        if (op->Estado == ESTADO_EJECUTANDO || (Terminada(*op) && op->Porcentaje > 0))
            lineas << TextoPorcentaje(op->Porcentaje);
        lineas.removeAll(QString());
        return lineas.join(QStringLiteral(", "));
    }

    QProgressBar* bar;
    QPushButton* cmdPausa;
    QPushButton* cmdCancelar;

protected:
    void resizeEvent(QResizeEvent*) override {
        const int w = width();
        cmdCancelar->setGeometry(w - ANCHO_BOTON - 6, 4, ANCHO_BOTON, 24);
        cmdPausa->setGeometry(w - 2 * ANCHO_BOTON - 10, 4, ANCHO_BOTON, 24);
        bar->setGeometry(w - ANCHO_BARRA - 52, 35, ANCHO_BARRA, 14);
    }

    void mousePressEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton) ventana_.picT_Click(i_);
    }

    void keyPressEvent(QKeyEvent* e) override {
        const int k = e->key();
        if (k == Qt::Key_Space || k == Qt::Key_Return || k == Qt::Key_Enter)
            ventana_.picT_Click(i_);
        else
            QWidget::keyPressEvent(e);
    }
    void focusInEvent(QFocusEvent*) override { update(); }
    void focusOutEvent(QFocusEvent*) override { update(); }

    void paintEvent(QPaintEvent*) override {
        const auto& ops = ventana_.Tareas().Operaciones();
        if (i_ < 0 || static_cast<std::size_t>(i_) >= ops.size()) return;
        const Operacion& op = ops[static_cast<std::size_t>(i_)];
        const bool seleccionado = ventana_.Tareas().OperacionLog == i_;
        QPainter p(this);
        DibujarFondo(p, seleccionado);
        DibujarTitulo(p, op, seleccionado);
        QFont f = font();
        f.setPointSize(8);
        f.setBold(false);
        p.setFont(f);
        p.setPen(palette().color(QPalette::WindowText));
        const int ancho = bar->x() - 16;
        const QFontMetrics fm(f);
        p.drawText(8, 24 + fm.ascent(), fm.elidedText(LineaTiempos(op), Qt::ElideRight, ancho));
        p.drawText(8, 38 + fm.ascent(), fm.elidedText(LineaEstado(op), Qt::ElideRight, ancho));
        // The percentage while it runs; afterwards only what a copy got done.
        const bool enCurso = op.Estado == ESTADO_EJECUTANDO;
        if (enCurso || (Terminada(op) && op.Porcentaje > 0))
            p.drawText(QRect(bar->geometry().right() + 6, bar->y() - 2, 44, bar->height() + 4),
                       Qt::AlignLeft | Qt::AlignVCenter, TextoPorcentaje(op.Porcentaje));
        if (hasFocus()) {
            p.setPen(QPen(QColor(30, 90, 170), 1, Qt::DotLine));
            p.drawRect(rect().adjusted(2, 2, -3, -3));
        }
    }

private:
    void DibujarFondo(QPainter& p, bool seleccionado) {
        QLinearGradient g(0, 0, 0, height());
        g.setColorAt(0, seleccionado ? QColor(198, 220, 248) : QColor(236, 238, 242));
        g.setColorAt(1, seleccionado ? QColor(236, 244, 253) : QColor(252, 252, 253));
        p.fillRect(rect(), g);
        p.setPen(seleccionado ? QColor(120, 160, 215) : QColor(200, 203, 210));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }

    void DibujarTitulo(QPainter& p, const Operacion& op, bool seleccionado) {
        QFont f = font();
        f.setBold(true);
        p.setFont(f);
        const QFontMetrics fm(f);
        const int ancho = cmdPausa->x() - 16;
        const QString nota = NotaErrores(op);
        const int anchoNota = nota.isEmpty() ? 0 : fm.horizontalAdvance(nota);
        const QString titulo =
            fm.elidedText(TextoTitulo(op), Qt::ElideMiddle, std::max(40, ancho - anchoNota));
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(8, 4 + fm.ascent(), titulo);
        if (nota.isEmpty()) return;
        p.setPen(seleccionado ? ROJO_SELECCIONADO : ROJO);
        p.drawText(8 + fm.horizontalAdvance(titulo), 4 + fm.ascent(), nota);
    }

    frmOperaciones& ventana_;
    int i_;
};

namespace {

// A panel to assistive tools: a row of the operations list named by its drawn title, its times,
// state and percentage as the description, selected while its log is the one shown.
class AccesiblePanel final : public QAccessibleWidget {
public:
    explicit AccesiblePanel(PanelOperacion* w) : QAccessibleWidget(w, QAccessible::ListItem) {}
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) return Panel()->TextoDibujado();
        if (t == QAccessible::Description) return Panel()->Detalle();
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.selectable = true;
        s.selected = Panel()->Seleccionado();
        return s;
    }

private:
    PanelOperacion* Panel() const { return static_cast<PanelOperacion*>(widget()); }
};

QAccessibleInterface* FabricaPaneles(const QString&, QObject* objeto) {
    if (!objeto || !objeto->isWidgetType()) return nullptr;
    if (auto* p = dynamic_cast<PanelOperacion*>(static_cast<QWidget*>(objeto))) return new AccesiblePanel(p);
    return nullptr;
}

}  // namespace

frmOperaciones::frmOperaciones(cTareas& tareas, QWidget* padre) : QWidget(padre), tareas_(tareas) {
    setObjectName(QStringLiteral("frmOperaciones"));
    static const bool fabrica = (QAccessible::installFactory(&FabricaPaneles), true);
    (void)fabrica;
    CrearControles();
    tIni_ = new QTimer(this);
    tIni_->setInterval(100);
    auto vivo = vivo_;
    connect(tIni_, &QTimer::timeout, this, [this, vivo] {
        // The engine may run a whole queue from here, yielding to events all the while; if
        // the window goes meanwhile, only the shared flag is left to look at.
        cTareas* cola = &tareas_;
        enTick_ = true;
        cola->tIni_Timer();
        if (*vivo) enTick_ = false;
    });
    // Yields let pending events run; the queue needs nothing of the window for that.
    tareas_.SetCeder([] { QCoreApplication::processEvents(QEventLoop::AllEvents, 50); });
    // While paused the engine sleeps in the event loop instead of spinning on the yield.
    tareas_.SetEsperaPausa([] {
        QEventLoop espera;
        QTimer::singleShot(100, &espera, &QEventLoop::quit);
        espera.exec();
    });
    InstalarOperacionesExtra(tareas_);
    tareas_.SetVista(this);
    for (std::int64_t i = 0; i <= tareas_.UltimoIndice(); ++i) AgregarPanel(i);
    SetIdioma();
    if (!tareas_.Ocupado() && tareas_.OperacionActual() <= tareas_.UltimoIndice()) tIni_->start();
}

frmOperaciones::~frmOperaciones() {
    *vivo_ = false;
    tareas_.SetVista(nullptr);
    if (enTick_) {
        // Destroyed from inside the timer's own tick: the timer must outlive that call.
        tIni_->stop();
        tIni_->setParent(nullptr);
        tIni_->deleteLater();
    }
}

void frmOperaciones::CrearControles() {
    auto* raiz = new QVBoxLayout(this);
    raiz->setContentsMargins(4, 4, 4, 4);
    auto* arriba = new QHBoxLayout;
    cmdLimpiar_ = new QPushButton(this);
    chkApagar_ = new QCheckBox(this);
    arriba->addWidget(cmdLimpiar_);
    arriba->addWidget(chkApagar_);
    arriba->addStretch(1);
    raiz->addLayout(arriba);

    picD_ = new QScrollArea(this);
    picD_->setWidgetResizable(true);
    picD_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    auto* contenedor = new QWidget(picD_);
    pila_ = new QVBoxLayout(contenedor);
    pila_->setContentsMargins(2, 2, 2, 2);
    pila_->setSpacing(3);
    pila_->addStretch(1);
    picD_->setWidget(contenedor);
    raiz->addWidget(picD_, 3);

    txtLOG_ = new QPlainTextEdit(this);
    txtLOG_->setReadOnly(true);
    txtLOG_->setPlainText(T(General, 36));
    raiz->addWidget(txtLOG_, 1);
}

void frmOperaciones::SetIdioma() {
    cmdLimpiar_->setText(T(frmOperations, 1));
    chkApagar_->setText(T(frmOperations, 2));
    PonerNombre(txtLOG_, T(frmOperations, 240));
    PonerNombre(picD_, T(frmOperations, 241));
    for (int i = 0; i < nPaneles(); ++i) ActualizarBotones(i);
    PonerTitulo(Q(tareas_.TituloEspera()));
    MostrarLog();
    RedibujarLista();
}

void frmOperaciones::AgregarPanel(std::int64_t i) {
    auto* panel = new PanelOperacion(*this, static_cast<int>(i), pila_->parentWidget());
    pila_->insertWidget(pila_->count() - 1, panel);
    paneles_.push_back(panel);
    ActualizarBotones(static_cast<int>(i));
    panel->bar->setVisible(!Terminada(tareas_.Operaciones()[static_cast<std::size_t>(i)]));
    panel->show();
}

void frmOperaciones::OperacionAgregada(std::int64_t i) {
    while (nPaneles() <= i) AgregarPanel(nPaneles());
}

void frmOperaciones::ActualizarBotones(int i) {
    PanelOperacion* panel = paneles_[static_cast<std::size_t>(i)];
    const bool fin = Terminada(tareas_.Operaciones()[static_cast<std::size_t>(i)]);
    const QString cancelar = T(frmOperations, fin ? 17 : 3);
    if (panel->cmdCancelar->text() != cancelar) panel->cmdCancelar->setText(cancelar);
    const Operacion& op = tareas_.Operaciones()[static_cast<std::size_t>(i)];
    panel->cmdPausa->setText(T(frmOperations, op.Pausada && !fin ? 5 : 4));
    panel->cmdPausa->setEnabled(!fin);
    panel->cmdCancelar->setEnabled(!fin || !op.Deshecha);
    NombrarControles(i);
}

// The buttons and the bar of a panel say which operation they belong to.
void frmOperaciones::NombrarControles(int i) {
    PanelOperacion* panel = paneles_[static_cast<std::size_t>(i)];
    const QString titulo = TextoTitulo(tareas_.Operaciones()[static_cast<std::size_t>(i)]);
    for (QPushButton* b : {panel->cmdPausa, panel->cmdCancelar})
        PonerNombre(b, b->text().remove(QLatin1Char('&')) + QStringLiteral(": ") + titulo);
    PonerNombre(panel->bar, titulo);
}

void frmOperaciones::RedibujarLista() {
    for (int i = 0; i < nPaneles(); ++i) DibujarOperacion(i);
}

void frmOperaciones::DibujarOperacion(std::int64_t i) {
    if (i < 0 || i >= nPaneles()) return;
    PanelOperacion* panel = paneles_[static_cast<std::size_t>(i)];
    const Operacion& op = tareas_.Operaciones()[static_cast<std::size_t>(i)];
    panel->bar->setVisible(!Terminada(op));
    panel->bar->setValue(static_cast<int>(op.PorcentajeMostrado));
    ActualizarBotones(static_cast<int>(i));
    panel->update();
}

void frmOperaciones::MostrarProgreso(std::int64_t i) {
    if (i < 0 || i >= nPaneles()) return;
    const Operacion& op = tareas_.Operaciones()[static_cast<std::size_t>(i)];
    PanelOperacion* panel = paneles_[static_cast<std::size_t>(i)];
    panel->bar->setValue(static_cast<int>(op.Porcentaje));
    panel->update();
    PonerTitulo(T(frmOperations, 0) + QStringLiteral(" (%1) ").arg(tareas_.Esperando()) +
                TextoPorcentaje(op.Porcentaje));
}

void frmOperaciones::LogCambiado(std::int64_t i) {
    if (i != tareas_.OperacionLog) return;
    logDeOperacion_ = true;
    MostrarLog();
}

// The box says General/36 until a panel is chosen or the shown operation logs a line.
void frmOperaciones::MostrarLog() {
    QString texto = logDeOperacion_ ? Q(tareas_.TextoErrores(tareas_.OperacionLog)) : T(General, 36);
    texto.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (txtLOG_->toPlainText() != texto) txtLOG_->setPlainText(texto);
}

void frmOperaciones::SetTitulo(const std::string& titulo) { PonerTitulo(Q(titulo)); }

void frmOperaciones::PonerTitulo(const QString& titulo) {
    setWindowTitle(titulo);
    if (titulo == titulo_) return;
    titulo_ = titulo;
    emit TituloCambiado(titulo_);
}

void frmOperaciones::HabilitarInicio(bool habilitar) {
    if (habilitar)
        tIni_->start();
    else
        tIni_->stop();
}

void frmOperaciones::picT_Click(int i) {
    if (i < 0 || i >= nPaneles() || i == tareas_.OperacionLog) return;
    const std::int64_t anterior = tareas_.OperacionLog;
    tareas_.OperacionLog = i;
    logDeOperacion_ = true;
    DibujarOperacion(anterior);
    DibujarOperacion(i);
    MostrarLog();
}

void frmOperaciones::cmdCancelar_Click(int i) {
    if (i < 0 || i >= nPaneles()) return;
    // The button reads "Cancel" exactly while the operation has not ended.
    if (!Terminada(tareas_.Operaciones()[static_cast<std::size_t>(i)]))
        tareas_.CancelarOperacion(i);
    else
        DeshacerOperacion(i, tareas_);
}

// Pause and Continue: the caption says which the next press does.
void frmOperaciones::cmdPausa_Click(int i) {
    if (i < 0 || i >= nPaneles()) return;
    const Operacion& op = tareas_.Operaciones()[static_cast<std::size_t>(i)];
    if (Terminada(op)) return;
    tareas_.PausarOperacion(i, !op.Pausada);
}

QWidget* frmOperaciones::picT(int i) const {
    return i >= 0 && i < nPaneles() ? paneles_[static_cast<std::size_t>(i)] : nullptr;
}
QProgressBar* frmOperaciones::bar(int i) const {
    return i >= 0 && i < nPaneles() ? paneles_[static_cast<std::size_t>(i)]->bar : nullptr;
}
QPushButton* frmOperaciones::cmdCancelar(int i) const {
    return i >= 0 && i < nPaneles() ? paneles_[static_cast<std::size_t>(i)]->cmdCancelar : nullptr;
}
QPushButton* frmOperaciones::cmdPausa(int i) const {
    return i >= 0 && i < nPaneles() ? paneles_[static_cast<std::size_t>(i)]->cmdPausa : nullptr;
}

}  // namespace quirvex
