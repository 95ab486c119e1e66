#pragma once
// Test support for the frame: a tab window with up to eight panes that are bare contents (no
// drawing), which records what the frame asks of it; a QApplication for the GUI tests; and a
// fixture with a private settings store and the English texts.

#include <QApplication>
#include <QFile>
#include <QElapsedTimer>
#include <QLabel>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <ostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "folder/cache_listados.h"
#include "folder/contenido_visor.h"
#include "frame/marco_qt.h"
#include "frame/mdi_qt.h"
#include "frame/ventana_tab_qt.h"
#include "pane/frm_main_qt.h"
#include "platform/almacen_archivo.h"
#include "settings/almacen_registro.h"
#include "settings/idioma.h"
#include "settings/opciones.h"
#include "support/carpeta_temporal.h"

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

namespace quirvex::prueba {

// The frame's load reads the settings from the store, so tests set them there.
inline void Ajustar(const char* nombre, int valor) {
    RegEscribirDword(HKEY_CURRENT_USER, CLAVE_OPCIONES, nombre, valor);
}
inline void Ajustar(const char* nombre, const std::string& texto) {
    RegEscribirCadena(HKEY_CURRENT_USER, CLAVE_OPCIONES, nombre, texto);
}

inline QApplication& AsegurarAplicacion() {
    static int argc = 1;
    static char nombre[] = "quirvex_gui_tests";
    static char* argv[] = {nombre, nullptr};
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) return *app;
    // Never destroyed: at exit Qt's own statics may already be gone.
    return *new QApplication(argc, argv);
}

inline QString Q(const std::string& s) { return QFile::decodeName(QByteArray::fromStdString(s)); }

class TabFalsa final : public QWidget, public VentanaTab, private VistaVisor {
public:
    explicit TabFalsa(Marco& marco, QString nombre = QStringLiteral("frmMain"))
        : marco_(marco), nombre_(std::move(nombre)), etiqueta_(new QLabel(this)) {
        static int ids = 0;
        id_ = ++ids;
        auto* capas = new QVBoxLayout(this);
        capas->addWidget(etiqueta_);
        setFocusPolicy(Qt::StrongFocus);
        if (nombre_ == QLatin1String("frmMain")) AgregarVisor();
    }

    cContenidoVisor& AgregarVisor() {
        visores_.push_back(std::make_unique<cContenidoVisor>(static_cast<VistaVisor*>(this)));
        visores_.back()->txtFiltro = "*";
        return *visores_.back();
    }

    QWidget* Widget() override { return this; }
    QString NombreVentana() const override { return nombre_; }
    int ID() const override { return id_; }
    int nTab() const override { return nTab_; }
    void SetnTab(int n) override { nTab_ = n; }
    cVisor* aVisor() override { return nullptr; }
    int nVisores() const override { return static_cast<int>(visores_.size()); }
    cVisor* GetVisor(int) override { return nullptr; }
    QString RutaActual() const override {
        return visores_.empty() ? QString() : Q(visores_[static_cast<size_t>(activo)]->RutaActual);
    }
    void CargarVisores(const QString& lista) override {
        if (lista.isEmpty()) return;
        const QStringList rutas = lista.split('\n');
        GoDefaultFolder(rutas.front());
        for (int i = 1; i < rutas.size() && nVisores() < 8; ++i)
            AgregarVisor().GoDefaultFolder(QFile::encodeName(rutas[i]).toStdString());
    }
    void ActualizarAtrasAdelante() override {
        cContenidoVisor* c = ContenidoAVisor();
        if (!c || !marco_.EsTabActual(this)) return;
        marco_.SetEstadoAtrasAdelante(0, c->IndexHistorial() >= 1);
        marco_.SetEstadoAtrasAdelante(1, c->IndexHistorial() != c->UboundHistorial());
    }
    void MostrarInfoAVisor() override {}
    void SetIdioma() override { ++idiomas; }
    bool EditandoFiltro() const override { return editandoFiltro; }
    void PreUnload() override { ++preUnloads; }
    cContenidoVisor* GetContenidoVisor(int i) override {
        return i >= 0 && i < nVisores() ? visores_[static_cast<size_t>(i)].get() : nullptr;
    }
    cContenidoVisor* ContenidoAVisor() override { return GetContenidoVisor(activo); }
    void SetEditandoFiltro(bool e) override { editandoFiltro = e; }
    void SetTeclasE(bool t) override { teclasE = t; }
    void SetCopiarPegarHabilitado(bool h) override { copiarPegar = h; }
    void MouseWheel(int) override { ++ruedas; }
    void AbrirArchivo(const QString& ruta) override { abiertos << ruta; }

