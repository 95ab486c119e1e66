// The folder tally on real trees, checked against find and stat on the same tree.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/lector_carpetas.h"
#include "properties/lector_con_cerrada.h"
#include "properties/calculo_carpeta.h"
#include "support/carpeta_temporal.h"

namespace quirvex {
namespace {

using prueba::CarpetaTemporal;
namespace fs = std::filesystem;
using prueba::LectorConCerrada;

std::string Comillas(const std::string& s) { return "'" + s + "'"; }

std::int64_t Numero(const std::string& orden) {
    FILE* f = popen(orden.c_str(), "r");
    if (!f) return -1;
    long long n = -1;
    if (std::fscanf(f, "%lld", &n) != 1) n = -1;
    pclose(f);
    return n;
}

// What the standard tools say of a tree.
struct Cuentas {
    std::int64_t archivos, carpetas, tamano;
};

Cuentas SegunFind(const std::string& carpeta, const char* tipoArchivos = "-type f") {
    const std::string c = Comillas(carpeta);
    return {Numero("find " + c + " -mindepth 1 " + tipoArchivos + " | wc -l"),
            Numero("find " + c + " -mindepth 1 -type d | wc -l"),
            Numero("find " + c + " -type f -exec stat -c %s {} + | awk '{s+=$1} END {printf \"%.0f\\n\", s}'")};
}

void Igual(const ResultadoCalculo& r, const Cuentas& c, const std::string& donde) {
    EXPECT_EQ(r.archivos, c.archivos) << donde;
    EXPECT_EQ(r.carpetas, c.carpetas) << donde;
    EXPECT_EQ(r.tamano, c.tamano) << donde;
}

// Three levels of folders with files of assorted sizes, one above 4 GiB (sparse).
void LlenarArbol(const CarpetaTemporal& t) {
    t.Archivo("raiz.txt", 10);
    t.Archivo("grande.bin", (std::uintmax_t{5} << 30) + 7);
    for (int a = 0; a < 3; ++a) {
        const std::string A = "a" + std::to_string(a) + "/";
        t.Carpeta(A);
        for (int f = 0; f <= a; ++f) t.Archivo(A + "f" + std::to_string(f), 100u * (f + 1) + a);
        for (int b = 0; b < a + 1; ++b) {
            const std::string B = A + "b" + std::to_string(b) + "/";
            t.Carpeta(B);
            t.Archivo(B + "x", 3000u + b);
            if (b == 1) t.Carpeta(B + "vacia");
            if (a == 2) t.Archivo(B + "c/d/e.dat", 77);
        }
    }
    t.Carpeta("sola/vacia");
}

TEST(CalculoCarpeta, TotalsAndSubfolderRecordsEqualFindAtEveryDepth) {
    CarpetaTemporal t;
    LlenarArbol(t);
    std::vector<std::string> carpetas = {t.Ruta()};
    for (const auto& e : fs::recursive_directory_iterator(t.Ruta()))
        if (e.is_directory()) carpetas.push_back(e.path().string() + "/");
    ASSERT_GT(carpetas.size(), 10u);
    for (const std::string& c : carpetas) {
        const ResultadoCalculo r = CalcularCarpeta(c);
        ASSERT_TRUE(r.existe && r.completo && !r.cancelado) << c;
        Igual(r, SegunFind(c), c);
        // One record per direct subfolder, each equal to find on that subfolder.
        std::size_t directas = 0;
        for (const auto& e : fs::directory_iterator(c)) directas += e.is_directory();
        ASSERT_EQ(r.subcarpetas.size(), directas) << c;
        for (const RegistroSubcarpeta& s : r.subcarpetas) {
            EXPECT_EQ(s.padre, c);
            const Cuentas dentro = SegunFind(c + s.nombre);
            EXPECT_EQ(s.archivos, dentro.archivos) << c << s.nombre;
            EXPECT_EQ(s.carpetas, dentro.carpetas) << c << s.nombre;
            EXPECT_EQ(s.tamano, dentro.tamano) << c << s.nombre;
        }
    }
    EXPECT_GT(CalcularCarpeta(t.Ruta()).tamano, std::int64_t{1} << 32);  // 64-bit all the way
}

TEST(CalculoCarpeta, AContainingBListsOnlyAAndCountsBInsideIt) {
    CarpetaTemporal t;
    t.Archivo("A/uno", 5);
    t.Archivo("A/B/dos", 7);
    t.Archivo("A/B/tres", 11);
    const ResultadoCalculo r = CalcularCarpeta(t.Ruta());
    ASSERT_EQ(r.subcarpetas.size(), 1u);
    EXPECT_EQ(r.subcarpetas[0].nombre, "A");
    EXPECT_EQ(r.subcarpetas[0].archivos, 3);
    EXPECT_EQ(r.subcarpetas[0].carpetas, 1);
    EXPECT_EQ(r.subcarpetas[0].tamano, 23);
    EXPECT_EQ(r.carpetas, 2);

    CarpetaTemporal sinSub;
    sinSub.Archivo("x", 4);
    sinSub.Archivo("y", 6);
    const ResultadoCalculo s = CalcularCarpeta(sinSub.Ruta().substr(0, sinSub.Ruta().size() - 1));
    EXPECT_TRUE(s.subcarpetas.empty());
    EXPECT_EQ(s.archivos, 2);
    EXPECT_EQ(s.tamano, 10);
}

TEST(CalculoCarpeta, LinksAreCountedAndNeverEntered) {
    CarpetaTemporal fuera;
    fuera.Archivo("lejos/enorme", 1 << 20);
    CarpetaTemporal t;
    t.Archivo("a/f", 9);
    t.Archivo("a/b/g", 1);
    fs::create_directory_symlink(fuera.Ruta("lejos"), t.Ruta("a/afuera"));
    fs::create_directory_symlink("..", t.Ruta("a/b/bucle"));      // a loop
    fs::create_directory_symlink(t.Ruta(), t.Ruta("arriba"));     // another loop
    fs::create_symlink(t.Ruta("a/f"), t.Ruta("a/enlace_archivo"));
    fs::create_symlink("no-existe", t.Ruta("roto"));
    const ResultadoCalculo r = CalcularCarpeta(t.Ruta());
    ASSERT_TRUE(r.completo);
    // Folders are real folders only; every other entry is a file, links with no size.
    Igual(r, SegunFind(t.Ruta(), "! -type d"), t.Ruta());
    EXPECT_EQ(r.archivos, 7);
    EXPECT_EQ(r.tamano, 10);
    EXPECT_EQ(r.carpetas, 2);

    // A folder chosen through a link is read (the user asked for it); links inside it are not.
    const ResultadoCalculo porEnlace = CalcularCarpeta(t.Ruta("a/afuera"));
    EXPECT_TRUE(porEnlace.existe);
    EXPECT_EQ(porEnlace.tamano, 1 << 20);
}

TEST(CalculoCarpeta, AFolderVanishingDuringTheTallyIsLeftOut) {
    CarpetaTemporal t;
    t.Archivo("unica/k0/f", 1);
    for (int k = 1; k < 6; ++k) t.Archivo("unica/k" + std::to_string(k) + "/sub/f", 1000);
    bool borrado = false;
    OpcionesCalculo o;
    // Once inside "unica", the first k folder entered removes every other one, listed already
    // but not opened yet.
    o.alEntrar = [&](const std::string& ruta) {
        if (borrado || ruta.find("/unica/k") == std::string::npos) return;
        borrado = true;
        for (int k = 0; k < 6; ++k) {
            const std::string otra = t.Ruta("unica/k" + std::to_string(k) + "/");
            if (otra != ruta) fs::remove_all(otra);
        }
    };
    const ResultadoCalculo r = CalcularCarpeta(t.Ruta(), o);
    ASSERT_TRUE(borrado);
    EXPECT_TRUE(r.completo);
    Igual(r, SegunFind(t.Ruta()), "after the removal");
    ASSERT_EQ(r.subcarpetas.size(), 1u);
    EXPECT_EQ(r.subcarpetas[0].carpetas, SegunFind(t.Ruta("unica")).carpetas);
}

TEST(CalculoCarpeta, AFolderSwappedForALinkJustBeforeItIsOpenedIsNeitherEnteredNorCounted) {
    CarpetaTemporal fuera;
    for (int k = 0; k < 5; ++k) fuera.Archivo("lejos/f" + std::to_string(k), 1000);
    fuera.Archivo("lejos/mas/g", 1000);
    CarpetaTemporal t;
    t.Archivo("queda/a", 3);
    t.Archivo("cambiada/b", 4);
    std::vector<std::string> entradas;
    bool cambiada = false;
    OpcionesCalculo o;
    // The tally has listed "cambiada" as a folder; right before it opens it, it becomes a link
    // to a folder outside the tree.
    o.alEntrar = [&](const std::string& ruta) {
        entradas.push_back(ruta);
        if (ruta != t.Ruta("cambiada/")) return;
        fs::remove_all(t.Ruta("cambiada"));
        fs::create_directory_symlink(fuera.Ruta("lejos"), t.Ruta("cambiada"));
        cambiada = true;
    };
    const ResultadoCalculo r = CalcularCarpeta(t.Ruta(), o);
    ASSERT_TRUE(cambiada);
    // Nothing under the link was entered or counted: only "queda" and its file are there.
    EXPECT_EQ(r.archivos, 1);
    EXPECT_EQ(r.tamano, 3);
    EXPECT_EQ(r.carpetas, 1);
    EXPECT_TRUE(r.completo);
    ASSERT_EQ(r.subcarpetas.size(), 1u);
    EXPECT_EQ(r.subcarpetas[0].nombre, "queda");
    for (const std::string& e : entradas) EXPECT_EQ(e.find("/cambiada/mas"), std::string::npos) << e;
}

TEST(CalculoCarpeta, CancelStopsMidwayAndSaysSo) {
    CarpetaTemporal t;
    for (int k = 0; k < 40; ++k) t.Archivo("d" + std::to_string(k) + "/e/f", 1);
    std::atomic<bool> cancelar{false};
    int entradas = 0;
    ContadoresCalculo cont;
    OpcionesCalculo o;
    o.cancelar = &cancelar;
    o.contadores = &cont;
    o.alEntrar = [&](const std::string&) {
        if (++entradas == 5) cancelar = true;
    };
    const ResultadoCalculo r = CalcularCarpeta(t.Ruta(), o);
    EXPECT_TRUE(r.cancelado);
    EXPECT_EQ(entradas, 5);
    EXPECT_LT(r.archivos, 40);
    EXPECT_LT(cont.carpetas.load(), 80);

    // Uncanceled, the running counters end at the totals.
    cancelar = false;
    ContadoresCalculo todo;
    o.contadores = &todo;
    o.alEntrar = nullptr;
    const ResultadoCalculo completo = CalcularCarpeta(t.Ruta(), o);
    EXPECT_FALSE(completo.cancelado);
    EXPECT_EQ(todo.archivos.load(), completo.archivos);
    EXPECT_EQ(todo.carpetas.load(), completo.carpetas);
    EXPECT_EQ(todo.tamano.load(), completo.tamano);
    EXPECT_EQ(completo.carpetas, 80);
}

TEST(CalculoCarpeta, MissingAndUnreadableFolders) {
    CarpetaTemporal t;
    EXPECT_FALSE(CalcularCarpeta(t.Ruta("no-hay/")).existe);
    EXPECT_FALSE(CalcularCarpeta(t.Archivo("un-archivo", 3)).existe);
    t.Archivo("cerrada/dentro", 50);
    t.Archivo("abierta/otro", 2);
    LectorConCerrada lector;
    const ResultadoCalculo r = CalcularCarpeta(t.Ruta());
    EXPECT_FALSE(r.completo);
    EXPECT_EQ(r.carpetas, 2);  // the closed folder is there, and counts as empty
    EXPECT_EQ(r.archivos, 2);  // un-archivo and otro
    EXPECT_EQ(r.tamano, 5);
    ASSERT_EQ(r.subcarpetas.size(), 2u);
}

}  // namespace
}  // namespace quirvex
