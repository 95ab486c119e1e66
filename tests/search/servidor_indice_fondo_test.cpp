// The index server keeps answering while its slow work runs: a save held on the disk, a rescan
// of many folders, the sizes of hits on a disk that does not answer. Each piece of slow work is
// held or slowed through a seam, and a client asks meanwhile.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/almacen_archivo.h"
#include "search/indice_nombres.h"
#include "search/servidor_indice_prueba.h"
#include "search/trabajos_fondo.h"

namespace quirvex::prueba {
namespace {

// A gate a seam waits at (for twenty seconds at most, so a fault fails instead of hanging)
// until the test opens it.
class Compuerta {
public:
    void Esperar() {
        std::unique_lock<std::mutex> g(m_);
        cerrada_ = true;
        cambio_.notify_all();
        cambio_.wait_for(g, std::chrono::seconds(20), [this] { return abierta_; });
    }
    void Abrir() {
        std::lock_guard<std::mutex> g(m_);
        abierta_ = true;
        cambio_.notify_all();
    }
    // Something waits (or waited) at it.
    bool Alcanzada() {
        std::lock_guard<std::mutex> g(m_);
        return cerrada_;
    }

private:
    std::mutex m_;
    std::condition_variable cambio_;
    bool cerrada_ = false, abierta_ = false;
};

// The save's flush of the index file waits at the gate.
class PasosRetenidos final : public PasosReemplazo {
public:
    int SincronizarArchivo(std::intptr_t manejador, const std::string& ruta) override {
        if (ruta.find("kartoserv.map") != std::string::npos) compuerta.Esperar();
        return PasosReemplazoReales().SincronizarArchivo(manejador, ruta);
    }
    int Renombrar(const std::string& de, const std::string& a) override {
        return PasosReemplazoReales().Renombrar(de, a);
    }
    int SincronizarCarpeta(const std::string& c) override { return PasosReemplazoReales().SincronizarCarpeta(c); }
    Compuerta compuerta;
};

// The real tree; once armed, the next rescan (from its first folder, the root) looks at each
// folder slowly, and counts them.
class ArbolRevisionLenta final : public ArbolIndice {
public:
    explicit ArbolRevisionLenta(std::string raiz, int carpetas) : raiz_(std::move(raiz)), carpetas_(carpetas) {}
    bool Listar(const std::string& c, EstadoCarpeta& e, std::vector<NombreListado>& n) override {
        return ArbolSistema().Listar(c, e, n);
    }
    std::optional<EstadoCarpeta> Consultar(const std::string& c) override {
        if (armada && c == raiz_) lenta = true;
        if (lenta && vistas < carpetas_) {
            ++vistas;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return ArbolSistema().Consultar(c);
    }
    std::int64_t Tamano(const std::string& r) override { return ArbolSistema().Tamano(r); }
    std::atomic<bool> armada{false}, lenta{false};
    std::atomic<int> vistas{0};

private:
    const std::string raiz_;
    const int carpetas_;
};

// The real tree, where each listing of a folder under "grande/" is slow, and counted.
class ArbolListadoLento final : public ArbolIndice {
public:
    bool Listar(const std::string& c, EstadoCarpeta& e, std::vector<NombreListado>& n) override {
        if (c.find("/grande/") != std::string::npos) {
            ++listadas;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return ArbolSistema().Listar(c, e, n);
    }
    std::optional<EstadoCarpeta> Consultar(const std::string& c) override { return ArbolSistema().Consultar(c); }
    std::int64_t Tamano(const std::string& r) override { return ArbolSistema().Tamano(r); }
    std::atomic<int> listadas{0};
};

// The real tree, where the size of one file waits at the gate.
class ArbolTamanoRetenido final : public ArbolIndice {
public:
    bool Listar(const std::string& c, EstadoCarpeta& e, std::vector<NombreListado>& n) override {
        return ArbolSistema().Listar(c, e, n);
    }
    std::optional<EstadoCarpeta> Consultar(const std::string& c) override { return ArbolSistema().Consultar(c); }
    std::int64_t Tamano(const std::string& r) override {
        if (r.ends_with("lento.bin")) compuerta.Esperar();
        return ArbolSistema().Tamano(r);
    }
    Compuerta compuerta;
};

class ServidorOcupado : public ServidorIndice {
protected:
    // A client with its popup open that keeps every answer it hears in `oidos`, after asking
    // for each text in turn.
    std::unique_ptr<cEnlaceIndice> EnlaceQuePregunta(std::vector<ResultadosIndice>& oidos,
                                                     std::initializer_list<const char*> textos) {
        auto e = Enlace();
        e->alResultados = [&oidos](std::int64_t, const ResultadosIndice& r) { oidos.push_back(r); };
        e->Enviar(MSG_VENTANA_POPUP, 5);
        for (const char* texto : textos) {
            e->Enviar(MSG_SETTEXT, e->hWndTxtServidor(), texto);
            e->Enviar(MSG_BUSCAR, 0);
        }
        return e;
    }
};

std::size_t NombresEnArchivo(const std::string& ruta) {
    const LecturaArchivo l = CrearAlmacenArchivo(ruta)->Leer();
    cIndiceNombres i;
    return l.estado == LecturaArchivo::Estado::Leido && i.Cargar(l.texto) ? i.Nombres() : 0;
}

// A save held on the disk: a query is answered meanwhile, and the file on the disk is the last
// complete index until the new one is whole (a kill now would leave that one).
TEST_F(ServidorOcupado, AQueryDuringASaveIsAnsweredAndTheFileStaysTheLastCompleteOne) {
    arbol.Archivo("antes.txt");
    PasosRetenidos pasos;
    {
        ServidorEnHilo s(Opciones());
        ASSERT_TRUE(s.Listo());
        ASSERT_TRUE(Esperar([&] { return Log().find("saved 1 names") != std::string::npos; })) << Log();
        auto e = Enlace();
        SetPasosReemplazo(&pasos);
        arbol.Archivo("nuevo.txt");
        ASSERT_TRUE(Esperar([&] { return pasos.compuerta.Alcanzada(); })) << Log();

        EXPECT_EQ(Nombres(*e, "nuevo"), std::vector<std::string>{"nuevo.txt"});
        EXPECT_EQ(NombresEnArchivo(tmp.Ruta("cache/kartoserv.map")), 1u);
        pasos.compuerta.Abrir();
        EXPECT_TRUE(Esperar([&] { return Log().find("saved 2 names") != std::string::npos; })) << Log();
    }
    SetPasosReemplazo(nullptr);
    EXPECT_EQ(NombresEnArchivo(tmp.Ruta("cache/kartoserv.map")), 2u);
}

// A rescan of unwatched folders that takes seconds: a query is answered long before it ends.
TEST_F(ServidorOcupado, AQueryDuringARescanIsAnsweredBeforeTheRescanEnds) {
    constexpr int kCarpetas = 150;
    for (int i = 0; i < kCarpetas; ++i) arbol.Archivo("c" + std::to_string(i) + "/f.txt");
    arbol.Archivo("buscado.txt");
    ArbolRevisionLenta lenta(arbol.Ruta(), kCarpetas + 1);
    OpcionesServidor op = Opciones();
    op.vigilar = false;
    op.revisarCadaMs = 50;
    ServidorEnHilo s(op, lenta);
    ASSERT_TRUE(s.Listo());
    auto e = Enlace();
    lenta.armada = true;
    ASSERT_TRUE(Esperar([&] { return lenta.vistas >= 3; }));

    EXPECT_EQ(Nombres(*e, "buscado"), std::vector<std::string>{"buscado.txt"});
    // At 20 ms a folder the whole rescan takes three seconds; the answer came within it.
    EXPECT_LT(lenta.vistas, kCarpetas + 1);
}

// A large tree moved in at once: the watch hears one change, and listing what arrived takes
// seconds; a query is answered long before that listing ends.
TEST_F(ServidorOcupado, AQueryWhileAMovedInTreeIsListedIsAnsweredBeforeTheListingEnds) {
    constexpr int kCarpetas = 150;
    CarpetaTemporal fuera;
    for (int i = 0; i < kCarpetas; ++i) fuera.Archivo("grande/c" + std::to_string(i) + "/f.txt");
    arbol.Archivo("buscado.txt");
    ArbolListadoLento lento;
    ServidorEnHilo s(Opciones(), lento);
    ASSERT_TRUE(s.Listo());
    auto e = Enlace();
    std::filesystem::rename(fuera.Ruta("grande"), arbol.Ruta("grande"));
    ASSERT_TRUE(Esperar([&] { return lento.listadas >= 3; }));

    EXPECT_EQ(Nombres(*e, "buscado"), std::vector<std::string>{"buscado.txt"});
    EXPECT_LT(lento.listadas, kCarpetas + 1);
}

// The size of one hit waits on a disk that does not answer: another client is answered
// meanwhile, and the waiting client hears its answers in the order it asked once it comes.
TEST_F(ServidorOcupado, ASlowSizeHoldsUpOnlyItsOwnClientWhichHearsItsAnswersInOrder) {
    arbol.Archivo("lento.bin", 7);
    arbol.Archivo("rapido.txt", 3);
    ArbolTamanoRetenido retenido;
    ServidorEnHilo s(Opciones(), retenido);
    ASSERT_TRUE(s.Listo());
    std::vector<ResultadosIndice> deA;
    auto a = EnlaceQuePregunta(deA, {"lento", "rapido"});
    ASSERT_TRUE(Esperar([&] { return retenido.compuerta.Alcanzada(); }));

    auto b = Enlace();
    const auto r = Buscar(*b, "rapido");
    ASSERT_TRUE(r);
    ASSERT_EQ(r->aciertos.size(), 1u);
    EXPECT_EQ(r->aciertos[0].tamano, 3);
    a->LeerPendiente();
    EXPECT_TRUE(deA.empty());

    retenido.compuerta.Abrir();
    ASSERT_TRUE(Esperar([&] {
        a->LeerPendiente();
        return deA.size() == 2;
    }));
    EXPECT_EQ(deA[0].texto, "lento");
    ASSERT_EQ(deA[0].aciertos.size(), 1u);
    EXPECT_EQ(deA[0].aciertos[0].tamano, 7);
    EXPECT_EQ(deA[1].texto, "rapido");
}

// A query's sizes are looked up in pieces on several threads: the answer waits for the slowest
// piece, and each hit carries its own file's size.
TEST_F(ServidorOcupado, TheSizesOfManyHitsComeFromEveryPieceBeforeTheAnswerGoesOut) {
    constexpr int kPartes = 40;
    for (int i = 0; i < kPartes; ++i) arbol.Archivo("parte" + std::to_string(100 + i) + ".dat", 1 + i);
    arbol.Archivo("parte_lento.bin", 7);
    ArbolTamanoRetenido retenido;
    ServidorEnHilo s(Opciones(), retenido);
    ASSERT_TRUE(s.Listo());
    std::vector<ResultadosIndice> deA;
    auto a = EnlaceQuePregunta(deA, {"parte"});
    ASSERT_TRUE(Esperar([&] { return retenido.compuerta.Alcanzada(); }));
    // Every other piece has had time to end: none of them may answer for the whole.
    auto b = Enlace();
    ASSERT_TRUE(Buscar(*b, "parte100"));
    a->LeerPendiente();
    EXPECT_TRUE(deA.empty());

    retenido.compuerta.Abrir();
    ASSERT_TRUE(Esperar([&] {
        a->LeerPendiente();
        return !deA.empty();
    }));
    ASSERT_EQ(deA[0].aciertos.size(), static_cast<std::size_t>(kPartes + 1));
    for (const AciertoIndice& h : deA[0].aciertos) {
        const std::int64_t esperado = h.nombre == "parte_lento.bin" ? 7 : std::stoi(h.nombre.substr(5, 3)) - 99;
        EXPECT_EQ(h.tamano, esperado) << h.nombre;
    }
}

// What a job hands back runs on the owner's thread, in order; Terminar waits for the job under
// way; jobs not started when the object goes are dropped.
TEST(TrabajosFondo, HandBacksRunOnTheOwnersThreadAndTerminarWaitsForTheRunningJob) {
    std::atomic<int> avisos{0};
    std::vector<int> orden;
    std::vector<std::thread::id> hilos;
    auto t = std::make_unique<cTrabajosFondo>(1, [&] { ++avisos; });
    Compuerta compuerta;
    std::atomic<bool> segundo{false};
    t->Encargar([&] {
        compuerta.Esperar();
        t->Devolver([&] {
            orden.push_back(1);
            hilos.push_back(std::this_thread::get_id());
        });
        t->Devolver([&] { orden.push_back(2); });
    });
    t->Encargar([&] { segundo = true; });
    ASSERT_TRUE(Esperar([&] { return compuerta.Alcanzada(); }));
    t->Recoger();
    EXPECT_TRUE(orden.empty());
    compuerta.Abrir();
    t->Terminar();
    EXPECT_TRUE(segundo);
    EXPECT_EQ(orden, (std::vector<int>{1, 2}));
    EXPECT_EQ(hilos, std::vector<std::thread::id>{std::this_thread::get_id()});
    EXPECT_EQ(avisos, 2);

    Compuerta otra;
    std::atomic<bool> tercero{false}, acabado{false}, soltado{false};
    t->Encargar([&] {
        otra.Esperar();
        acabado = true;
    });
    // The job behind it holds a witness that tells when the queue lets it go.
    std::shared_ptr<int> testigo(new int(0), [&](int* p) {
        delete p;
        soltado = true;
    });
    t->Encargar([&, testigo] { tercero = true; });
    testigo.reset();
    ASSERT_TRUE(Esperar([&] { return otra.Alcanzada(); }));
    // The gate opens once the destruction has dropped the waiting job, so the running one ends
    // while the destructor waits for it.
    std::thread abrir([&] {
        Esperar([&] { return soltado.load(); });
        otra.Abrir();
    });
    t.reset();  // waits for the job under way; the one behind it never starts
    abrir.join();
    EXPECT_TRUE(soltado);
    EXPECT_TRUE(acabado);
    EXPECT_FALSE(tercero);
}

}  // namespace
}  // namespace quirvex::prueba