    int activo = 0;
    bool editandoFiltro = false;
    bool teclasE = true;
    bool copiarPegar = true;
    int preUnloads = 0;
    int idiomas = 0;
    int ruedas = 0;
    QStringList abiertos;

private:
    void RedibujarTodo() override {
        cContenidoVisor* c = ContenidoAVisor();
        if (!c) return;
        etiqueta_->setText(Q(c->RutaActual));
        marco_.SetTextoTab(this, Q(c->NombreCarpeta));
        if (marco_.EsTabActual(this)) marco_.SetDireccion(Q(c->RutaActual), true);
    }

    Marco& marco_;
    QString nombre_;
    QLabel* etiqueta_;
    int id_ = 0;
    int nTab_ = -1;
    std::vector<std::unique_ptr<cContenidoVisor>> visores_;
};

// A private settings store, the English texts, an empty listing cache and fresh settings.
class MarcoTest : public ::testing::Test {
protected:
    void SetUp() override {
        AsegurarAplicacion();
        if (const char* previo = std::getenv("XDG_CONFIG_HOME")) previo_ = previo;
        ::setenv("XDG_CONFIG_HOME", config_.Ruta().c_str(), 1);
        SetArchivoRegistro(nullptr);
        Opciones() = RegistroOpciones{};
        CargarIdioma(IdiomasIncorporados()[0].texto);
        AplicarTextoMiPC();
        mvCache::Vaciar();
    }
    void TearDown() override {
        if (previo_)
            ::setenv("XDG_CONFIG_HOME", previo_->c_str(), 1);
        else
            ::unsetenv("XDG_CONFIG_HOME");
        SetArchivoRegistro(nullptr);
        Opciones() = RegistroOpciones{};
    }

    // A loaded frame whose folder tabs are fakes, its first tab at `carpeta` (empty: the saved
    // tabs, else the default folder).
    std::unique_ptr<MDI> Marco(const QString& carpeta = QString(), bool depuracion = false) {
        auto m = std::make_unique<MDI>(
            [this](MDI& mdi) -> VentanaTab* {
                auto* t = new TabFalsa(mdi);
                creadas.push_back(t);
                return t;
            },
            depuracion);
        m->SetAlTerminar([this] { ++terminados; });
        m->MDIForm_Load(carpeta);
        m->show();
        return m;
    }
    // The frame as the program builds it: real folder tabs and panes, the first at `carpeta`,
    // shown and made the active window, so that clicks give the keyboard focus as on a desktop.
    std::unique_ptr<MDI> MarcoConPaneles(const QString& carpeta, QSize tamano = QSize(900, 600)) {
        auto m = std::make_unique<MDI>(
            [](MDI& mdi) -> VentanaTab* { return new frmMain(&mdi, SiguienteIdTab()); }, false);
        m->SetAlTerminar([this] { ++terminados; });
        m->resize(tamano);
        m->MDIForm_Load(carpeta);
        m->show();
        QApplication::setActiveWindow(m.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(m.get()));
        return m;
    }
    std::unique_ptr<MDI> MarcoConPaneles(const std::string& carpeta, QSize tamano = QSize(900, 600)) {
        return MarcoConPaneles(Q(carpeta), tamano);
    }
    // Lets the event loop run until the condition holds (changes seen on disk, answers of a
    // server arrive there), for at most five seconds.
    static bool Esperar(const std::function<bool()>& condicion) {
        QElapsedTimer t;
        t.start();
        while (!condicion() && t.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return condicion();
    }
    TabFalsa* Falsa(const MDI& m, int indice) const {
        return dynamic_cast<TabFalsa*>(m.Tabs()[static_cast<size_t>(indice)].Ventana);
    }

    CarpetaTemporal config_;
    CarpetaTemporal tmp;
    std::optional<std::string> previo_;
    std::vector<TabFalsa*> creadas;
    int terminados = 0;
};

}  // namespace quirvex::prueba
