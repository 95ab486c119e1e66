#include "platform/sistema_archivos.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "folder/tabla_unidades.h"
#include "platform/unidades.h"
#include "support/carpeta_temporal.h"

namespace quirvex {
namespace {

namespace fs = std::filesystem;
using prueba::CarpetaTemporal;

std::map<std::string, EntradaDirectorio> Listado(const std::string& carpeta) {
    std::map<std::string, EntradaDirectorio> r;
    EXPECT_TRUE(Archivos().Listar(carpeta, [&](EntradaDirectorio&& e) { r[e.nombre] = e; }));
    return r;
}

TEST(SistemaArchivosLinux, AttributesOfEveryKindOfEntry) {
    CarpetaTemporal tmp;
    tmp.Archivo("file", 7);
    tmp.Archivo(".hidden");
    tmp.Carpeta("dir");
    fs::create_symlink(tmp.Ruta("dir"), tmp.Ruta("link-to-dir"));
    fs::create_symlink(tmp.Ruta("file"), tmp.Ruta("link-to-file"));
    fs::create_symlink(tmp.Ruta("nowhere"), tmp.Ruta("dangling"));
    const auto l = Listado(tmp.Ruta());
    ASSERT_EQ(l.size(), 6u);  // "." and ".." left out
    EXPECT_EQ(l.at("file").atributos & (ATR_ARCHIVO | ATR_DIRECTORIO), ATR_ARCHIVO);
    EXPECT_EQ(l.at("file").tamano, 7);
    EXPECT_TRUE(l.at(".hidden").atributos & ATR_OCULTO);
    EXPECT_EQ(l.at("dir").tamano, 0);
    EXPECT_TRUE(l.at("dir").atributos & ATR_DIRECTORIO);
    // A link opens as what it points to but always says it is a link.
    EXPECT_EQ(l.at("link-to-dir").atributos & (ATR_DIRECTORIO | ATR_ENLACE),
              ATR_DIRECTORIO | ATR_ENLACE);
    EXPECT_EQ(l.at("link-to-file").tamano, 7);
    EXPECT_TRUE(l.at("dangling").atributos & ATR_ENLACE);
    EXPECT_FALSE(l.at("dangling").atributos & ATR_DIRECTORIO);
    // Birth time where the file system has it, else the last-write time: never empty.
    EXPECT_GT(l.at("file").creacion, 40000.0);
}

TEST(SistemaArchivosLinux, QueriesAndFailures) {
    CarpetaTemporal tmp;
    tmp.Archivo("a b \"c\"\xff", 3);
    auto e = Archivos().Consultar(tmp.Ruta("a b \"c\"\xff"));
    ASSERT_TRUE(e.has_value());
    EXPECT_EQ(e->tamano, 3);
    EXPECT_EQ(e->nombre, "a b \"c\"\xff");
    EXPECT_FALSE(Archivos().Consultar(tmp.Ruta("missing")).has_value());
    EXPECT_TRUE(Archivos().Accesible(tmp.Ruta()));
    EXPECT_FALSE(Archivos().Accesible(tmp.Ruta("missing/")));
    EXPECT_FALSE(Archivos().Listar(tmp.Ruta("missing/"), [](EntradaDirectorio&&) {}));
}

TEST(SistemaArchivosLinux, ALargeFolderIsDescribedInReaddirOrderWhateverThreadStatsIt) {
    CarpetaTemporal tmp;
    for (int i = 0; i < 6000; ++i) tmp.Archivo("f" + std::to_string(i), static_cast<std::uintmax_t>(i % 13));
    for (int i = 0; i < 50; ++i) tmp.Carpeta("d" + std::to_string(i));
    std::vector<std::string> esperado;
    for (const auto& e : fs::directory_iterator(tmp.Ruta())) esperado.push_back(e.path().filename());
    std::vector<EntradaDirectorio> listado;
    ASSERT_TRUE(Archivos().Listar(tmp.Ruta(), [&](EntradaDirectorio&& e) { listado.push_back(std::move(e)); }));
    ASSERT_EQ(listado.size(), esperado.size());
    for (size_t i = 0; i < listado.size(); ++i) {
        ASSERT_EQ(listado[i].nombre, esperado[i]) << i;
        const auto solo = Archivos().Consultar(tmp.Ruta(listado[i].nombre));
        ASSERT_TRUE(solo.has_value());
        ASSERT_EQ(listado[i].atributos, solo->atributos) << listado[i].nombre;
        ASSERT_EQ(listado[i].tamano, solo->tamano) << listado[i].nombre;
        ASSERT_EQ(listado[i].modificacion, solo->modificacion) << listado[i].nombre;
    }
}

// A folder past the size at which the status calls are shared out: 4,200 files of 17 sizes
// (`unidad` apart), a folder, a link to it and a dangling link.
void LlenarCarpetaGrande(const CarpetaTemporal& tmp, std::uintmax_t unidad) {
    for (int i = 0; i < 4200; ++i) tmp.Archivo("f" + std::to_string(i), static_cast<std::uintmax_t>(i % 17) * unidad);
    tmp.Carpeta("folder");
    fs::create_symlink(tmp.Ruta("folder"), tmp.Ruta("to-folder"));
    fs::create_symlink(tmp.Ruta("nowhere"), tmp.Ruta("dangling"));
}

// Every name in the folder, and last one that is not there.
std::vector<std::string> NombresYUnoQueFalta(const CarpetaTemporal& tmp) {
    std::vector<std::string> nombres;
    for (const auto& e : fs::directory_iterator(tmp.Ruta())) nombres.push_back(e.path().filename());
    nombres.push_back("gone");
    return nombres;
}

TEST(SistemaArchivosLinux, SizesReadThroughTheFolderAreWhatEachQuerySays) {
    CarpetaTemporal tmp;
    LlenarCarpetaGrande(tmp, 1000);
    tmp.Archivo("big", 10'000'000'000);
    fs::create_symlink(tmp.Ruta("big"), tmp.Ruta("to-big"));
    const std::vector<std::string> nombres = NombresYUnoQueFalta(tmp);
    const std::vector<std::string_view> vistas(nombres.begin(), nombres.end());
    const std::vector<std::int64_t> juntos = Archivos().Tamanos(tmp.Ruta(), vistas);
    const std::vector<std::int64_t> unoAUno = Archivos().SistemaArchivos::Tamanos(tmp.Ruta(), vistas);
    ASSERT_EQ(juntos.size(), nombres.size());
    EXPECT_EQ(juntos, unoAUno);
    std::map<std::string, std::int64_t> porNombre;
    for (size_t i = 0; i < nombres.size(); ++i) porNombre[nombres[i]] = juntos[i];
    EXPECT_EQ(porNombre["to-big"], 10'000'000'000);
    EXPECT_EQ(porNombre["f16"], 16000);
    for (const char* cero : {"folder", "to-folder", "dangling", "gone"}) EXPECT_EQ(porNombre[cero], 0) << cero;
}

// The folder-wide status calls (two threads past 4,096 names) say what one call per path says.
TEST(SistemaArchivosLinux, StatusReadThroughTheFolderIsWhatEachQuerySays) {
    CarpetaTemporal tmp;
    LlenarCarpetaGrande(tmp, 10);
    tmp.Archivo(".hidden", 3);
    const std::vector<std::string> nombres = NombresYUnoQueFalta(tmp);
    const std::vector<std::string_view> vistas(nombres.begin(), nombres.end());
    const auto juntos = Archivos().ConsultarEn(tmp.Ruta(), vistas);
    ASSERT_EQ(juntos.size(), nombres.size());
    for (size_t i = 0; i < nombres.size(); ++i) {
        const auto solo = Archivos().Consultar(tmp.Ruta(nombres[i]));
        ASSERT_EQ(juntos[i].has_value(), solo.has_value()) << nombres[i];
        if (!solo) continue;
        EXPECT_EQ(juntos[i]->nombre, nombres[i]);
        EXPECT_EQ(juntos[i]->atributos, solo->atributos) << nombres[i];
        EXPECT_EQ(juntos[i]->tamano, solo->tamano) << nombres[i];
        EXPECT_EQ(juntos[i]->modificacion, solo->modificacion) << nombres[i];
    }
    EXPECT_FALSE(juntos.back().has_value());
}

TEST(UnidadesLinux, TheRootComesFirstAndPseudoFileSystemsStayOut) {
    const auto vols = UnidadesSistema().Listar();
    ASSERT_FALSE(vols.empty());
    EXPECT_EQ(vols.front().puntoMontaje, "/");
    for (const auto& v : vols) {
        EXPECT_NE(v.tipoSistema, "proc");
        EXPECT_NE(v.tipoSistema, "sysfs");
        EXPECT_EQ(v.puntoMontaje.back(), '/');
    }
    EXPECT_GT(UnidadesSistema().EspacioTotal("/"), 0);
    ListarUnidades();
    EXPECT_EQ(TablaUnidades().front().etiqueta.substr(TablaUnidades().front().etiqueta.size() - 4),
              " (/)");
    EXPECT_EQ(IndiceUnidad("/"), 0);
    EXPECT_TRUE(ExisteUnidad("/"));
    EXPECT_EQ(IndiceUnidad("/definitely/not/mounted/"), -1);
}

}  // namespace
}  // namespace quirvex
