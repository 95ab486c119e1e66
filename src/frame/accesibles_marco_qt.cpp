#include "frame/accesibles_marco_qt.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QTimer>

#include "frame/controles_marco_qt.h"
#include "frame/mdi_qt.h"
#include "settings/idioma.h"

namespace quirvex {
namespace {

constexpr qint64 kMsEntreAnuncios = 1000;
const char* const kEtiquetaBoton = "quirvexEtiquetaBoton";
const char* const kUltimoAnuncio = "quirvexUltimoAnuncio";
const char* const kAnuncioPendiente = "quirvexAnuncioPendiente";
const char* const kLineaEstado = "quirvexLineaEstado";
const char* const kBarraValor = "quirvexBarraValor";
const char* const kValorBarra = "quirvexValorBarra";

QString T(int seccion, int clave) { return QString::fromStdString(Texto(seccion, clave)); }

std::function<void(QAccessibleEvent*)>& Aviso() {
    static std::function<void(QAccessibleEvent*)> aviso;
    return aviso;
}

void Avisar(QAccessibleEvent* e) {
    if (Aviso())
        Aviso()(e);
    else
        QAccessible::updateAccessibility(e);
}

qint64 Ahora() {
    static QElapsedTimer reloj;
    if (!reloj.isValid()) reloj.start();
    return reloj.elapsed() + kMsEntreAnuncios;  // never 0, the mark of "never told"
}

void EnviarCambioNombre(QWidget* w) {
    w->setProperty(kUltimoAnuncio, Ahora());
    QAccessibleEvent e(w, QAccessible::NameChanged);
    Avisar(&e);
}

// The close glyph of a tab: a button with no widget of its own, pressed through the frame.
class AccesibleCerrarTab final : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    AccesibleCerrarTab(QAccessibleInterface* tab, BotonTab* boton) : tab_(tab), boton_(boton) {}

    bool isValid() const override { return boton_ && boton_->Marco().TieneCerrarTab(boton_->Indice()); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return tab_->window(); }
    QAccessibleInterface* parent() const override { return tab_; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) return T(MDISec, 244);
        if (t == QAccessible::Description && boton_) return boton_->toolTip();
        return {};
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        if (!boton_) return {};
        const QRect g = RectGlifoCerrar(boton_->rect());
        return QRect(boton_->mapToGlobal(g.topLeft()), g.size());
    }
    QAccessible::Role role() const override { return QAccessible::PushButton; }
    QAccessible::State state() const override {
        QAccessible::State s;
        s.invisible = !isValid() || !boton_->isVisible();
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType t) override {
        return t == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
    }

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& accion) override {
        if (accion == pressAction() && isValid()) boton_->Marco().CerrarTab(boton_->Indice());
    }
    // Ctrl+W closes the tab that has the focus, or else the one on screen.
    QStringList keyBindingsForAction(const QString& accion) const override {
        if (accion != pressAction()) return {};
        return {QKeySequence(Qt::CTRL | Qt::Key_W).toString(QKeySequence::NativeText)};
    }

private:
    QAccessibleInterface* tab_;
    QPointer<BotonTab> boton_;
};

class AccesibleBotonTab final : public QAccessibleWidget {
public:
    explicit AccesibleBotonTab(BotonTab* w) : QAccessibleWidget(w, QAccessible::PageTab) {}
    ~AccesibleBotonTab() override {
        if (cerrar_) QAccessible::deleteAccessibleInterface(cerrar_);
    }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) return widget()->toolTip();
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.selectable = true;
        s.selected = widget()->property("elegido").toBool();
        // Every tab is reached from the one in the Tab order with the arrow keys.
        s.focusable = true;
        return s;
    }
    int childCount() const override { return Boton()->Marco().TieneCerrarTab(Boton()->Indice()) ? 1 : 0; }
    QAccessibleInterface* child(int indice) const override {
        if (indice != 0 || childCount() == 0) return nullptr;
        if (!cerrar_) {
            auto* self = const_cast<AccesibleBotonTab*>(this);
            cerrar_ = QAccessible::registerAccessibleInterface(new AccesibleCerrarTab(self, Boton()));
        }
        return QAccessible::accessibleInterface(cerrar_);
    }
    int indexOfChild(const QAccessibleInterface* hijo) const override {
        return cerrar_ && hijo == QAccessible::accessibleInterface(cerrar_) ? 0 : -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        QAccessibleInterface* c = child(0);
        return c && c->rect().contains(x, y) ? c : nullptr;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& accion) override {
        if (accion == pressAction()) Boton()->Marco().e_tabB_Click(Boton()->Indice());
    }

private:
    BotonTab* Boton() const { return static_cast<BotonTab*>(widget()); }
    mutable QAccessible::Id cerrar_ = 0;
};

class AccesibleFilaTabs final : public QAccessibleWidget {
public:
    explicit AccesibleFilaTabs(QWidget* w) : QAccessibleWidget(w, QAccessible::PageTabList) {}
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) return T(MDISec, 245);
        return QAccessibleWidget::text(t);
    }
};

