// "Use special font" switched in the options window while tabs and panes are open: the tab
// captions, the address bar's path buttons and every pane (shown or in a hidden tab) take the
// new font at once, with the measures made in it, and give it back when it is switched off.
// The special font here is a machine font renamed, with taller lines and other widths, so
// every measure it touches changes.

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "frame/marco_real_qt.h"
#include "pane/ajustar_texto.h"
#include "settings/frm_opciones_qt.h"
#include "settings/fuente_especial_qt.h"
#include "support/fuente_renombrada.h"

namespace quirvex::prueba {
namespace {

const QString kOrigen = QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf");

// What the font decides, as seen from outside the widgets.
struct Medidas {
    QString familiaTabs;
    std::vector<int> anchosTabs;
    QStringList textosTabs;
    QString familiaRuta;
    QString familiaFiltro;
    QString familiaPanel;
    int altoLinea = 0;
    int altoFila = 0;
};

class FuenteEnVivo : public MarcoReal {
protected:
    void SetUp() override {
        MarcoReal::SetUp();
        if (FuenteEspecialDisponible()) GTEST_SKIP() << "the special font is installed";
        id_ = QFontDatabase::addApplicationFontFromData(FuenteRenombrada(kOrigen, FUENTE_ESPECIAL, 2700));
        ASSERT_GE(id_, 0);
        ASSERT_TRUE(FuenteEspecialDisponible());
        // Long names, so that cut captions and labels depend on the widths.
        const std::string a = tmp.Carpeta("carpeta con un nombre bastante largo para cortar");
        const std::string b = tmp.Carpeta("otra carpeta de nombre largo que se ve en otro tab");
        tmp.Archivo("carpeta con un nombre bastante largo para cortar/un archivo de nombre larguisimo.txt", 3);
        Abrir(a);
        Tab()->AgregarVisor(b);
        m->NuevoTabVisor(Q(b));  // opened behind the one on screen
        oculto_ = dynamic_cast<frmMain*>(m->VentanasTab().back());
        ASSERT_NE(oculto_, nullptr);
        ASSERT_NE(oculto_, Tab());
        oculto_->AgregarVisor(a);
        ASSERT_EQ(oculto_->nVisores(), 2);
    }
    void TearDown() override {
        if (m && m->VentanaOpciones()) m->VentanaOpciones()->close();
        MarcoReal::TearDown();
        AplicarFuenteInterfaz(false);
        if (id_ >= 0) QFontDatabase::removeApplicationFont(id_);
    }

    // Ticks or clears "Use special font" in the options window (Ctrl+O) and accepts.
    void Cambiar(bool especial) {
        cVisor* activo = Tab()->aVisor();
        activo->picM()->setFocus();
        QTest::keyClick(activo->picM(), Qt::Key_O, Qt::ControlModifier);
        auto* o = dynamic_cast<frmO*>(m->VentanaOpciones());
        ASSERT_NE(o, nullptr);
        ASSERT_TRUE(o->chkNfuente()->isEnabled());
        ASSERT_NE(o->chkNfuente()->isChecked(), especial);
        o->chkNfuente()->click();
        o->cmdAceptar()->click();
    }

    Medidas Medir(cVisor* v) const {
        Medidas r;
        r.familiaTabs = QFontInfo(m->FilaTabsWidget()->font()).family();
        for (const RegistroTab& t : m->Tabs()) {
            r.anchosTabs.push_back(t.Boton->width());
            r.textosTabs << t.Texto;
        }
        if (!m->lblRuta().empty()) {
            r.familiaRuta = QFontInfo(m->lblRuta().back()->font()).family();
        }
        r.familiaFiltro = QFontInfo(m->txtFiltro()->font()).family();
        r.familiaPanel = QFontInfo(v->FuenteItems()).family();
        r.altoLinea = v->Distribucion().AltoLinea();
        r.altoFila = v->Distribucion().Geometria().IcoH;
        return r;
    }
    static void Iguales(const Medidas& a, const Medidas& b) {
        EXPECT_EQ(a.familiaTabs, b.familiaTabs);
        EXPECT_EQ(a.anchosTabs, b.anchosTabs);
        EXPECT_EQ(a.textosTabs, b.textosTabs);
        EXPECT_EQ(a.familiaRuta, b.familiaRuta);
        EXPECT_EQ(a.familiaFiltro, b.familiaFiltro);
        EXPECT_EQ(a.familiaPanel, b.familiaPanel);
        EXPECT_EQ(a.altoLinea, b.altoLinea);
        EXPECT_EQ(a.altoFila, b.altoFila);
    }

