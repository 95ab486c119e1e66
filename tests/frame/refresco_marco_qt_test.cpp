// A refresh of the shown folder keeps the user's place: a file written there from outside or
// the refresh command leaves the current item, the selection (by name) and the scroll position
// as they were, and the info strip's item with them; going to another folder starts afresh.
// A folder revisited after a file in it was rewritten shows the file as it is now.

#include <QCheckBox>
#include <chrono>
#include <filesystem>
#include <fstream>

#include "frame/marco_real_qt.h"
#include "pane/seleccion_visor.h"
#include "platform/sistema_archivos.h"
#include "properties/frm_info_qt.h"

namespace quirvex::prueba {
namespace {

namespace fs = std::filesystem;

class LugarMarco : public MarcoReal {
protected:
    void SetUp() override {
        MarcoReal::SetUp();
        for (int k = 0; k < 150; ++k) tmp.Archivo("f" + std::to_string(1000 + k), 1);
        tmp.Archivo("g_sub/dentro", 1);
        tmp.Carpeta("otra");
    }
    static std::string Actual(cVisor* v) {
        const int i = v->Seleccion().sActual();
        return i < 0 ? std::string() : v->Contenido().Items[static_cast<size_t>(i)].Nombre;
    }
    static std::vector<std::string> Seleccion(cVisor* v) { return v->Seleccion().Lugar().seleccion; }
    // Selects three items by name with clicks, the last one current, and scrolls one notch.
    void Elegir(cVisor* v, const std::vector<std::string>& nombres) {
        v->HacerVisible(Indice(v, nombres[0]));
        Clic(v->picM(), SobreItem(v, Indice(v, nombres[0])));
        for (size_t k = 1; k < nombres.size(); ++k) {
            v->HacerVisible(Indice(v, nombres[k]));
            Clic(v->picM(), SobreItem(v, Indice(v, nombres[k])), Qt::ControlModifier);
        }
        ASSERT_EQ(Seleccion(v), nombres);
        ASSERT_EQ(Actual(v), nombres.back());
    }
    void Escribir(const std::string& nombre) {
        std::ofstream(tmp.Ruta(nombre)) << "descargando";
    }
};

TEST_F(LugarMarco, AFileWrittenFromOutsideOrF5KeepsTheCurrentItemSelectionAndScroll) {
    Abrir(tmp.Ruta());
    cVisor* v = Visor(0);
    const std::vector<std::string> elegidos{"f1010", "f1040", "f1020"};
    Elegir(v, elegidos);
    Rueda(v->picM(), v->picM()->rect().center(), -120);
    const int scroll = v->vsbValue();
    ASSERT_GT(scroll, 0);

    // A download being written in the shown folder.
    Escribir("e_descarga.part");
    ASSERT_TRUE(Esperar([&] { return Indice(v, "e_descarga.part") >= 0; }));
    EXPECT_EQ(Seleccion(v), elegidos);
    EXPECT_EQ(Actual(v), "f1020");
    EXPECT_EQ(v->vsbValue(), scroll);
    EXPECT_EQ(v->Seleccion().Verificar(), "");

    // A selected file deleted from outside drops out; the others stay, in their order.
    fs::remove(tmp.Ruta("f1040"));
    ASSERT_TRUE(Esperar([&] { return Indice(v, "f1040") < 0; }));
    EXPECT_EQ(Seleccion(v), (std::vector<std::string>{"f1010", "f1020"}));
    EXPECT_EQ(Actual(v), "f1020");

    // The refresh command keeps the place too.
    Tecla(Qt::Key_F5);
    EXPECT_EQ(Seleccion(v), (std::vector<std::string>{"f1010", "f1020"}));
    EXPECT_EQ(Actual(v), "f1020");
    EXPECT_EQ(v->vsbValue(), scroll);
    // The keys go on from the kept current item.
    Tecla(Qt::Key_Right);
    EXPECT_EQ(Actual(v), "f1021");

    // Another folder, and back: a fresh start.
    ASSERT_TRUE(v->CargarContenido(tmp.Ruta("otra/")));
    ASSERT_TRUE(v->CargarContenido(tmp.Ruta()));
    EXPECT_TRUE(Seleccion(v).empty());
    EXPECT_EQ(Actual(v), "");
    EXPECT_EQ(v->vsbValue(), 0);
}

TEST_F(LugarMarco, TheInfoStripKeepsItsItemThroughARefreshOfAnUnrelatedChange) {
    Abrir(tmp.Ruta());
    cVisor* v = Visor(0);
    QTest::mouseClick(m->lblInfo(), Qt::LeftButton);
    ASSERT_TRUE(m->chkInfo()->isChecked());
    frmInfo* info = m->InfoEmbebida();
    ASSERT_NE(info, nullptr);
    v->HacerVisible(Indice(v, "g_sub"));
    Clic(v->picM(), SobreItem(v, Indice(v, "g_sub")));
    ASSERT_EQ(Actual(v), "g_sub");
    const std::string ruta = info->Ruta();
    ASSERT_NE(ruta.find("g_sub"), std::string::npos);
    Escribir("e_otro");
    ASSERT_TRUE(Esperar([&] { return Indice(v, "e_otro") >= 0; }));
    EXPECT_EQ(Actual(v), "g_sub");
    EXPECT_EQ(m->InfoEmbebida(), info);
    EXPECT_EQ(info->Ruta(), ruta);
}

TEST_F(LugarMarco, AFileRewrittenInPlaceWhileTheUserWasAwayShowsItsNewSizeAndDateOnReturn) {
    CarpetaTemporal lejos;
    tmp.Archivo("nota.txt", 3);
    // Old enough for the folder's stamp to vouch for a listing, as any folder not just changed.
    fs::last_write_time(tmp.Ruta(), fs::file_time_type::clock::now() - std::chrono::hours(1));
    Abrir(tmp.Ruta());
    cVisor* v = Visor(0);
    ASSERT_EQ(v->Contenido().Items[static_cast<size_t>(Indice(v, "nota.txt"))].Tamano, 3);
    ASSERT_TRUE(v->CargarContenido(lejos.Ruta()));
    const auto sello = Archivos().Sello(tmp.Ruta());
    std::ofstream(tmp.Ruta("nota.txt"), std::ios::trunc) << std::string(4000, 'x');
    fs::last_write_time(tmp.Ruta("nota.txt"), fs::last_write_time(tmp.Ruta("nota.txt")) + std::chrono::hours(2));
    ASSERT_EQ(Archivos().Sello(tmp.Ruta()), sello);  // a rewrite leaves the folder's own times
    ASSERT_TRUE(v->CargarContenido(tmp.Ruta()));
    const ItemCarpeta& nota = v->Contenido().Items[static_cast<size_t>(Indice(v, "nota.txt"))];
    EXPECT_EQ(nota.Tamano, 4000);
    EXPECT_EQ(nota.FechaModificacion, Archivos().Consultar(tmp.Ruta("nota.txt"))->modificacion);
    // Rewritten while shown: the event arrives before any later visit is served.
    ASSERT_TRUE(Tab()->AgregarVisor(tmp.Ruta()));
    std::ofstream(tmp.Ruta("nota.txt"), std::ios::trunc) << std::string(9000, 'x');
    ASSERT_TRUE(Visor(1)->CargarContenido(lejos.Ruta()));
    ASSERT_TRUE(Visor(1)->CargarContenido(tmp.Ruta()));
    EXPECT_EQ(Visor(1)->Contenido().Items[static_cast<size_t>(Indice(Visor(1), "nota.txt"))].Tamano, 9000);
}

// The pane's part, without a window: names that are gone drop out, the rest keep their order
// and the totals add up.
TEST(LugarPorNombreTest, RestoredSelectionFollowsNamesNotPlaces) {
    TablaItems items;
    auto agregar = [&](const std::string& n, std::int64_t tamano) {
        ItemCarpeta it;
        it.Nombre = n;
        it.Tipo = TIPO_ARCHIVO;
        it.Tamano = tamano;
        items.push_back(it);
    };
    for (const char* n : {"a", "b", "c", "d"}) agregar(n, 10);
    cSeleccionVisor sel(items);
    sel.Reiniciar(4);
    sel.SELECCIONAR(3, SEL_EXCLUSIVA, true);
    sel.SELECCIONAR(1, SEL_ALTERNAR, true);
    sel.SELECCIONAR(2, SEL_ALTERNAR, true);
    const LugarPorNombre lugar = sel.Lugar();
    EXPECT_EQ(lugar.seleccion, (std::vector<std::string>{"d", "b", "c"}));
    EXPECT_EQ(lugar.actual, "c");
    EXPECT_EQ(lugar.ancla, "d");
    // The new listing: "b" gone, a new first entry, so every index moved.
    items.clear();
    for (const char* n : {"0", "a", "c", "d"}) agregar(n, 7);
    sel.Reiniciar(4);
    sel.Restaurar(lugar);
    EXPECT_EQ(sel.Lugar().seleccion, (std::vector<std::string>{"d", "c"}));
    EXPECT_EQ(sel.sActual(), 2);
    EXPECT_EQ(sel.Ancla(), 3);
    EXPECT_EQ(sel.TotalSEL(), 14);
    EXPECT_EQ(sel.Verificar(), "");
    // The current item gone as well: nothing is current, the selection stays.
    LugarPorNombre sinActual = sel.Lugar();
    sinActual.actual = "zz";
    sel.Reiniciar(4);
    sel.Restaurar(sinActual);
    EXPECT_EQ(sel.sActual(), -1);
    EXPECT_EQ(sel.nSel(), 2);
}

}  // namespace
}  // namespace quirvex::prueba
