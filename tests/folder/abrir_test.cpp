#include "folder/abrir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <utility>
#include <fstream>
#include <sstream>
#include <thread>

#include "folder/cache_listados.h"
#include "settings/idioma.h"
#include "settings/opciones.h"
#include "support/nucleo_limpio.h"
#include "support/fakes.h"

namespace quirvex {
namespace {

namespace fs = std::filesystem;

class AbrirTest : public prueba::NucleoLimpio {};

TEST_F(AbrirTest, DoubleClickTargetsFollowTheKindAndTheKeys) {
    tmp.Carpeta("docs");
    tmp.Archivo("note.txt");
    cContenidoVisor c;
    ASSERT_TRUE(c.CargarContenido(tmp.Ruta(), true));
    const auto docs = c.GetIndexItem("docs"), note = c.GetIndexItem("note.txt");
    auto a = ICO_DblClick(c, docs, false, false);
    EXPECT_EQ(a.accion, AccionAbrir::Navegar);
    EXPECT_EQ(a.ruta, tmp.Ruta("docs"));
    EXPECT_EQ(ICO_DblClick(c, docs, true, true).accion, AccionAbrir::NuevoTab);
    EXPECT_EQ(ICO_DblClick(c, docs, false, true).accion, AccionAbrir::NuevoVisor);
    a = ICO_DblClick(c, note, true, false);
    EXPECT_EQ(a.accion, AccionAbrir::AbrirArchivo);  // files open whatever the keys
    EXPECT_EQ(a.ruta, tmp.Ruta("note.txt"));
    EXPECT_EQ(ICO_DblClick(c, 99, false, false).accion, AccionAbrir::Nada);
    EXPECT_EQ(ICO_DblClick(c, -1, false, false).accion, AccionAbrir::Nada);
    EXPECT_EQ(ArchivosAbrir(c, {docs, note}), (std::vector<std::string>{tmp.Ruta("note.txt")}));

    prueba::UnidadesFijas u({Volumen{"/", "ext4", "/dev/vda", "", UNIDAD_FIJA},
                             Volumen{"/mnt/data/", "ext4", "/dev/vdb", "Data", UNIDAD_FIJA}});
    c.CargarContenido(TextoMiPC(), true);
    a = ICO_DblClick(c, 1, false, false);
    EXPECT_EQ(a.ruta, "/mnt/data/");
}

// A desktop of its own: a data folder with one program for text files, which writes the
// path it was given into a file, and a config folder for the remembered choices. GIO reads the
// XDG folders once per process and keeps them, so the suite has one desktop for the whole
// process (each test must pass when the suite runs in one process). The system data folder
// holds only the MIME database: no program installed on the machine takes part.
class AsociacionesGioTest : public AbrirTest {
protected:
    static prueba::CarpetaTemporal& Escritorio() {
        static prueba::CarpetaTemporal escritorio;
        return escritorio;
    }
    static void SetUpTestSuite() {
        prueba::CarpetaTemporal& e = Escritorio();
        if (fs::exists(e.Ruta("system/mime"))) return;
        const std::string salida = e.Ruta("launched");
        e.ArchivoConTexto("data/applications/qx-editor.desktop",
                          "[Desktop Entry]\nType=Application\nName=Qx Editor\n"
                          "Exec=sh -c 'printf %s \"$1\" > " + salida + "' sh %f\n"
                          "MimeType=text/plain;\n");
        e.ArchivoConTexto("data/applications/qx-viewer.desktop",
                          "[Desktop Entry]\nType=Application\nName=Qx Viewer\nExec=true %f\n"
                          "MimeType=application/x-qx-nothing;\n");
        e.ArchivoConTexto("config/mimeapps.list",
                          "[Default Applications]\ntext/plain=qx-editor.desktop\n");
        e.Carpeta("system-config");
        e.Carpeta("system");
        fs::create_directory_symlink("/usr/share/mime", e.Ruta("system/mime"));
    }
    void SetUp() override {
        AbrirTest::SetUp();
        const prueba::CarpetaTemporal& e = Escritorio();
        const std::pair<const char*, std::string> variables[] = {
            {"XDG_DATA_HOME", e.Ruta("data")},
            {"XDG_CONFIG_HOME", e.Ruta("config")},
            {"XDG_DATA_DIRS", e.Ruta("system")},
            {"XDG_CONFIG_DIRS", e.Ruta("system-config")}};
        for (const auto& [nombre, valor] : variables) {
            const char* antes = std::getenv(nombre);
            previos_.emplace_back(nombre, antes ? std::optional<std::string>(antes) : std::nullopt);
            setenv(nombre, valor.c_str(), 1);
        }
        fs::remove(e.Ruta("launched"));
    }
    void TearDown() override {
        for (const auto& [nombre, valor] : previos_) {
            if (valor) setenv(nombre.c_str(), valor->c_str(), 1);
            else unsetenv(nombre.c_str());
        }
    }
    std::string Lanzado() {
        for (int i = 0; i < 400; ++i) {
            std::ifstream f(Escritorio().Ruta("launched"));
            std::stringstream ss;
            ss << f.rdbuf();
            if (!ss.str().empty()) return ss.str();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return {};
    }
    std::vector<std::pair<std::string, std::optional<std::string>>> previos_;
};

TEST_F(AsociacionesGioTest, TheDefaultProgramOpensTheFileWithItsPath) {
    const std::string archivo = tmp.ArchivoConTexto("files/read me.txt", "hello");
    EXPECT_EQ(AsociacionesSistema().TipoDe(archivo), "text/plain");
    const auto lista = LlenarAbrirCon(archivo);
    ASSERT_FALSE(lista.empty());
    EXPECT_EQ(lista.front().id, "qx-editor.desktop");
    EXPECT_EQ(lista.front().nombre, "Qx Editor");
    EXPECT_EQ(std::count_if(lista.begin(), lista.end(),
                            [](const Aplicacion& a) { return a.id == "qx-editor.desktop"; }),
              1);
    ASSERT_EQ(AbrirConShell(archivo), ResultadoAbrir::Abierto);
    EXPECT_EQ(Lanzado(), archivo);
}

TEST_F(AsociacionesGioTest, AFileWithoutProgramAsksForOneAndTheChoiceIsRemembered) {
    const std::string archivo = tmp.Archivo("files/blob.qxnothing", 64);
    const std::string tipo = AsociacionesSistema().TipoDe(archivo);
    if (AsociacionesSistema().PorDefecto(tipo)) GTEST_SKIP() << "this machine opens " << tipo;
    EXPECT_EQ(AbrirConShell(archivo), ResultadoAbrir::SinPrograma);
    const auto todas = AsociacionesSistema().Todas();
    EXPECT_TRUE(std::any_of(todas.begin(), todas.end(),
                            [](const Aplicacion& a) { return a.id == "qx-viewer.desktop"; }));
    ASSERT_TRUE(AsociacionesSistema().Recordar("qx-viewer.desktop", tipo));
    std::ifstream f(Escritorio().Ruta("config/mimeapps.list"));
    std::stringstream ss;
    ss << f.rdbuf();
    EXPECT_NE(ss.str().find("qx-viewer.desktop"), std::string::npos);
}

}  // namespace
}  // namespace quirvex
