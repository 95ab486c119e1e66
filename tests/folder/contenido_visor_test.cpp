#include "folder/contenido_visor.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <limits>

#include "folder/cache_listados.h"
#include "folder/filtro.h"
#include "folder/orden.h"
#include "settings/idioma.h"
#include "settings/opciones.h"
#include "support/nucleo_limpio.h"
#include "support/fakes.h"
#include "platform/red.h"
#include "platform/sistema_archivos.h"

namespace quirvex {
namespace {

using prueba::CarpetaTemporal;

class VistaContada : public VistaVisor {
public:
    void RedibujarTodo() override { ++redibujos; }
    void DeseleccionarTodo() override { ++deselecciones; }
    std::int64_t ItemActual() const override { return actual; }
    int redibujos = 0;
    int deselecciones = 0;
    std::int64_t actual = -1;
};

class ContenidoVisorTest : public prueba::NucleoLimpio {
protected:
    std::vector<std::string> Nombres() const {
        std::vector<std::string> r;
        for (std::int64_t i = 0; i < c.nMostrados(); ++i) r.push_back(c.Items[static_cast<size_t>(i)].Nombre);
        return r;
    }

    VistaContada vista;
    cContenidoVisor c{&vista};
};

TEST_F(ContenidoVisorTest, LoadsAFolderWithOrWithoutTheTrailingSeparator) {
    tmp.Archivo("b.doc", 10);
    tmp.Archivo("a.txt", 5);
    tmp.Archivo("README", 1);
    tmp.Carpeta("zeta");
    tmp.Carpeta("Alpha");
    ASSERT_TRUE(c.CargarContenido(tmp.Ruta().substr(0, tmp.Ruta().size() - 1), true));
    EXPECT_EQ(c.RutaActual, tmp.Ruta());
    // Extension order: folders by name, files without extension, then by extension.
    EXPECT_EQ(Nombres(), (std::vector<std::string>{"Alpha", "zeta", "README", "b.doc", "a.txt"}));
    EXPECT_EQ(c.nCarpetas, 2);
    EXPECT_EQ(c.nArchivos, 3);
    EXPECT_EQ(c.TotalSize, 16);
    EXPECT_EQ(c.IconoCarpeta, 7);
    EXPECT_EQ(c.NombreCarpeta, UltimoComponente(tmp.Ruta()));
    EXPECT_EQ(vista.deselecciones, 1);

    ASSERT_TRUE(c.CargarContenido(tmp.Ruta(), true));
    EXPECT_EQ(c.UboundHistorial(), 0);  // the same location adds no history entry
}

TEST_F(ContenidoVisorTest, ItemFieldsDescribeTheEntry) {
    tmp.Archivo("photo.JPG", 3);
    tmp.Archivo("noext", 0);
    tmp.Archivo("archive.z", 0);
    tmp.Carpeta("dir");
    ASSERT_TRUE(c.CargarContenido(tmp.Ruta(), false));
    const auto& it = c.Items[static_cast<size_t>(c.GetIndexItem("photo.JPG"))];
    EXPECT_EQ(it.Tipo, "A");
    EXPECT_EQ(it.Ext(), "jpg");
    EXPECT_EQ(std::get<std::string>(it.Extension()), "jpg");
    EXPECT_EQ(it.Icono, 6);  // "*JPG*JPEG*" is the fifth group
    EXPECT_EQ(it.RutaCompleta(c.RutaActual), tmp.Ruta("photo.JPG"));
    EXPECT_GT(it.FechaModificacion, 40000.0);
    const auto& sin = c.Items[static_cast<size_t>(c.GetIndexItem("noext"))];
    EXPECT_EQ(std::get<std::string>(sin.Extension()), ".");
    EXPECT_EQ(sin.Ext(), std::string(1, '\1'));
    EXPECT_EQ(sin.Icono, 1);
    EXPECT_EQ(c.Items[static_cast<size_t>(c.GetIndexItem("archive.z"))].Icono, 9);
    const auto& dir = c.Items[static_cast<size_t>(c.GetIndexItem("dir"))];
    EXPECT_EQ(dir.Tipo, "C");
    EXPECT_EQ(dir.Ext(), std::string(1, '\0'));
    EXPECT_EQ(c.GetIndexItem("DIR"), -1);  // exact, case-sensitive
}

TEST_F(ContenidoVisorTest, SortModesAndTheCacheThatServesThem) {
    tmp.Archivo("Zeta", 3);
    tmp.Archivo("alpha", 10'000'000'000);  // sparse: sizes past 32 bits are exact
    tmp.Archivo("mid", 9'000'000'000);
    tmp.FijarFecha("Zeta", 2'000'000'000);
    tmp.FijarFecha("alpha", 1'000'000'000);
    tmp.FijarFecha("mid", 1'500'000'000);
    c.CriterioOrden = ORDEN_NOMBRE;
    ASSERT_TRUE(c.CargarContenido(tmp.Ruta(), true));
    EXPECT_EQ(Nombres(), (std::vector<std::string>{"Zeta", "alpha", "mid"}));
    EXPECT_EQ(c.Items[1].Tamano, 10'000'000'000);

    const int antes = vista.redibujos;
    c.CambiarOrden(ORDEN_NOMBRE);  // the same mode again does nothing
    EXPECT_EQ(vista.redibujos, antes);
    c.CambiarOrden(ORDEN_TAMANO);
    EXPECT_EQ(Nombres(), (std::vector<std::string>{"Zeta", "mid", "alpha"}));
    c.CambiarOrden(ORDEN_MODIFICACION);
    EXPECT_EQ(Nombres(), (std::vector<std::string>{"alpha", "mid", "Zeta"}));

    tmp.Archivo("new-on-disk", 1);  // the folder changed: its cached listing is not served
    c.CambiarOrden(ORDEN_NOMBRE);
    EXPECT_EQ(c.nArchivos, 4);
    std::filesystem::remove(tmp.Ruta("mid"));
    c.ActualizarContenido();  // a refresh reads the disk again
    EXPECT_EQ(c.nArchivos, 3);
}

// A new sort of the listing on show moves the items instead of building them again; what each
// holds afterwards must be what a pane loading the folder in that mode would hold.
TEST_F(ContenidoVisorTest, ANewSortLeavesEveryItemAsAFreshLoadWould) {
    for (int i = 0; i < 40; ++i) tmp.Archivo("n" + std::to_string((i * 7) % 40) + (i % 3 ? ".txt" : ".LOG"), static_cast<std::uintmax_t>(i % 5));
    tmp.Carpeta("sub");
    c.CriterioOrden = ORDEN_EXTENSION;
    ASSERT_TRUE(c.CargarContenido(tmp.Ruta(), true));
    // What a shown table picks up: a selection, fitted labels, a size seen to change, a rename.
    c.Items[3].PosSeleccion = 1;
    c.Items[4].SetTextoLinea("n1...");
    c.Items[5].SetTextoIcono("n2\r.txt");
    c.Items[6].Tamano = 999;
    const std::string renombrado = c.Items[7].Nombre;
    c.SetItemRuta(7, "other-name");
    for (int criterio : {ORDEN_NOMBRE, ORDEN_TAMANO, ORDEN_MODIFICACION, ORDEN_EXTENSION}) {
        c.CambiarOrden(criterio);
        cContenidoVisor fresco;
        fresco.CriterioOrden = criterio;
        ASSERT_TRUE(fresco.CargarContenido(tmp.Ruta(), false));
        ASSERT_EQ(c.Items.size(), fresco.Items.size());
        for (size_t i = 0; i < c.Items.size(); ++i) {
            const ItemCarpeta& a = c.Items[i];
            const ItemCarpeta& b = fresco.Items[i];
            ASSERT_EQ(a.Nombre, b.Nombre) << criterio << " " << i;
            EXPECT_EQ(a.NombreMostrar(), b.NombreMostrar());
            EXPECT_EQ(a.RutaCompleta(c.RutaActual), b.RutaCompleta(fresco.RutaActual));
            EXPECT_EQ(a.Tipo, b.Tipo);
            EXPECT_EQ(a.Ext(), b.Ext());
            EXPECT_EQ(a.Extension(), b.Extension());
            EXPECT_EQ(a.Icono, b.Icono);
            EXPECT_EQ(a.Tamano, b.Tamano) << a.Nombre;
            EXPECT_EQ(a.Atributos, b.Atributos);
            EXPECT_EQ(a.FechaModificacion, b.FechaModificacion);
            EXPECT_EQ(a.PosSeleccion, 0);
            EXPECT_EQ(a.TextoLinea(), "");
            EXPECT_EQ(a.TextoIcono(), "");
        }
        EXPECT_EQ(c.GetIndexItem("other-name"), -1);
        EXPECT_GE(c.GetIndexItem(renombrado), 0);
    }
}

TEST_F(ContenidoVisorTest, FilterChangesReloadFromTheCache) {
    tmp.Archivo("a.txt");
    tmp.Archivo("b.log");
    tmp.Carpeta("sub");
    c.txtFiltro = "*.txt";
    c.cboFiltro = FILTRO_ARCHIVOS;
    ASSERT_TRUE(c.CargarContenido(tmp.Ruta(), true));
    EXPECT_EQ(Nombres(), (std::vector<std::string>{"sub", "a.txt"}));
    c.cboFiltro = FILTRO_SOLO_ARCHIVOS;
    c.txtFiltro = "*";
    ASSERT_TRUE(c.CargarContenido("", true));
    EXPECT_EQ(c.nCarpetas, 0);
    EXPECT_EQ(c.nArchivos, 2);
    EXPECT_EQ(c.UboundHistorial(), 0);
    EXPECT_EQ(mvCache::Cantidad(), 1);
    EXPECT_EQ(mvCache::Entrada(0).entradas->size(), 3u);  // the cached listing stays unfiltered
}

TEST_F(ContenidoVisorTest, SystemFilesHiddenOnlyWhenAskedAndNeverFolders) {
    tmp.Archivo("Desktop.ini");
    tmp.Archivo("thumbs.db");
    tmp.Carpeta("desktop.ini/inner");
    tmp.Archivo("folder.htm");
    ASSERT_TRUE(c.CargarContenido(tmp.Ruta(), true));
    EXPECT_EQ(Nombres(), (std::vector<std::string>{"desktop.ini", "folder.htm"}));
    Opciones().HideDesktopIni = 0;
    c.ActualizarContenido();
    EXPECT_EQ(c.nMostrados(), 4);
}

TEST_F(ContenidoVisorTest, EmptyMissingAndOddlyNamedFolders) {
    const std::string vacia = tmp.Carpeta("empty");
    ASSERT_TRUE(c.CargarContenido(vacia, true));
    EXPECT_EQ(c.nCarpetas + c.nArchivos, 0);

    prueba::DialogosGrabados dialogos;
    EXPECT_FALSE(c.CargarContenido(tmp.Ruta("missing"), true));
    EXPECT_FALSE(c.CargarContenido(tmp.Archivo("plain-file"), true));
    ASSERT_EQ(dialogos.mensajes.size(), 2u);
    EXPECT_EQ(dialogos.mensajes[0], "No se pudo cargar el contenido.");
    EXPECT_EQ(c.RutaActual, vacia);  // nothing changed
    EXPECT_EQ(c.UboundHistorial(), 0);

    const std::string raro = "bad\xff name \"quoted\"";
    tmp.Archivo(raro, 2);
    ASSERT_TRUE(c.CargarContenido(tmp.Ruta(), true));
    const auto i = c.GetIndexItem(raro);
    ASSERT_GE(i, 0);
    EXPECT_EQ(c.Items[static_cast<size_t>(i)].RutaCompleta(c.RutaActual), tmp.Ruta(raro));
    EXPECT_EQ(c.Items[static_cast<size_t>(i)].Tamano, 2);
}

TEST_F(ContenidoVisorTest, HistoryBackForwardAndCut) {
    const std::string a = tmp.Carpeta("a"), b = tmp.Carpeta("b"), cc = tmp.Carpeta("c"),
                      d = tmp.Carpeta("d");
    for (const auto& r : {a, b, cc}) ASSERT_TRUE(c.CargarContenido(r, true));
    EXPECT_EQ(c.UboundHistorial(), 2);
    c.GoHistorial(0);
    EXPECT_EQ(c.RutaActual, a);
    EXPECT_EQ(c.UboundHistorial(), 2);  // going back adds nothing
    c.GoHistorial(2);
    EXPECT_EQ(c.RutaActual, cc);
    c.GoHistorial(0);
    ASSERT_TRUE(c.CargarContenido(d, true));
    EXPECT_EQ(c.UboundHistorial(), 1);
    EXPECT_EQ(c.IndexHistorial(), 1);
    EXPECT_EQ(c.Historial(0), a.substr(0, a.size() - 1));
    EXPECT_EQ(c.Historial(1), d.substr(0, d.size() - 1));
}

TEST_F(ContenidoVisorTest, UpOneLevelReachesMyPcFromTheRootOnly) {
    prueba::UnidadesFijas unidades({Volumen{"/", "ext4", "/dev/vda", "", UNIDAD_FIJA},
                                    Volumen{"/media/usb/", "vfat", "/dev/sdb1", "STICK",
                                            UNIDAD_EXTRAIBLE}});
    const std::string hondo = tmp.Carpeta("x/y");
    ASSERT_TRUE(c.CargarContenido(hondo, true));
    c.SubirNivel();
    EXPECT_EQ(c.RutaActual, tmp.Ruta("x/"));
    ASSERT_TRUE(c.CargarContenido("/", true));
    EXPECT_EQ(c.NombreCarpeta, "/");
    const auto antes = c.UboundHistorial();
    c.SubirNivel();
    EXPECT_TRUE(c.EnMiPC());
    EXPECT_EQ(c.UboundHistorial(), antes);  // the drive list from "/" is not recorded
    EXPECT_EQ(c.nCarpetas, 2);
    EXPECT_EQ(c.TextoEstado, "Unidades disponibles: 2");
    EXPECT_EQ(c.Items[1].Nombre, "STICK (/media/usb)");
    EXPECT_EQ(c.Items[1].Icono, 5);
    EXPECT_EQ(std::get<std::int32_t>(c.Items[1].Extension()), 1);
    c.SubirNivel();  // nothing above My PC
    EXPECT_TRUE(c.EnMiPC());

    ASSERT_TRUE(c.CargarContenido("/", true));  // "/" is a drive: its header is the drive's
    EXPECT_EQ(c.NombreCarpeta, "/ (/)");
    EXPECT_EQ(c.IconoCarpeta, UNIDAD_FIJA - 1);
}

TEST_F(ContenidoVisorTest, DefaultFolderFollowsTheOption) {
    const std::string casa = tmp.Carpeta("home");
    Opciones().DefaultFolderOption = 0;
    Opciones().DefaultFolderPath = casa;
    c.GoDefaultFolder(tmp.Ruta("missing"));
    EXPECT_EQ(c.RutaActual, casa);

    cContenidoVisor otro;
    Opciones().DefaultFolderOption = 1;
    otro.GoDefaultFolder("");
    EXPECT_TRUE(otro.EnMiPC());
    otro.GoDefaultFolder(casa);
    EXPECT_EQ(otro.RutaActual, casa);
}

// A network where nothing answers; the real browse would send name queries off this machine.
class RedMuda final : public Red {
public:
    std::vector<GrupoRed> Listar() override { return {}; }
};

TEST_F(ContenidoVisorTest, NetworkWithoutComputersIsEmpty) {
    RedMuda red;
    SetRed(&red);
    ASSERT_TRUE(c.CargarContenido(TEXTO_RED, true));
    SetRed(nullptr);
    EXPECT_TRUE(c.EnRed());
    EXPECT_EQ(c.nCarpetas, 0);
    EXPECT_EQ(c.TextoEstado, "Computadoras disponibles: 0");
}

TEST(GrupoExtension, TheFirstGroupThatHoldsTheExtension) {
    EXPECT_EQ(GrupoExtension("README"), 1);
    EXPECT_EQ(GrupoExtension("a."), 1);
    EXPECT_EQ(GrupoExtension("a.txt"), 2);
    EXPECT_EQ(GrupoExtension("b.Log"), 2);
    EXPECT_EQ(GrupoExtension("c.tiff"), 5);
    EXPECT_EQ(GrupoExtension("d.MANIFEST"), 8);
    EXPECT_EQ(GrupoExtension("e.7-zip"), 9);
    EXPECT_EQ(GrupoExtension("f.z"), 9);  // "*Z*" holds only the extension Z
    EXPECT_EQ(GrupoExtension("g.zz"), 1);
    EXPECT_EQ(GrupoExtension("h.tar.gz"), 1);  // GZIP is listed, GZ is not
    EXPECT_EQ(GrupoExtension("i.vdi"), 30);
    EXPECT_EQ(GrupoExtension("j.TXT*LOG"), 2);  // a star spans extensions, as the text search does
    EXPECT_EQ(GrupoExtension("k.XT*LO"), 1);
}

// The full path is made when asked for: from the folder and the present name for its files and
// folders, kept as listed for drives, computers and shares. Each must come back byte for byte.
TEST_F(ContenidoVisorTest, EveryKindOfEntryGivesBackItsPathExactly) {
    const std::string raro = "bad\xff name";
    tmp.Archivo(raro, 1);
    tmp.Carpeta("sub dir");
    ASSERT_TRUE(c.CargarContenido(tmp.Ruta(), true));
    const auto i = static_cast<size_t>(c.GetIndexItem(raro));
    EXPECT_EQ(c.Items[i].RutaCompleta(c.RutaActual), tmp.Ruta(raro));
    EXPECT_TRUE(c.Items[i].RutaPropia().empty());  // nothing kept per file
    EXPECT_EQ(c.Items[static_cast<size_t>(c.GetIndexItem("sub dir"))].RutaCompleta(c.RutaActual),
              tmp.Ruta("sub dir"));
    c.SetItemRuta(static_cast<std::int64_t>(i), "renamed\xfe");
    EXPECT_EQ(c.Items[i].RutaCompleta(c.RutaActual), tmp.Ruta("renamed\xfe"));
    // The filter sees the new name, not the one the entry was listed under.
    TablaItems filtrados;
    std::int64_t nCarpetas = 0, nArchivos = 0;
    FiltrarItems(c.Items, "renamed*", FILTRO_ARCHIVOS, filtrados, nCarpetas, nArchivos);
    EXPECT_EQ(nArchivos, 1);
    FiltrarItems(c.Items, "bad*", FILTRO_ARCHIVOS, filtrados, nCarpetas, nArchivos);
    EXPECT_EQ(nArchivos, 0);

    // A share's folder, with and without its closing separator, and a port.
    ItemCarpeta enRecurso;
    enRecurso.Nombre = "a b.txt";
    EXPECT_EQ(enRecurso.RutaCompleta("//host:4455/share/sub/"), "//host:4455/share/sub/a b.txt");
    EXPECT_EQ(enRecurso.RutaCompleta("//host/share"), "//host/share/a b.txt");

    prueba::UnidadesFijas unidades({Volumen{"/", "ext4", "/dev/vda", "", UNIDAD_FIJA},
                                    Volumen{"/media/usb/", "vfat", "/dev/sdb1", "STICK",
                                            UNIDAD_EXTRAIBLE}});
    ASSERT_TRUE(c.CargarContenido(TextoMiPC(), true));
    ASSERT_EQ(c.Items.size(), 2u);
    EXPECT_EQ(c.Items[0].RutaCompleta(c.RutaActual), "/");
    EXPECT_EQ(c.Items[1].RutaCompleta(c.RutaActual), "/media/usb/");
    const TablaItems copia = c.Items;  // a copy keeps its own paths
    c.Items[1].SetRutaPropia("/otra/");
    EXPECT_EQ(copia[1].RutaCompleta(c.RutaActual), "/media/usb/");
}

// The kind is one byte made from its code; the fitted labels live in a box only drawn items
// have, which forgetting the labels frees unless the item keeps its own path there.
TEST(ItemCarpeta, KindCodesAndLabelsKeptOffTheRecord) {
    ItemCarpeta it;
    EXPECT_STREQ(CodigoTipo(it.Tipo), "");  // no kind until one is given
    EXPECT_FALSE(it.Tipo == TIPO_CARPETA);
    for (const char* k : {TIPO_CARPETA, TIPO_ARCHIVO, TIPO_UNIDAD, TIPO_RED_COMPUTADORA, TIPO_RED_CARPETA}) {
        it.Tipo = k;
        EXPECT_STREQ(CodigoTipo(it.Tipo), k);
        EXPECT_TRUE(it.Tipo == k);
    }
    EXPECT_FALSE(TipoItem("R") == TIPO_RED_COMPUTADORA);  // a prefix is not the code
    EXPECT_LE(sizeof(ItemCarpeta), 96u);

    it.Tipo = TIPO_ARCHIVO;
    it.Nombre = "Foto.JPEG";
    EXPECT_EQ(it.Ext(), "jpeg");
    it.SetTextoLinea("Foto...");
    it.SetTextoIcono("Foto\r.JPEG");
    ASSERT_NE(it.Textos.Leer(), nullptr);
    it.BorrarEtiquetas();
    EXPECT_EQ(it.Textos.Leer(), nullptr);  // nothing left in the box: it is freed
    EXPECT_EQ(it.TextoLinea(), "");

    it.SetRutaPropia("/media/usb/");
    it.SetTextoLinea("usb");
    it.BorrarEtiquetas();
    EXPECT_EQ(it.TextoLinea(), "");
    EXPECT_EQ(it.RutaPropia(), "/media/usb/");
}

class RedFija final : public Red {
public:
    std::vector<GrupoRed> Listar() override {
        return {GrupoRed{"WORKGROUP", {ComputadoraRed{"nas", {"music", "photos"}}}}};
    }
};

TEST_F(ContenidoVisorTest, OnlyTheComputerOpenedFromTheNetworkListListsShares) {
    RedFija red;
    SetRed(&red);
    tmp.Archivo("a.txt");
    ASSERT_TRUE(c.CargarContenido(tmp.Ruta(), true));
    ASSERT_TRUE(c.CargarContenido(TEXTO_RED, true));
    ASSERT_EQ(c.nCarpetas, 1);

    // Back to the folder, with no entry current and with the computer current.
    c.GoHistorial(0);
    EXPECT_EQ(c.RutaActual, tmp.Ruta());
    EXPECT_EQ(Nombres(), (std::vector<std::string>{"a.txt"}));
    ASSERT_TRUE(c.CargarContenido(TEXTO_RED, true));
    vista.actual = 0;
    ASSERT_TRUE(c.CargarContenido(tmp.Ruta(), true));  // typed, or a path button
    EXPECT_EQ(Nombres(), (std::vector<std::string>{"a.txt"}));

    // Opening the computer lists its shares.
    ASSERT_TRUE(c.CargarContenido(TEXTO_RED, true));
    ASSERT_TRUE(c.CargarContenido(c.Items[0].RutaCompleta(c.RutaActual), true));
    EXPECT_EQ(c.RutaActual, "//nas/");
    EXPECT_EQ(Nombres(), (std::vector<std::string>{"music", "photos"}));
    EXPECT_EQ(c.Items[0].RutaCompleta(c.RutaActual), "//nas/music");
    EXPECT_EQ(c.Items[1].RutaCompleta(c.RutaActual), "//nas/photos");
    c.SetItemRuta(1, "fotos");  // a renamed share is reached through the computer
    EXPECT_EQ(c.Items[1].RutaCompleta(c.RutaActual), "//nas/fotos");

    // A missing folder typed at the network list is refused like anywhere else.
    ASSERT_TRUE(c.CargarContenido(TEXTO_RED, true));
    prueba::DialogosGrabados dialogos;
    EXPECT_FALSE(c.CargarContenido(tmp.Ruta("missing"), true));
    EXPECT_TRUE(c.EnRed());
    SetRed(nullptr);
}

// Lists through the real file system and counts what reaches the disk.
class ArchivosContados final : public SistemaArchivos {
public:
    bool Listar(const std::string& carpeta,
                const std::function<void(EntradaDirectorio&&)>& porEntrada) override {
        ++listados;
        return real_.Listar(carpeta, porEntrada);
    }
    bool Accesible(const std::string& carpeta) override { return real_.Accesible(carpeta); }
    std::optional<EntradaDirectorio> Consultar(const std::string& ruta) override {
        ++consultas;
        return real_.Consultar(ruta);
    }
    std::optional<SelloCarpeta> Sello(const std::string& carpeta) override {
        ++sellos;
        return real_.Sello(carpeta);
    }
    std::vector<std::int64_t> Tamanos(const std::string& carpeta,
                                      const std::vector<std::string_view>& nombres) override {
        tamanosLeidos += static_cast<int>(nombres.size());
        return real_.Tamanos(carpeta, nombres);
    }
    int listados = 0;
    int sellos = 0;
    int tamanosLeidos = 0;
    int consultas = 0;

private:
    SistemaArchivos& real_ = Archivos();
};

class CacheListadosTest : public ContenidoVisorTest {
protected:
    void SetUp() override {
        ContenidoVisorTest::SetUp();
        SetSistemaArchivos(&disco);
        // Every listing is old enough to be trusted, unless a test says otherwise.
        mvCache::SetReloj([] { return std::numeric_limits<std::int64_t>::max() / 2; });
    }
    void TearDown() override {
        SetSistemaArchivos(nullptr);
        mvCache::SetReloj(nullptr);
    }
    ArchivosContados disco;
};

TEST_F(CacheListadosTest, ARevisitIsServedOnlyWhileTheFolderIsUnchanged) {
    tmp.Archivo("a");
    tmp.Archivo("b");
    const std::string otra = tmp.Carpeta("other");
    ASSERT_TRUE(c.CargarContenido(tmp.Ruta(), true));
    ASSERT_TRUE(c.CargarContenido(otra, true));
    ASSERT_TRUE(c.CargarContenido(tmp.Ruta(), true));
    c.CambiarOrden(ORDEN_MODIFICACION);
    EXPECT_EQ(disco.listados, 2);  // the revisit and the new sort read no folder

    std::filesystem::remove(tmp.Ruta("a"));
    tmp.Archivo("c");
    ASSERT_TRUE(c.CargarContenido(otra, true));
    ASSERT_TRUE(c.CargarContenido(tmp.Ruta(), true));
    c.CriterioOrden = ORDEN_NOMBRE;
    ASSERT_TRUE(c.CargarContenido("", true));
    EXPECT_EQ(Nombres(), (std::vector<std::string>{"b", "c", "other"}));
    std::filesystem::rename(tmp.Ruta("b"), tmp.Ruta("d"));
    ASSERT_TRUE(c.CargarContenido("", true));
    EXPECT_EQ(Nombres(), (std::vector<std::string>{"c", "d", "other"}));
    EXPECT_EQ(mvCache::Cantidad(), 2);  // replaced in place, not stored twice
}

TEST_F(CacheListadosTest, AKnownOrderIsReusedOnlyForTheWholeListing) {
    tmp.Archivo("b.txt", 30);
    tmp.Archivo("a.log", 20);
    tmp.Archivo("c.txt", 10);
    tmp.Carpeta("d");
    c.CriterioOrden = ORDEN_NOMBRE;
    ASSERT_TRUE(c.CargarContenido(tmp.Ruta(), true));
    EXPECT_EQ(Nombres(), (std::vector<std::string>{"a.log", "b.txt", "c.txt", "d"}));
    c.txtFiltro = "*.txt";
    ASSERT_TRUE(c.CargarContenido("", true));
    EXPECT_EQ(Nombres(), (std::vector<std::string>{"b.txt", "c.txt", "d"}));
    c.txtFiltro = "";
    ASSERT_TRUE(c.CargarContenido("", true));
    EXPECT_EQ(Nombres(), (std::vector<std::string>{"a.log", "b.txt", "c.txt", "d"}));

    // The size sort reads the sizes again every time: a file that grew moves.
    c.CambiarOrden(ORDEN_TAMANO);
    EXPECT_EQ(Nombres(), (std::vector<std::string>{"d", "c.txt", "a.log", "b.txt"}));
    std::filesystem::resize_file(tmp.Ruta("c.txt"), 100);
    c.CambiarOrden(ORDEN_NOMBRE);
    c.CambiarOrden(ORDEN_TAMANO);
    EXPECT_EQ(Nombres(), (std::vector<std::string>{"d", "a.log", "b.txt", "c.txt"}));
    EXPECT_EQ(disco.listados, 1);
}

TEST_F(CacheListadosTest, TheSizeSortReadsAgainOnlyWhatTheWatchCannotVouchFor) {
    tmp.Archivo("a.txt", 30);
    tmp.Archivo("b.txt", 10);
    tmp.Archivo("c.txt", 20);
    tmp.Carpeta("d");
    // Watched since before it was listed, no event since: the listing's sizes are current.
    mvCache::Vigilada(tmp.Ruta());
    ASSERT_TRUE(c.CargarContenido(tmp.Ruta(), true));
    c.CambiarOrden(ORDEN_TAMANO);
    EXPECT_EQ(Nombres(), (std::vector<std::string>{"d", "b.txt", "c.txt", "a.txt"}));
    EXPECT_EQ(disco.tamanosLeidos, 0);

    // An event for the folder: the cache reads its entries again, and that listing is current.
    std::filesystem::resize_file(tmp.Ruta("b.txt"), 100);
    mvCache::Cambio(tmp.Ruta());
    c.CambiarOrden(ORDEN_NOMBRE);
    c.CambiarOrden(ORDEN_TAMANO);
    EXPECT_EQ(Nombres(), (std::vector<std::string>{"d", "c.txt", "a.txt", "b.txt"}));
    EXPECT_EQ(disco.tamanosLeidos, 0);

    // The watch ends: nothing vouches for the sizes, so every sort reads them again, once: the
    // load behind the sort reads each entry's status, and the sort takes the sizes from it.
    mvCache::Soltada(tmp.Ruta());
    std::filesystem::resize_file(tmp.Ruta("c.txt"), 1000);
    c.CambiarOrden(ORDEN_NOMBRE);
    int antes = disco.consultas;
    c.CambiarOrden(ORDEN_TAMANO);
    EXPECT_EQ(Nombres(), (std::vector<std::string>{"d", "a.txt", "b.txt", "c.txt"}));
    EXPECT_EQ(disco.consultas - antes + disco.tamanosLeidos, 4);
    std::filesystem::resize_file(tmp.Ruta("a.txt"), 5000);
    c.CambiarOrden(ORDEN_NOMBRE);
    antes = disco.consultas;
    c.CambiarOrden(ORDEN_TAMANO);
    EXPECT_EQ(Nombres(), (std::vector<std::string>{"d", "b.txt", "c.txt", "a.txt"}));
    EXPECT_EQ(disco.consultas - antes + disco.tamanosLeidos, 4);
}

TEST_F(CacheListadosTest, AWatchedFolderIsServedAsListedUntilAnEventOrTheWatchEnds) {
    tmp.Archivo("a", 1);
    const std::string otra = tmp.Carpeta("other");
    mvCache::Vigilada(tmp.Ruta());
    ASSERT_TRUE(c.CargarContenido(tmp.Ruta(), true));
    ASSERT_TRUE(c.CargarContenido(otra, true));
    const int sellos = disco.sellos;
    ASSERT_TRUE(c.CargarContenido(tmp.Ruta(), true));
    EXPECT_EQ(disco.listados, 2);
    EXPECT_EQ(disco.sellos, sellos);  // not even the folder's stamp is read
    // An event for the folder: its entries are read again on the next visit.
    std::filesystem::resize_file(tmp.Ruta("a"), 70);
    mvCache::Cambio(tmp.Ruta());
    ASSERT_TRUE(c.CargarContenido(tmp.Ruta(), true));
    EXPECT_EQ(c.Items[static_cast<size_t>(c.GetIndexItem("a"))].Tamano, 70);
    // Listed again while watched: trusted again, until the last watch ends.
    mvCache::Quitar(tmp.Ruta());
    ASSERT_TRUE(c.CargarContenido(tmp.Ruta(), true));
    std::filesystem::resize_file(tmp.Ruta("a"), 80);
    ASSERT_TRUE(c.CargarContenido(tmp.Ruta(), true));
    EXPECT_EQ(c.Items[static_cast<size_t>(c.GetIndexItem("a"))].Tamano, 70);
    mvCache::Vigilada(tmp.Ruta());
    mvCache::Soltada(tmp.Ruta());
    ASSERT_TRUE(c.CargarContenido(tmp.Ruta(), true));
    EXPECT_EQ(c.Items[static_cast<size_t>(c.GetIndexItem("a"))].Tamano, 70);  // one watch is left
    mvCache::Soltada(tmp.Ruta());
    ASSERT_TRUE(c.CargarContenido(tmp.Ruta(), true));
    EXPECT_EQ(c.Items[static_cast<size_t>(c.GetIndexItem("a"))].Tamano, 80);
    // A watch that begins after the listing vouches for nothing listed before it.
    std::filesystem::resize_file(tmp.Ruta("a"), 90);
    mvCache::Vigilada(tmp.Ruta());
    ASSERT_TRUE(c.CargarContenido(tmp.Ruta(), true));
    EXPECT_EQ(c.Items[static_cast<size_t>(c.GetIndexItem("a"))].Tamano, 90);
    mvCache::Soltada(tmp.Ruta());
}

TEST_F(CacheListadosTest, AnUnwatchedFolderKeepsItsNamesButItsSizesAndTimesAreReadAgain) {
    tmp.Archivo("a.txt", 10);
    tmp.Archivo("b.txt", 20);
    const std::string otra = tmp.Carpeta("other");
    const auto fechaB = std::filesystem::last_write_time(tmp.Ruta("b.txt"));
    std::filesystem::last_write_time(tmp.Ruta("a.txt"), fechaB - std::chrono::hours(1));
    c.CriterioOrden = ORDEN_MODIFICACION;
    ASSERT_TRUE(c.CargarContenido(tmp.Ruta(), true));
    const bool aAntes = c.GetIndexItem("a.txt") < c.GetIndexItem("b.txt");
    ASSERT_TRUE(c.CargarContenido(otra, true));
    // "a.txt" rewritten in place, later than "b.txt": the folder's own stamp does not move.
    const auto sello = Archivos().Sello(tmp.Ruta());
    std::filesystem::resize_file(tmp.Ruta("a.txt"), 500);
    std::filesystem::last_write_time(tmp.Ruta("a.txt"), fechaB + std::chrono::hours(1));
    ASSERT_EQ(Archivos().Sello(tmp.Ruta()), sello);
    const Fecha nueva = Archivos().Consultar(tmp.Ruta("a.txt"))->modificacion;
    ASSERT_TRUE(c.CargarContenido(tmp.Ruta(), true));
    EXPECT_EQ(disco.listados, 2);  // the names were kept
    const ItemCarpeta& a = c.Items[static_cast<size_t>(c.GetIndexItem("a.txt"))];
    EXPECT_EQ(a.Tamano, 500);
    EXPECT_EQ(a.FechaModificacion, nueva);
    EXPECT_EQ(c.TotalSize, 520);
    // The order by date is made again from the new dates, not taken from before.
    EXPECT_NE(c.GetIndexItem("a.txt") < c.GetIndexItem("b.txt"), aAntes);
}

TEST_F(CacheListadosTest, AListingTakenWhileTheFolderJustChangedIsNotTrusted) {
    tmp.Archivo("a");
    // The clock says the folder changed a moment ago: a change in the same clock tick would
    // leave its stamp as it is, so the next visit lists again.
    static std::int64_t ahora = 0;
    ahora = Archivos().Sello(tmp.Ruta())->cambio + 1'000'000;
    mvCache::SetReloj([] { return ahora; });
    ASSERT_TRUE(c.CargarContenido(tmp.Ruta(), true));
    ASSERT_TRUE(c.CargarContenido("", true));
    EXPECT_EQ(disco.listados, 2);
    ahora += 10'000'000'000;
    ASSERT_TRUE(c.CargarContenido("", true));
    ASSERT_TRUE(c.CargarContenido("", true));
    EXPECT_EQ(disco.listados, 3);
}

}  // namespace
}  // namespace quirvex