    // The pane measures in the font it draws with: line step, "...", and the labels it has
    // fitted (drawn once more to fill the cache), each as this font's metrics fit it (the
    // font's letters are all as wide, so a beginning measured within its name is exact).
    static void MideEnSuFuente(cVisor* v) {
        const QFontMetrics fm(v->FuenteItems());
        EXPECT_EQ(v->Distribucion().AltoLinea(), fm.height());
        EXPECT_EQ(v->Distribucion().AnchoPuntos(), fm.horizontalAdvance(QStringLiteral("...")));
        v->picM()->repaint();
        const FuncionMedir medir = [&fm](std::string_view t) {
            return fm.horizontalAdvance(QString::fromUtf8(t.data(), static_cast<int>(t.size())));
        };
        for (int i = 0; i < v->nItems(); ++i) {
            const ItemCarpeta& it = v->Contenido().Items[static_cast<size_t>(i)];
            const std::string etiqueta = v->Distribucion().CalcularEtiquetaIcono(it);
            EXPECT_EQ(etiqueta, AjustarTexto(it.Nombre, v->Distribucion().AnchoEtiqueta(), 2,
                                             fm.horizontalAdvance(QStringLiteral("...")), medir));
            if (!it.TextoIcono().empty()) {
                EXPECT_EQ(it.TextoIcono(), etiqueta);
            }
        }
    }

    frmMain* oculto_ = nullptr;
    int id_ = -1;
};

TEST_F(FuenteEnVivo, EverySurfaceOfEveryTabFollowsTheSwitchAtOnce) {
    const Medidas antes = Medir(Visor(0));
    const Medidas antesOculto = Medir(oculto_->GetVisor(1));
    ASSERT_NE(antes.familiaPanel, FUENTE_ESPECIAL);

    Cambiar(true);
    const Medidas con = Medir(Visor(0));
    EXPECT_EQ(con.familiaTabs, FUENTE_ESPECIAL);
    EXPECT_EQ(con.familiaRuta, FUENTE_ESPECIAL);
    EXPECT_EQ(con.familiaFiltro, FUENTE_ESPECIAL);
    EXPECT_EQ(con.familiaPanel, FUENTE_ESPECIAL);
    // Taller lines give taller cells; wider letters cut the long captions elsewhere.
    EXPECT_GT(con.altoLinea, antes.altoLinea);
    EXPECT_GT(con.altoFila, antes.altoFila);
    EXPECT_NE(con.textosTabs, antes.textosTabs);
    const QFontMetrics fmTabs(m->FilaTabsWidget()->font());
    for (size_t i = static_cast<size_t>(m->TabsFijos()); i < m->Tabs().size(); ++i) {
        const RegistroTab& t = m->Tabs()[i];
        EXPECT_EQ(t.Texto, fmTabs.elidedText(t.TextoCompleto, Qt::ElideRight, Opciones().AnchoTextoTab));
    }
    for (int i = 0; i < 2; ++i) {
        for (cVisor* v : {Tab()->GetVisor(i), oculto_->GetVisor(i)}) {
            SCOPED_TRACE(i);
            EXPECT_EQ(QFontInfo(v->FuenteItems()).family(), FUENTE_ESPECIAL);
            MideEnSuFuente(v);
        }
    }
    const Medidas conOculto = Medir(oculto_->GetVisor(1));
    EXPECT_EQ(conOculto.altoFila, con.altoFila);

    // Off again: everything as it was before.
    Cambiar(false);
    Iguales(Medir(Visor(0)), antes);
    Iguales(Medir(oculto_->GetVisor(1)), antesOculto);
    MideEnSuFuente(oculto_->GetVisor(0));
}

TEST_F(FuenteEnVivo, ThePanesRowsFitTheTallerFontInEveryView) {
    cVisor* v = Visor(0);
    const int antes = v->Distribucion().AltoLinea();
    Cambiar(true);
    const int linea = v->Distribucion().AltoLinea();
    ASSERT_GT(linea, antes);
    v->SetViewMode(MODO_DETALLES);
    // A details row holds one line with its margins; the grid cells two lines under the icon.
    EXPECT_GE(v->Distribucion().Geometria().IcoH, linea + 5);
    v->SetViewMode(MODO_ICONOS);
    const auto& g = v->Distribucion().Geometria();
    EXPECT_GE(g.IcoH, g.IcoDD + g.IcoDT + g.IcoDH + 2 * linea);
    v->SetViewMode(MODO_PREVIEW);
    EXPECT_GE(v->Distribucion().Geometria().IcoH, 142 + 2 * (linea - antes));
}

}  // namespace
}  // namespace quirvex::prueba
