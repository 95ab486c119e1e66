// The special font's routine: the order of its steps and its messages, on a scripted platform.

#include "settings/fuente_especial.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/almacen_archivo.h"
#include "settings/almacen_registro.h"
#include "settings/idioma.h"
#include "settings/opciones.h"
#include "support/carpeta_temporal.h"
#include "support/fakes.h"

namespace quirvex::prueba {
namespace {

void Escribir(const std::string& ruta, const std::string& texto) {
    std::ofstream(ruta, std::ios::binary) << texto;
}

class ServicioGuion final : public ServicioFuentes {
public:
    std::string carpeta;
    bool descargaEscribe = true;
    bool registra = true;
    bool sonda = true;
    std::vector<std::string> pasos;

    std::string CarpetaFuentes() override { return carpeta; }
    bool Descargar(const std::string& direccion, const std::string& destino) override {
        pasos.push_back("descargar " + direccion);
        if (!descargaEscribe) return false;
        Escribir(destino, "ttf");
        return true;
    }
    bool Registrar(const std::string& archivo) override {
        pasos.push_back("registrar " + std::filesystem::path(archivo).filename().string());
        return registra;
    }
    void DejarCorrer() override { pasos.push_back("ceder"); }
    bool Sondear() override { return sonda; }
};

class FuenteEspecialTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* previo = std::getenv("XDG_CONFIG_HOME")) previo_ = previo;
        ::setenv("XDG_CONFIG_HOME", tmp.Carpeta("config").c_str(), 1);
        SetArchivoRegistro(nullptr);
        CargarIdiomaIncorporado(0);
        Opciones() = RegistroOpciones{};
        s.carpeta = tmp.Carpeta("fonts") + "/";
    }
    void TearDown() override {
        if (previo_)
            ::setenv("XDG_CONFIG_HOME", previo_->c_str(), 1);
        else
            ::unsetenv("XDG_CONFIG_HOME");
        Opciones() = RegistroOpciones{};
    }
    CarpetaTemporal tmp;
    ServicioGuion s;
    std::optional<std::string> previo_;
};

TEST_F(FuenteEspecialTest, WithoutAFontsFolderNothingIsTried) {
    s.carpeta.clear();
    DialogosGrabados d(Respuesta::Si);
    EXPECT_EQ(DescargarFuente(s, "http://x/segoeui.ttf"), ResultadoFuente::SinCarpeta);
    EXPECT_EQ(d.mensajes, (std::vector<std::string>{Texto(General, 30)}));
    EXPECT_TRUE(s.pasos.empty());
}

TEST_F(FuenteEspecialTest, AskedFirstThenDownloadedInstalledAndProbed) {
    DialogosGrabados d(Respuesta::Si);
    EXPECT_EQ(DescargarFuente(s, "http://x/segoeui.ttf"), ResultadoFuente::Instalada);
    EXPECT_EQ(d.mensajes, (std::vector<std::string>{Texto(General, 31)}));
    EXPECT_EQ(s.pasos, (std::vector<std::string>{"descargar http://x/segoeui.ttf", "registrar segoeui.ttf", "ceder"}));
}

TEST_F(FuenteEspecialTest, NoMeansNoDownload) {
    DialogosGrabados d(Respuesta::No);
    EXPECT_EQ(DescargarFuente(s, "http://x/segoeui.ttf"), ResultadoFuente::Rechazada);
    EXPECT_TRUE(s.pasos.empty());
}

TEST_F(FuenteEspecialTest, AFilePresentIsInstalledWithoutDownloading) {
    Escribir(s.carpeta + "segoeui.ttf", "ttf");
    DialogosGrabados d(Respuesta::No);
    EXPECT_EQ(DescargarFuente(s, "http://x/segoeui.ttf"), ResultadoFuente::Instalada);
    EXPECT_TRUE(d.mensajes.empty());
    EXPECT_EQ(s.pasos, (std::vector<std::string>{"registrar segoeui.ttf", "ceder"}));
}

TEST_F(FuenteEspecialTest, ADownloadThatLeavesNoFileIsToldAndNotInstalled) {
    s.descargaEscribe = false;
    DialogosGrabados d(Respuesta::Si);
    EXPECT_EQ(DescargarFuente(s, "http://x/segoeui.ttf"), ResultadoFuente::NoDescargada);
    EXPECT_EQ(d.mensajes.back(), Texto(General, 7));
    EXPECT_EQ(s.pasos, (std::vector<std::string>{"descargar http://x/segoeui.ttf"}));
}

TEST_F(FuenteEspecialTest, AnEmptyAddressFailsHonestlyWithoutTryingTheNetwork) {
    DialogosGrabados d(Respuesta::Si);
    EXPECT_EQ(DescargarFuente(s, ""), ResultadoFuente::NoDescargada);
    EXPECT_EQ(d.mensajes.back(), Texto(General, 7));
    EXPECT_TRUE(s.pasos.empty());
}

TEST_F(FuenteEspecialTest, FailedRegistrationAndFailedProbeHaveTheirOwnMessages) {
    {
        s.registra = false;
        DialogosGrabados d(Respuesta::Si);
        EXPECT_EQ(DescargarFuente(s, "http://x/f"), ResultadoFuente::NoInstalada);
        EXPECT_EQ(d.mensajes.back(), Texto(General, 8));
    }
    {
        s.registra = true;
        s.sonda = false;
        DialogosGrabados d(Respuesta::Si);
        EXPECT_EQ(DescargarFuente(s, "http://x/f"), ResultadoFuente::Reiniciar);
        EXPECT_EQ(d.mensajes, (std::vector<std::string>{Texto(General, 33)}));
    }
}

TEST_F(FuenteEspecialTest, InstallCopiesIntoTheFontsFolderWhenAsked) {
    const std::string fuera = tmp.ArchivoConTexto("bajada/segoeui.ttf", "ttf");
    EXPECT_TRUE(InstalarFuente(s, fuera, true));
    EXPECT_TRUE(std::filesystem::exists(s.carpeta + "segoeui.ttf"));
    EXPECT_FALSE(InstalarFuente(s, tmp.Ruta("missing.ttf"), true));
}

TEST_F(FuenteEspecialTest, TheStartUpOfferStoresTheFlagOnlyOnSuccess) {
    {
        s.registra = false;
        DialogosGrabados d;
        EXPECT_EQ(InstalarFuenteInicio(s, "http://x/f"), ResultadoFuente::NoInstalada);
        EXPECT_EQ(d.mensajes, (std::vector<std::string>{Texto(General, 8) + " " + Texto(General, 32)}));
        EXPECT_EQ(RegLeerDword(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Special Font", -7), -7);
    }
    s.registra = true;
    DialogosGrabados d;
    EXPECT_EQ(InstalarFuenteInicio(s, "http://x/f"), ResultadoFuente::Instalada);
    EXPECT_TRUE(d.mensajes.empty());
    EXPECT_EQ(RegLeerDword(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Special Font", -7), 1);
    EXPECT_EQ(Opciones().SpecialFont, 1);
}

}  // namespace
}  // namespace quirvex::prueba