class AccesibleEtiquetaBoton final : public QAccessibleWidget {
public:
    explicit AccesibleEtiquetaBoton(QLabel* w) : QAccessibleWidget(w, QAccessible::Link) {}
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) {
            const QString propio = widget()->accessibleName();
            return propio.isEmpty() ? SinAceleradores(static_cast<QLabel*>(widget())->text()) : propio;
        }
        return QAccessibleWidget::text(t);
    }
    QStringList actionNames() const override { return QStringList{pressAction()} + QAccessibleWidget::actionNames(); }
    void doAction(const QString& accion) override {
        if (accion != pressAction()) return QAccessibleWidget::doAction(accion);
        QKeyEvent pulsada(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
        QCoreApplication::sendEvent(widget(), &pulsada);
    }
    QStringList keyBindingsForAction(const QString& accion) const override {
        if (accion == pressAction()) return {QKeySequence(Qt::Key_Space).toString(QKeySequence::NativeText)};
        return QAccessibleWidget::keyBindingsForAction(accion);
    }
};

// A status line read as text: a reader announces what changed in it.
class AccesibleLineaEstado final : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit AccesibleLineaEstado(QLabel* w) : QAccessibleWidget(w, QAccessible::StatusBar) {}
    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) return Texto();
        return QAccessibleWidget::text(t);
    }

    void selection(int, int* inicio, int* fin) const override { *inicio = *fin = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int inicio, int fin) const override { return Texto().mid(inicio, fin - inicio); }
    int characterCount() const override { return static_cast<int>(Texto().size()); }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int* inicio, int* fin) const override {
        *inicio = 0;
        *fin = characterCount();
        return {};
    }

private:
    QString Texto() const { return static_cast<QLabel*>(widget())->text(); }
};

class AccesibleBarraValor final : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit AccesibleBarraValor(QWidget* w) : QAccessibleWidget(w, QAccessible::ProgressBar) {}
    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) return QStringLiteral("%1%").arg(qRound(Valor()));
        return QAccessibleWidget::text(t);
    }
    QVariant currentValue() const override { return Valor(); }
    void setCurrentValue(const QVariant&) override {}
    QVariant maximumValue() const override { return 100.0; }
    QVariant minimumValue() const override { return 0.0; }
    QVariant minimumStepSize() const override { return 0.0; }

private:
    double Valor() const { return widget()->property(kValorBarra).toDouble(); }
};

QAccessibleInterface* Fabrica(const QString&, QObject* objeto) {
    if (!objeto || !objeto->isWidgetType()) return nullptr;
    auto* w = static_cast<QWidget*>(objeto);
    if (auto* b = dynamic_cast<BotonTab*>(w)) return new AccesibleBotonTab(b);
    if (dynamic_cast<FilaTabs*>(w)) return new AccesibleFilaTabs(w);
    if (auto* l = qobject_cast<QLabel*>(w); l && l->property(kEtiquetaBoton).toBool())
        return new AccesibleEtiquetaBoton(l);
    if (auto* l = qobject_cast<QLabel*>(w); l && l->property(kLineaEstado).toBool())
        return new AccesibleLineaEstado(l);
    if (w->property(kBarraValor).toBool()) return new AccesibleBarraValor(w);
    if (!w->isWindow()) return nullptr;
    if (dynamic_cast<MDI*>(w)) return new QAccessibleWidget(w, QAccessible::Window);
    // A properties window on its own describes one item: a dialog, named by its title.
    if (w->objectName() == QLatin1String("frmInfo")) return new QAccessibleWidget(w, QAccessible::Dialog);
    return nullptr;
}

}  // namespace

QString SinAceleradores(QString texto) {
    for (qsizetype i = 0; i < texto.size(); ++i)
        if (texto[i] == QLatin1Char('&')) texto.remove(i, 1);  // "&&" keeps one '&'
    return texto;
}

void InstalarAccesibilidadMarco() {
    static bool instalada = false;
    if (instalada) return;
    QAccessible::installFactory(&Fabrica);
    instalada = true;
}

void HacerEtiquetaBoton(QWidget* etiqueta) {
    etiqueta->setProperty(kEtiquetaBoton, true);
    etiqueta->setFocusPolicy(Qt::TabFocus);
}

void SetAvisoAccesible(std::function<void(QAccessibleEvent*)> aviso) { Aviso() = std::move(aviso); }

void MarcarLineaEstado(QWidget* etiqueta) { etiqueta->setProperty(kLineaEstado, true); }

void AnunciarLineaEstado(QWidget* etiqueta, const QString& anterior) {
    const auto* l = qobject_cast<QLabel*>(etiqueta);
    if (!l) return;
    QAccessibleTextUpdateEvent e(etiqueta, 0, anterior, l->text());
    Avisar(&e);
}

void MarcarBarraValor(QWidget* barra) { barra->setProperty(kBarraValor, true); }

void SetValorBarra(QWidget* barra, double valor) {
    const double antes = barra->property(kValorBarra).toDouble();
    barra->setProperty(kValorBarra, valor);
    if (antes == valor) return;
    QAccessibleValueChangeEvent e(barra, valor);
    Avisar(&e);
}

void AnunciarNombreTab(QWidget* boton) {
    const qint64 ultimo = boton->property(kUltimoAnuncio).toLongLong();
    const qint64 pasado = Ahora() - ultimo;
    if (ultimo == 0 || pasado >= kMsEntreAnuncios) {
        EnviarCambioNombre(boton);
        return;
    }
    if (boton->property(kAnuncioPendiente).toBool()) return;
    boton->setProperty(kAnuncioPendiente, true);
    QTimer::singleShot(kMsEntreAnuncios - pasado, boton, [boton] {
        boton->setProperty(kAnuncioPendiente, false);
        EnviarCambioNombre(boton);
    });
}

}  // namespace quirvex
