// The assembled window's additions: hidden names shown or not (the option and Ctrl+H), and the
// details header sorting by the column clicked, as the "Organize icons" menu does.

#include <QAction>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>

#include "folder/orden.h"
#include "frame/marco_real_qt.h"
#include "pane/orden_cabecera.h"
#include "settings/almacen_registro.h"

namespace quirvex::prueba {
namespace {

std::vector<std::string> Nombres(cVisor* v) {
    std::vector<std::string> r;
    for (int i = 0; i < v->nItems(); ++i) r.push_back(v->Contenido().Items[static_cast<size_t>(i)].Nombre);
    return r;
}

bool Contiene(const std::vector<std::string>& v, const std::string& s) {
    return std::find(v.begin(), v.end(), s) != v.end();
}

// --- hidden names ---

class OcultosMarco : public MarcoReal {
protected:
    void SetUp() override {
        MarcoReal::SetUp();
        tmp.Archivo("visible.txt", 3);
        tmp.Archivo(".oculto", 5);
        tmp.Carpeta(".config");
        tmp.Carpeta("docs");
        tmp.Archivo("..dos", 1);
    }
};

TEST_F(OcultosMarco, EveryEntryIsShownByDefault) {
    CargarOpciones();
    EXPECT_EQ(Opciones().ShowHiddenFiles, 1);
    Abrir(tmp.Ruta());
    const auto n = Nombres(Visor(0));
    EXPECT_EQ(n.size(), 5u);
    EXPECT_TRUE(Contiene(n, ".oculto"));
    EXPECT_TRUE(Contiene(n, ".config"));
    EXPECT_EQ(Visor(0)->Contenido().nCarpetas, 2);
}

TEST_F(OcultosMarco, CtrlHHidesDotNamesInEveryPaneAndStoresTheChoice) {
    Abrir(tmp.Ruta());
    ASSERT_TRUE(Tab()->AgregarVisor(tmp.Ruta()));
    Clic(Visor(0)->picM(), QPoint(5, 5));
    Tecla(Qt::Key_H, Qt::ControlModifier);
    EXPECT_EQ(Opciones().ShowHiddenFiles, 0);
    EXPECT_EQ(RegLeerDword(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Show Hidden Files", -1), 0);
    for (int p = 0; p < 2; ++p) {
        const auto n = Nombres(Visor(p));
        EXPECT_EQ(n, (std::vector<std::string>{"docs", "visible.txt"})) << "pane " << p;
        EXPECT_EQ(Visor(p)->Contenido().nCarpetas, 1);
        EXPECT_EQ(Visor(p)->Contenido().nArchivos, 1);
    }
    // The next load of any folder follows the setting too.
    tmp.Archivo("docs/.dentro", 1);
    tmp.Archivo("docs/fuera", 1);
    ASSERT_TRUE(Visor(1)->CargarContenido(tmp.Ruta("docs")));
    EXPECT_EQ(Nombres(Visor(1)), (std::vector<std::string>{"fuera"}));
    Clic(Visor(0)->picM(), QPoint(5, 5));
    Tecla(Qt::Key_H, Qt::ControlModifier);
    EXPECT_EQ(Opciones().ShowHiddenFiles, 1);
    EXPECT_EQ(Nombres(Visor(0)).size(), 5u);
    EXPECT_EQ(Nombres(Visor(1)).size(), 2u);
}

TEST_F(OcultosMarco, AStoredChoiceIsLoadedAtStartAndTheViewMenuShowsIt) {
    RegEscribirDword(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Show Hidden Files", 0);
    CargarOpciones();
    Abrir(tmp.Ruta());
    EXPECT_EQ(Nombres(Visor(0)), (std::vector<std::string>{"docs", "visible.txt"}));
    // Ctrl+H is the View menu's check item, marked while hidden names are shown.
    QAction* a = Tab()->findChild<QAction*>(QStringLiteral("mnuVocultos"));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->shortcut(), QKeySequence(QStringLiteral("Ctrl+H")));
    QMenu* ver = Tab()->findChild<QMenu*>(QStringLiteral("mnuV"));
    ASSERT_NE(ver, nullptr);
    emit ver->aboutToShow();
    EXPECT_TRUE(a->isCheckable());
    EXPECT_FALSE(a->isChecked());
    Clic(Visor(0)->picM(), QPoint(5, 5));
    Tecla(Qt::Key_H, Qt::ControlModifier);
    emit ver->aboutToShow();
    EXPECT_TRUE(a->isChecked());
}

// --- sorting from the details header ---

class CabeceraMarco : public MarcoReal {
protected:
    void SetUp() override {
        MarcoReal::SetUp();
        // Names, sizes, types and dates that each give a different order.
        tmp.Archivo("b.txt", 300);
        tmp.Archivo("a.zip", 10);
        tmp.Archivo("c.md", 200);
        tmp.FijarFecha("b.txt", 1000000000);
        tmp.FijarFecha("a.zip", 1300000000);
        tmp.FijarFecha("c.md", 1100000000);
        Abrir(tmp.Ruta());
        Visor(0)->SetViewMode(1);
    }
    // The middle of the caption of the column showing `dato`.
    QPoint SobreColumna(int dato) {
        int x = 0;
        for (const ColumnaDetalles& c : Visor(0)->Columnas()) {
            if (c.ancho <= 0) continue;
            if (c.dato == dato) return {x + c.ancho / 2, ALTO_CABECERA / 2};
            x += c.ancho + 10;
        }
        ADD_FAILURE() << "no column " << dato;
        return {};
    }
    void ClicColumna(int dato) { Clic(Visor(0)->picD(), SobreColumna(dato)); }
    int Marcada() {
        const int c = Visor(0)->ColumnaMarcada();
        return c < 0 ? -1 : Visor(0)->Columnas()[static_cast<size_t>(c)].dato;
    }
};

TEST_F(CabeceraMarco, EachCaptionSortsAsTheMenuItemOfTheSameNameAndCarriesTheMark) {
    ASSERT_TRUE(Visor(0)->picD()->isVisible());
    ClicColumna(DATO_TAMANO);
    EXPECT_EQ(Visor(0)->Contenido().CriterioOrden, ORDEN_TAMANO);
    EXPECT_EQ(Nombres(Visor(0)), (std::vector<std::string>{"a.zip", "c.md", "b.txt"}));
    EXPECT_EQ(Marcada(), DATO_TAMANO);
    ClicColumna(DATO_MODIFICACION);
    EXPECT_EQ(Visor(0)->Contenido().CriterioOrden, ORDEN_MODIFICACION);
    EXPECT_EQ(Nombres(Visor(0)), (std::vector<std::string>{"b.txt", "c.md", "a.zip"}));
    EXPECT_EQ(Marcada(), DATO_MODIFICACION);
    ClicColumna(DATO_NOMBRE);
    EXPECT_EQ(Visor(0)->Contenido().CriterioOrden, ORDEN_NOMBRE);
    EXPECT_EQ(Nombres(Visor(0)), (std::vector<std::string>{"a.zip", "b.txt", "c.md"}));
    EXPECT_EQ(Marcada(), DATO_NOMBRE);
    ClicColumna(DATO_TIPO);
    EXPECT_EQ(Visor(0)->Contenido().CriterioOrden, ORDEN_EXTENSION);
    EXPECT_EQ(Nombres(Visor(0)), (std::vector<std::string>{"c.md", "b.txt", "a.zip"}));
    EXPECT_EQ(Marcada(), DATO_TIPO);
}

TEST_F(CabeceraMarco, AttributesAndThePastTheLastColumnDoNothing) {
    ClicColumna(DATO_TAMANO);
    const auto antes = Nombres(Visor(0));
    ClicColumna(DATO_ATRIBUTOS);
    EXPECT_EQ(Visor(0)->Contenido().CriterioOrden, ORDEN_TAMANO);
    Clic(Visor(0)->picD(), QPoint(Visor(0)->picD()->width() - 3, ALTO_CABECERA / 2));
    EXPECT_EQ(Visor(0)->Contenido().CriterioOrden, ORDEN_TAMANO);
    EXPECT_EQ(Nombres(Visor(0)), antes);
    // The menu's creation-date order has no column to mark.
    Visor(0)->Contenido().CambiarOrden(ORDEN_CREACION);
    EXPECT_EQ(Marcada(), -1);
}

TEST_F(CabeceraMarco, TheMarkIsPaintedOnTheSortingCaption) {
    ClicColumna(DATO_NOMBRE);
    const QImage conNombre = Visor(0)->picD()->grab().toImage();
    ClicColumna(DATO_TAMANO);
    const QImage conTamano = Visor(0)->picD()->grab().toImage();
    // Only the two captions' ends differ: the mark moved from one to the other.
    const QPoint nombre = SobreColumna(DATO_NOMBRE), tamano = SobreColumna(DATO_TAMANO);
    auto difiere = [&](int desde, int hasta) {
        for (int x = desde; x < hasta; ++x)
            for (int y = 0; y < conNombre.height(); ++y)
                if (conNombre.pixel(x, y) != conTamano.pixel(x, y)) return true;
        return false;
    };
    EXPECT_TRUE(difiere(nombre.x(), nombre.x() * 2));
    EXPECT_TRUE(difiere(tamano.x(), std::min(conNombre.width(), tamano.x() + 60)));
}

// --- the frame's place, and the new folder ---

class ComodidadesMarco : public MarcoReal {};

TEST_F(ComodidadesMarco, TheFramesPlaceAndSizeAreKeptBetweenRuns) {
    Abrir(tmp.Ruta());
    m->setGeometry(QRect(30, 40, 950, 520));
    ASSERT_EQ(m->width(), 950);
    m->SALIR();
    EXPECT_EQ(RegLeerDword(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Frame Left", -1), 30);
    EXPECT_EQ(RegLeerDword(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Frame Width", -1), 950);
    EXPECT_EQ(RegLeerDword(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Frame Height", -1), 520);
    EXPECT_EQ(RegLeerDword(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Frame Maximized", -1), 0);
    m.reset();
    // The next run starts where this one ended.
    Opciones() = RegistroOpciones{};
    Abrir(tmp.Ruta(), QSize(1000, 400));
    // No wider than the screen (the offscreen one is narrow), unless the frame cannot shrink so far.
    const int ancho = std::max(m->minimumWidth(), std::min(950, QGuiApplication::primaryScreen()->availableGeometry().width()));
    EXPECT_EQ(m->geometry(), QRect(30, 40, ancho, 520));
}

TEST_F(ComodidadesMarco, APlaceOffEveryScreenIsBroughtBackOntoOne) {
    RegEscribirValores(HKEY_CURRENT_USER, CLAVE_OPCIONES,
                       {{"Frame Left", 50000}, {"Frame Top", 50000}, {"Frame Width", 100000}, {"Frame Height", 300}});
    Abrir(tmp.Ruta());
    const QRect util = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(util.contains(m->geometry().center())) << m->geometry().x() << "," << m->geometry().y();
    EXPECT_LE(m->width(), std::max(util.width(), m->minimumWidth()));
    EXPECT_EQ(m->height(), 300);
}

TEST_F(ComodidadesMarco, ANewFolderBecomesTheOnlySelectedCurrentItemOnScreen) {
    for (int k = 0; k < 300; ++k) tmp.Archivo("f" + std::to_string(1000 + k), 1);
    Abrir(tmp.Ruta());
    cVisor* v = Visor(0);
    Clic(v->picM(), SobreItem(v, 0));  // something else selected first
    ASSERT_EQ(v->Seleccion().nSel(), 1);
    v->Contenido().CambiarOrden(ORDEN_MODIFICACION);  // the newest entry sorts last, off screen
    Tab()->EjecutarComando("mnuANcarpeta");
    const int nueva = Indice(v, "Carpeta");
    ASSERT_GE(nueva, 0);
    EXPECT_EQ(v->Seleccion().sActual(), nueva);
    EXPECT_EQ(v->Seleccion().nSel(), 1);
    EXPECT_TRUE(v->Seleccion().Seleccionado(nueva));
    EXPECT_FALSE(v->RectItemEnPantalla(nueva).isEmpty()) << "scrolled into view";
    // A second one is "Carpeta (1)", and it takes the selection over.
    Tab()->EjecutarComando("mnuPCNuevo0");
    const int otra = Indice(v, "Carpeta (1)");
    ASSERT_GE(otra, 0);
    EXPECT_EQ(v->Seleccion().sActual(), otra);
    EXPECT_EQ(v->Seleccion().nSel(), 1);
}

}  // namespace
}  // namespace quirvex::prueba
