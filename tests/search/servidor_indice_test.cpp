// The index server and the frame's end of the link, both real, over a socket in a temporary
// folder: the link's order of messages, what the server does with clients that speak wrong,
// following changes made from a shell, and the saved index across restarts.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <random>
#include <thread>

#include <fcntl.h>
#include <unistd.h>

#include "search/enlace_indice.h"
#include "search/consulta_indice.h"
#include "search/servidor_indice.h"
#include "search/servidor_indice_prueba.h"
#include "support/carpeta_temporal.h"

namespace quirvex::prueba {
namespace {

namespace fs = std::filesystem;

// The real tree, each listing slowed down and counted: a first build that lasts long enough to be
// stopped in the middle.
class ArbolLento final : public ArbolIndice {
public:
    bool Listar(const std::string& c, EstadoCarpeta& e, std::vector<NombreListado>& n) override {
        ++listados;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        return ArbolSistema().Listar(c, e, n);
    }
    std::optional<EstadoCarpeta> Consultar(const std::string& c) override { return ArbolSistema().Consultar(c); }
    std::int64_t Tamano(const std::string& r) override { return ArbolSistema().Tamano(r); }
    std::atomic<int> listados{0};
};

// The real tree, where a file lands in a folder named "nueva" the moment after its first listing
// was taken: the race between a listing and the folder's watch, every time.
class ArbolCarrera final : public ArbolIndice {
public:
    bool Listar(const std::string& c, EstadoCarpeta& e, std::vector<NombreListado>& n) override {
        const bool ok = ArbolSistema().Listar(c, e, n);
        if (c.ends_with("/nueva/") && !hecho.exchange(true)) std::ofstream(c + "tarde.txt");
        return ok;
    }
    std::optional<EstadoCarpeta> Consultar(const std::string& c) override { return ArbolSistema().Consultar(c); }
    std::int64_t Tamano(const std::string& r) override { return ArbolSistema().Tamano(r); }
    std::atomic<bool> hecho{false};
};

TEST_F(ServidorIndice, TheWatchRegistersOnceAndAgainOnlyForANewToken) {
    auto s = std::make_unique<ServidorEnHilo>(Opciones(1111));
    ASSERT_TRUE(s->Listo());
    cEnlaceIndice e(tmp.Ruta("MapServiceQx"));
    e.SethWndMarco(4242);
    EXPECT_EQ(e.hWndTxtServidor(), 0);
    Tick(e);
    EXPECT_EQ(e.hWndServidor(), 1111);
    ASSERT_TRUE(Esperar([&] { return s->Mensajes().size() == 2; }));
    const auto r = s->Recibidas();
    EXPECT_EQ(r[0].mensaje, MSG_REGISTRAR);
    EXPECT_EQ(r[0].wParam, 4242);
    EXPECT_EQ(r[1].mensaje, MSG_REGISTRAR_FIN);
    EXPECT_EQ(r[1].wParam, 0);
    ASSERT_TRUE(Esperar([&] {
        e.LeerPendiente();
        return e.hWndTxtServidor() != 0;
    }));
    EXPECT_EQ(e.hWndTxtServidor(), s->S().TokenTexto());

    // More ticks with the same server: nothing (a marker sent after them is all that arrives).
    s->Olvidar();
    Tick(e);
    Tick(e);
    e.Enviar(MSG_CANCELAR, 0);
    ASSERT_TRUE(Esperar([&] { return !s->Mensajes().empty(); }));
    EXPECT_EQ(s->Mensajes(), std::vector<std::uint32_t>{MSG_CANCELAR});

    // A server back with the same token: its 101 with -1 on the way out cleared hWndServidor,
    // so the next tick registers again.
    s.reset();
    s = std::make_unique<ServidorEnHilo>(Opciones(1111));
    e.LeerPendiente();
    EXPECT_EQ(e.hWndServidor(), 0);
    Tick(e);
    EXPECT_EQ(e.hWndServidor(), 1111);
    ASSERT_TRUE(Esperar([&] { return s->Mensajes() == std::vector<std::uint32_t>{100, 101}; }));

    // Start-up's step for a server found running: the same pair, once.
    cEnlaceIndice inicio(tmp.Ruta("MapServiceQx"));
    s->Olvidar();
    inicio.Registrar(inicio.BuscarServidor());
    Tick(inicio);
    inicio.Enviar(MSG_CANCELAR, 0);
    ASSERT_TRUE(Esperar([&] { return s->Mensajes().size() == 3; }));
    EXPECT_EQ(s->Mensajes(), (std::vector<std::uint32_t>{100, 101, MSG_CANCELAR}));

    // A new token: a new pair.
    s.reset();
    s = std::make_unique<ServidorEnHilo>(Opciones(2222));
    Tick(e);
    EXPECT_EQ(e.hWndServidor(), 2222);
    ASSERT_TRUE(Esperar([&] { return s->Mensajes() == std::vector<std::uint32_t>{100, 101}; }));

    // Gone: the tick clears the server.
    s.reset();
    Tick(e);
    EXPECT_EQ(e.hWndServidor(), 0);
    EXPECT_EQ(e.Descriptor(), -1);
}

TEST_F(ServidorIndice, AnswerCarriesRankedHitsWithSizesAndATextForAnotherWindowIsIgnored) {
    arbol.Archivo("docs/Informe.txt", 1234);
    arbol.Archivo("informe", 5);
    arbol.Archivo("x/y/zinforme.pdf", 9);
    ServidorEnHilo s(Opciones());
    ASSERT_TRUE(s.Listo());
    auto e = Enlace();
    auto r = Buscar(*e, "INFORME");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->total, 3u);
    ASSERT_EQ(r->aciertos.size(), 3u);
    EXPECT_EQ(r->aciertos[0].nombre, "informe");
    EXPECT_EQ(r->aciertos[0].tamano, 5);
    EXPECT_EQ(r->aciertos[1].carpeta, arbol.Ruta("docs/"));
    EXPECT_EQ(r->aciertos[1].tamano, 1234);
    EXPECT_EQ(r->aciertos[2].nombre, "zinforme.pdf");

    // The popup size arrives as the frame computed it.
    bool tamano = false;
    for (const auto& t : s.Recibidas()) tamano |= t.mensaje == MSG_TAMANO_POPUP && t.wParam == 30000200;
    EXPECT_TRUE(tamano);

    // Set-text aimed at a window the server does not have: the old text stays.
    e->Enviar(MSG_SETTEXT, e->hWndTxtServidor() + 1, "docs");
    std::optional<ResultadosIndice> otra;
    e->alResultados = [&](std::int64_t, const ResultadosIndice& x) { otra = x; };
    e->Enviar(MSG_BUSCAR, 0);
    ASSERT_TRUE(Esperar([&] {
        e->LeerPendiente();
        return otra.has_value();
    }));
    EXPECT_EQ(otra->texto, "INFORME");
}

TEST_F(ServidorIndice, ClientsThatSpeakWrongAreDisconnectedAndOthersAreStillServed) {
    arbol.Archivo("uno.txt");
    ServidorEnHilo s(Opciones());
    ASSERT_TRUE(s.Listo());
    auto bueno = Enlace();
    const std::vector<std::string> malos = {
        CodificarTrama(999, 0),                                                  // unknown message
        CodificarTrama(MSG_SETTEXT, 1, std::string(kMaxDatosAlServidor + 1, 'x')),  // too long
        std::string("\xff\xff\xff\xff\x64\x00\x00\x00", 8) + std::string(8, '\0'),  // a 4 GB claim
    };
    for (const std::string& malo : malos) {
        auto c = ConectarLocal(tmp.Ruta("MapServiceQx"));
        ASSERT_TRUE(c);
        ASSERT_TRUE(c->Enviar(malo.substr(0, std::min<std::size_t>(malo.size(), 4096)), 1000));
        // The server closes: reading ends (after the greeting) within the bound.
        std::string todo;
        EXPECT_TRUE(Esperar([&] { return c->EsperarLectura(10) && !c->Recibir(todo); }));
    }
    EXPECT_EQ(Nombres(*bueno, "uno"), (std::vector<std::string>{"uno.txt"}));
    EXPECT_NE(Log().find("disconnected"), std::string::npos);
}

TEST_F(ServidorIndice, StoppingSendsMinusOneToEveryClientAndTheLinkForgetsTheServer) {
    auto s = std::make_unique<ServidorEnHilo>(Opciones());
    ASSERT_TRUE(s->Listo());
    auto a = Enlace();
    auto b = Enlace();
    const std::int64_t texto = a->hWndTxtServidor();
    ASSERT_NE(a->hWndServidor(), 0);
    s.reset();
    a->LeerPendiente();
    b->LeerPendiente();
    EXPECT_EQ(a->hWndServidor(), 0);
    EXPECT_EQ(b->hWndServidor(), 0);
    EXPECT_EQ(a->hWndTxtServidor(), texto);  // keeps its last value
    // Any other value of 101 changes nothing the frame uses.
    b->MessageReceived(MSG_AVISO_SERVIDOR, 5);
    b->MessageReceived(MSG_AVISO_SERVIDOR, 0);
    EXPECT_EQ(b->hWndServidor(), 0);
    a->MessageReceived(MSG_TEXTO_SERVIDOR, 99);
    EXPECT_EQ(a->hWndTxtServidor(), 99);
    // Sends to a server that is gone have no effect.
    EXPECT_FALSE(a->Enviar(MSG_BUSCAR, 0));
}

// The frame's calls never wait on the server: a server that never greets, or greets and then
// stops reading, costs each tick and each send no more than a moment, and is dropped once its
// time limit is over.
TEST_F(ServidorIndice, AHungServerNeverHoldsTheFrame) {
    std::int64_t masLarga = 0;
    auto medir = [&](const std::function<void()>& llamada) {
        const std::int64_t t0 = MilisegundosMonotonos();
        llamada();
        masLarga = std::max(masLarga, MilisegundosMonotonos() - t0);
    };
    // Something listens on the socket but never greets nor reads.
    ErrorEscucha error;
    auto mudo = EscucharLocal(tmp.Ruta("MapServiceQx"), error);
    ASSERT_TRUE(mudo);
    cEnlaceIndice e(tmp.Ruta("MapServiceQx"));
    medir([&] { e.tSrv_Timer(); });
    EXPECT_TRUE(e.Esperando());
    EXPECT_EQ(e.hWndServidor(), 0);
    // Ticks go on without waiting until the greeting's limit drops the connection.
    ASSERT_TRUE(Esperar([&] {
        medir([&] { e.tSrv_Timer(); });
        return !e.Esperando();
    }));
    EXPECT_EQ(e.hWndServidor(), 0);

    // A server that greets, then stops reading: what it does not take piles up without
    // blocking, and the link drops it once the pile passes its bound.
    std::atomic<bool> fin{false};
    auto c = std::thread([&] {
        std::vector<std::unique_ptr<ConexionLocal>> abiertas;
        Esperar([&] {
            while (auto con = mudo->Aceptar()) {
                con->Enviar(CodificarTrama(MSG_SALUDO, 5), 1000);
                abiertas.push_back(std::move(con));
            }
            return fin.load();
        });
    });
    Tick(e);
    EXPECT_EQ(e.hWndServidor(), 5);
    const std::string texto(60000, 'x');
    bool fallo = false;
    for (int i = 0; i < 200 && !fallo; ++i) medir([&] { fallo = !e.Enviar(MSG_SETTEXT, 0, texto); });
    EXPECT_TRUE(fallo);
    EXPECT_EQ(e.Descriptor(), -1);
    // A wait would take the whole limit (250 ms); what is left is copying and a busy machine.
    EXPECT_LT(masLarga, cEnlaceIndice::kPlazoMs / 2) << "the longest call, in ms";
    fin = true;
    c.join();
}

TEST_F(ServidorIndice, ChangesMadeFromAShellShowUpInTheAnswers) {
    arbol.Archivo("proyecto/leeme.md");
    ServidorEnHilo s(Opciones());
    ASSERT_TRUE(s.Listo());
    auto e = Enlace();
    ASSERT_EQ(Nombres(*e, "leeme"), (std::vector<std::string>{"proyecto/leeme.md"}));
    const std::string r = arbol.Ruta();
    auto shell = [&](const std::string& orden) { ASSERT_EQ(std::system(("cd '" + r + "' && " + orden).c_str()), 0); };
    auto Muestra = [&](const std::string& texto, const std::vector<std::string>& esperado) {
        return Esperar([&] { return Nombres(*e, texto) == esperado; });
    };
    shell("touch proyecto/nuevo-archivo.c");
    EXPECT_TRUE(Muestra("nuevo-archivo", {"proyecto/nuevo-archivo.c"}));
    shell("mkdir -p proyecto/src/modulo && touch proyecto/src/modulo/pieza.h");
    EXPECT_TRUE(Muestra("pieza", {"proyecto/src/modulo/pieza.h"}));
    shell("mv proyecto/src proyecto/fuentes");
    EXPECT_TRUE(Muestra("pieza", {"proyecto/fuentes/modulo/pieza.h"}));
    shell("touch proyecto/fuentes/modulo/pieza2.h");  // the moved folder is watched under its new name
    EXPECT_TRUE(Muestra("pieza2", {"proyecto/fuentes/modulo/pieza2.h"}));
    shell("mv proyecto/leeme.md proyecto/LEAME.md");
    EXPECT_TRUE(Muestra("leeme", {}));
    EXPECT_TRUE(Muestra("leame", {"proyecto/LEAME.md"}));
    shell("rm -r proyecto/fuentes");
    EXPECT_TRUE(Muestra("pieza", {}));
}

TEST_F(ServidorIndice, ANameThatLandsJustAfterANewFolderIsListedIsFound) {
    ArbolCarrera carrera;
    OpcionesServidor op = Opciones();
    cServidorIndice s(op, carrera);
    std::string error;
    ASSERT_TRUE(s.Preparar(error)) << error;
    std::thread hilo([&] { s.Ejecutar(); });
    auto e = Enlace();
    fs::create_directory(arbol.Ruta("nueva"));
    EXPECT_TRUE(Esperar([&] { return Nombres(*e, "tarde") == std::vector<std::string>{"nueva/tarde.txt"}; }));
    EXPECT_TRUE(carrera.hecho);
    s.Detener();
    hilo.join();
}

// Folders and what is put in them at once, while the server is busy with the ones before: each
// folder's watch must exist before it is listed, or the names that land in between are lost
// until the server restarts.
TEST_F(ServidorIndice, FoldersFilledTheMomentTheyAreMadeAreAllFound) {
    arbol.Carpeta("carrera");
    ServidorEnHilo s(Opciones());
    ASSERT_TRUE(s.Listo());
    auto e = Enlace();
    constexpr int kVueltas = 200;
    std::vector<std::string> esperado;
    std::mt19937 azar(7);
    for (int vuelta = 0; vuelta < kVueltas; ++vuelta) {
        char clave[16];
        std::snprintf(clave, sizeof clave, "k%04dq", vuelta);
        std::string dentro = arbol.Ruta("carrera/") + clave;
        for (int nivel = 0; nivel < 3; ++nivel) {
            fs::create_directory(dentro);
            // A shell's pace between a folder and its first file: about when the server, woken
            // by the folder, lists it.
            std::this_thread::sleep_for(std::chrono::microseconds(azar() % 1500));
            for (const char* n : {"-a", "-b", "-c"}) {
                std::ofstream(dentro + "/" + clave + n + std::to_string(nivel));
                esperado.push_back(dentro.substr(arbol.Ruta().size()) + "/" + clave + n + std::to_string(nivel));
            }
            dentro += "/sub";
        }
    }
    std::sort(esperado.begin(), esperado.end());
    // Every one, within a generous bound; the missing ones are named when some are.
    std::vector<std::string> vistos;
    const bool todos = Esperar([&] {
        auto r = Buscar(*e, "q-");
        return r && r->total == esperado.size();
    });
    if (!todos) {
        for (int vuelta = 0; vuelta < kVueltas; ++vuelta) {
            char clave[16];
            std::snprintf(clave, sizeof clave, "k%04dq-", vuelta);
            for (const std::string& n : Nombres(*e, clave)) vistos.push_back(n);
        }
        std::sort(vistos.begin(), vistos.end());
        std::vector<std::string> faltan;
        std::set_difference(esperado.begin(), esperado.end(), vistos.begin(), vistos.end(), std::back_inserter(faltan));
        ADD_FAILURE() << faltan.size() << " of " << esperado.size() << " never found, the first: " << faltan.front();
    }
}

// Without watches (none left, or none wanted) a change shows at the next look at the folders.
TEST_F(ServidorIndice, UnwatchedFoldersShowTheirChangesAtTheNextLook) {
    arbol.Archivo("quieta/antes.txt");
    OpcionesServidor op = Opciones();
    op.vigilar = false;
    op.revisarCadaMs = 100;
    ServidorEnHilo s(op);
    ASSERT_TRUE(s.Listo());
    auto e = Enlace();
    arbol.Archivo("quieta/despues.txt");
    arbol.Archivo("quieta/nueva/honda.txt");
    EXPECT_TRUE(Esperar([&] { return Nombres(*e, "despues") == std::vector<std::string>{"quieta/despues.txt"}; }));
    EXPECT_TRUE(Esperar([&] { return Nombres(*e, "honda") == std::vector<std::string>{"quieta/nueva/honda.txt"}; }));
}

// One server per socket and per index file, whatever the order they come in: the second names
// the first and does nothing else (the old index file and the first's socket stay).
TEST_F(ServidorIndice, ASecondServerForTheSameSocketOrIndexNamesTheFirstAndLeavesItAlone) {
    ServidorEnHilo s(Opciones());
    ASSERT_TRUE(s.Listo());
    auto e = Enlace();
    const long long yo = getpid();
    for (const int caso : {0, 1, 2}) {
        OpcionesServidor op = Opciones();
        if (caso == 1) op.rutaEnlace = tmp.Ruta("otro-enlace");     // same index file
        if (caso == 2) op.archivoIndice = tmp.Ruta("cache/otro.map");  // same socket
        cServidorIndice segundo(op);
        std::string error;
        EXPECT_FALSE(segundo.Preparar(error)) << caso;
        EXPECT_EQ(segundo.OtroServidor(), yo) << caso;
        EXPECT_NE(error.find("another index server (process " + std::to_string(yo) + ")"), std::string::npos) << error;
        EXPECT_FALSE(fs::exists(tmp.Ruta("otro-enlace"))) << "the second made no socket";
    }
    EXPECT_TRUE(fs::exists(tmp.Ruta("MapServiceQx")));
    EXPECT_TRUE(Buscar(*e, "x").has_value()) << "the first still answers";

    // Two started at the same moment on a fresh socket: exactly one of them gets it.
    for (int vuelta = 0; vuelta < 20; ++vuelta) {
        OpcionesServidor op = Opciones();
        op.rutaEnlace = tmp.Ruta("carrera-" + std::to_string(vuelta));
        op.archivoIndice = tmp.Ruta("cache/carrera-" + std::to_string(vuelta) + ".map");
        cServidorIndice a(op), b(op);
        std::atomic<int> listos{0};
        std::string ea, eb;
        std::thread ha([&] { listos += a.Preparar(ea); });
        std::thread hb([&] { listos += b.Preparar(eb); });
        ha.join();
        hb.join();
        EXPECT_EQ(listos.load(), 1) << ea << " / " << eb;
        EXPECT_EQ(a.OtroServidor() + b.OtroServidor(), yo);
    }
}

// A stop asked for in the middle of the first build ends it at the next folder; the half-built
// index is never saved, so the last complete file stays as it was.
TEST_F(ServidorIndice, AStopDuringTheFirstBuildEndsItAtOnceAndKeepsTheLastCompleteFile) {
    arbol.Archivo("anterior.txt");
    {
        ServidorEnHilo s(Opciones());
        ASSERT_TRUE(s.Listo());
    }
    const std::string archivo = tmp.Ruta("cache/kartoserv.map");
    std::ifstream f(archivo, std::ios::binary);
    const std::string antes((std::istreambuf_iterator<char>(f)), {});
    ASSERT_FALSE(antes.empty());

    CarpetaTemporal grande;
    for (int i = 0; i < 600; ++i) grande.Carpeta("d" + std::to_string(i % 20) + "/s" + std::to_string(i));
    for (const bool conSenal : {false, true}) {
        SCOPED_TRACE(conSenal ? "a signal on the descriptor" : "Detener from another thread");
        int tubo[2];
        ASSERT_EQ(pipe2(tubo, O_NONBLOCK), 0);  // read as the signal descriptor is: never waiting
        ArbolLento lento;
        OpcionesServidor op = Opciones();
        op.raices = {grande.Ruta()};  // other roots: the saved file does not fit, a build starts
        op.descriptorSenales = conSenal ? tubo[0] : -1;
        cServidorIndice s(op, lento);
        std::string error;
        bool listo = true;
        std::thread h([&] { listo = s.Preparar(error); });
        ASSERT_TRUE(Esperar([&] { return lento.listados >= 30; }));
        const int alPedir = lento.listados;
        if (conSenal) {
            // What the signal descriptor hands out: a record whose first field is the signal.
            char registro[128] = {15};
            ASSERT_EQ(write(tubo[1], registro, sizeof registro), 128);
        } else {
            s.Detener();
        }
        h.join();
        EXPECT_FALSE(listo);
        EXPECT_TRUE(s.Detenido());
        EXPECT_LE(lento.listados - alPedir, 20) << "of 621 folders";
        EXPECT_NE(error.find("left as it was"), std::string::npos) << error;
        close(tubo[0]);
        close(tubo[1]);
    }
    std::ifstream g(archivo, std::ios::binary);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(g)), {}), antes);
}

TEST_F(ServidorIndice, RestartsFromTheSavedIndexAndRebuildsADamagedOne) {
    arbol.Archivo("a/guardado.txt");
    {
        ServidorEnHilo s(Opciones());
        ASSERT_TRUE(s.Listo());
        EXPECT_FALSE(s.S().CargadoDeArchivo());
    }
    const std::string archivo = tmp.Ruta("cache/kartoserv.map");
    ASSERT_TRUE(fs::exists(archivo));
    // A change while no server runs is found at the next start.
    arbol.Archivo("a/mientras.txt");
    {
        ServidorEnHilo s(Opciones());
        ASSERT_TRUE(s.Listo());
        EXPECT_TRUE(s.S().CargadoDeArchivo());
        auto e = Enlace();
        EXPECT_EQ(Nombres(*e, "guardado"), (std::vector<std::string>{"a/guardado.txt"}));
        EXPECT_EQ(Nombres(*e, "mientras"), (std::vector<std::string>{"a/mientras.txt"}));
    }
    const auto tam = fs::file_size(archivo);
    for (int dano = 0; dano < 3; ++dano) {
        if (dano == 0) fs::resize_file(archivo, tam / 2);
        if (dano == 1) {
            std::fstream f(archivo, std::ios::in | std::ios::out | std::ios::binary);
            f.seekp(static_cast<std::streamoff>(tam - 3));
            f.put('\x7f');
        }
        if (dano == 2) std::ofstream(archivo, std::ios::trunc) << "not an index";
        ServidorEnHilo s(Opciones());
        ASSERT_TRUE(s.Listo());
        EXPECT_FALSE(s.S().CargadoDeArchivo()) << dano;
        auto e = Enlace();
        EXPECT_EQ(Nombres(*e, "guardado"), (std::vector<std::string>{"a/guardado.txt"})) << dano;
        EXPECT_NE(Log().find("damaged"), std::string::npos);
        s.Parar();
        cIndiceNombres comprobar;
        std::ifstream f(archivo, std::ios::binary);
        const std::string imagen((std::istreambuf_iterator<char>(f)), {});
        EXPECT_TRUE(comprobar.Cargar(imagen)) << "rewritten whole after damage " << dano;
    }
}

TEST_F(ServidorIndice, AOneOffQueryGetsTheRankedHitsOrNothingWithoutAServer) {
    arbol.Archivo("sub/base de datos.odb", 7);
    arbol.Archivo("datos");
    const std::string ruta = tmp.Ruta("MapServiceQx");
    EXPECT_FALSE(ConsultarServidorIndice("datos", 300, ruta));
    ServidorEnHilo s(Opciones());
    ASSERT_TRUE(s.Listo());
    auto r = ConsultarServidorIndice("DATOS", 2000, ruta);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->total, 2u);
    ASSERT_EQ(r->aciertos.size(), 2u);
    EXPECT_EQ(r->aciertos[0].nombre, "datos");
    EXPECT_EQ(r->aciertos[1].tamano, 7);
}

// The search tab's "Database" source, driven as the window drives it (never waiting): every
// hit of the whole pattern under the folders asked for, as paths relative to the tree.
struct BusquedaTodo {
    cConsultaIndice::Fin fin = cConsultaIndice::Fin::EnCurso;
    std::vector<std::string> rutas;
    std::size_t tramas = 0;
};

class ConsultaIndice : public ServidorIndice {
protected:
    BusquedaTodo Todo(const std::string& patron, const std::vector<std::string>& carpetas) {
        BusquedaTodo r;
        cConsultaIndice c(tmp.Ruta("MapServiceQx"));
        c.alAciertos = [&](const std::vector<AciertoIndice>& a) {
            ++r.tramas;
            for (const AciertoIndice& x : a) r.rutas.push_back(x.carpeta + x.nombre);
        };
        bool terminada = false;
        c.alTerminar = [&] { terminada = true; };
        c.Empezar(patron, carpetas);
        const auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!terminada && std::chrono::steady_clock::now() < limite) {
            if (c.Enlace().Descriptor() >= 0) EsperarDescriptores({c.Enlace().Descriptor()}, 50);
            c.Revisar();
        }
        r.fin = c.Estado();
        for (std::string& x : r.rutas)
            if (x.starts_with(arbol.Ruta())) x.erase(0, arbol.Ruta().size());
        std::sort(r.rutas.begin(), r.rutas.end());
        return r;
    }
};

TEST_F(ConsultaIndice, TheWholePatternAndTheFolderListDecideTheHits) {
    arbol.Archivo("a/Informe 2024.txt");
    arbol.Archivo("a/informe 2023.txt");
    arbol.Archivo("b/informe.odt");
    arbol.Archivo("b/notas.txt");
    arbol.Archivo("b/c/informe-2024");
    arbol.Carpeta("informe 2024 viejo");
    arbol.Archivo("Z?");
    const BusquedaTodo sinServidor = Todo("*informe*", {arbol.Ruta()});
    EXPECT_EQ(sinServidor.fin, cConsultaIndice::Fin::SinServidor);
    EXPECT_TRUE(sinServidor.rutas.empty());

    ServidorEnHilo s(Opciones());
    ASSERT_TRUE(s.Listo());
    using V = std::vector<std::string>;
    BusquedaTodo r = Todo("*INF?RME*2024*", {arbol.Ruta()});
    EXPECT_EQ(r.fin, cConsultaIndice::Fin::Completa);
    // The folder of the same name is not a file hit; "?" is one character, "*" any run.
    EXPECT_EQ(r.rutas, (V{"a/Informe 2024.txt", "b/c/informe-2024"}));
    EXPECT_EQ(Todo("inf*odt", {arbol.Ruta()}).rutas, V{"b/informe.odt"});
    EXPECT_EQ(Todo("*z?*", {arbol.Ruta()}).rutas, V{"Z?"});
    // Wildcards alone: every file.
    EXPECT_EQ(Todo("**", {arbol.Ruta()}).rutas.size(), 6u);
    // Only the folders asked for (with or without their slash), a folder above the indexed
    // roots holding them all, and one outside them holding nothing.
    EXPECT_EQ(Todo("*2024*", {arbol.Ruta("b")}).rutas, V{"b/c/informe-2024"});
    EXPECT_EQ(Todo("*.txt", {arbol.Ruta("a/"), arbol.Ruta("b/c/")}).rutas,
              (V{"a/Informe 2024.txt", "a/informe 2023.txt"}));
    EXPECT_EQ(Todo("*notas*", {fs::path(arbol.Ruta()).parent_path().parent_path().string() + "/"}).rutas,
              V{"b/notas.txt"});
    EXPECT_TRUE(Todo("**", {tmp.Ruta()}).rutas.empty());
}

TEST_F(ConsultaIndice, EveryHitComesInSlicesWithNoCap) {
    constexpr int kArchivos = 4500;
    for (int i = 0; i < kArchivos; ++i) arbol.Archivo("d" + std::to_string(i % 3) + "/archivo " + std::to_string(i) + ".dat");
    arbol.Archivo("d0/otro.txt");
    ServidorEnHilo s(Opciones());
    ASSERT_TRUE(s.Listo());
    const BusquedaTodo r = Todo("*.DAT", {arbol.Ruta()});
    EXPECT_EQ(r.fin, cConsultaIndice::Fin::Completa);
    EXPECT_EQ(r.rutas.size(), static_cast<std::size_t>(kArchivos));
    EXPECT_EQ(std::adjacent_find(r.rutas.begin(), r.rutas.end()), r.rutas.end());
    EXPECT_GE(r.tramas, 3u);  // no frame carries them all
    // The popup's search keeps its cap meanwhile.
    auto e = Enlace();
    const auto popup = Buscar(*e, "archivo");
    ASSERT_TRUE(popup);
    EXPECT_EQ(popup->total, static_cast<std::uint64_t>(kArchivos));
    EXPECT_EQ(popup->aciertos.size(), 100u);
}

// A server that stops answering in the middle is not waited for: the search ends, and says so.
TEST_F(ConsultaIndice, AServerThatNeverAnswersEndsTheSearchAsNotRunning) {
    ErrorEscucha e;
    auto mudo = EscucharLocal(tmp.Ruta("MapServiceQx"), e);  // accepts, never greets
    ASSERT_TRUE(mudo);
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(Todo("*x*", {arbol.Ruta()}).fin, cConsultaIndice::Fin::SinServidor);
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(15));
}

// A client that asks and never reads fills only its own queue: the others are answered at
// once, and it is dropped when its queue passes the limit.
TEST_F(ServidorIndice, AClientThatNeverReadsIsDroppedWithoutHoldingUpTheOthers) {
    for (int i = 0; i < 150; ++i) arbol.Archivo("carpeta con un nombre largo/archivo " + std::to_string(i));
    OpcionesServidor op = Opciones();
    op.maxCola = 64 * 1024;
    ServidorEnHilo s(op);
    ASSERT_TRUE(s.Listo());
    auto sordo = Enlace();
    sordo->Enviar(MSG_VENTANA_POPUP, 5);
    sordo->Enviar(MSG_SETTEXT, sordo->hWndTxtServidor(), "archivo");
    for (int i = 0; i < 400 && sordo->Descriptor() >= 0; ++i) {
        sordo->Enviar(MSG_BUSCAR, 0);
        sordo->EscribirPendiente();
    }
    // Answered within the bounded wait (a server that waited on each unread answer would take
    // minutes).
    auto otro = Enlace();
    const auto r = Buscar(*otro, "archivo");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->total, 150u);
    ASSERT_TRUE(Esperar([&] { return Log().find("bytes unread: disconnected") != std::string::npos; })) << Log();
}

// Names that do not fit the name buffer are left out, and the log says how many.
TEST_F(ServidorIndice, NamesPastTheBufferLimitAreLeftOutWithALogLine) {
    for (int i = 0; i < 40; ++i) arbol.Archivo("nombre-" + std::to_string(i));
    OpcionesServidor op = Opciones();
    op.limiteBuffer = 200;
    ServidorEnHilo s(op);
    ASSERT_TRUE(s.Listo());
    const std::size_t fuera = s.S().Indice().Descartados();
    EXPECT_GT(fuera, 0u);
    EXPECT_EQ(s.S().Indice().Nombres() + fuera, 40u);
    EXPECT_NE(Log().find(std::to_string(fuera) + " names left out of the index"), std::string::npos) << Log();
}

TEST_F(ServidorIndice, ASecondServerOrAnotherUsersSocketIsRefused) {
    ServidorEnHilo s(Opciones());
    ASSERT_TRUE(s.Listo());
    cServidorIndice segundo(Opciones());
    std::string error;
    EXPECT_FALSE(segundo.Preparar(error));
    EXPECT_NE(error.find("another index server"), std::string::npos);
    // The socket file is the owner's only.
    EXPECT_EQ(fs::status(tmp.Ruta("MapServiceQx")).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);

    // The user's own stray file or folder in the socket's place is named as what it is, and kept.
    for (const bool carpeta : {false, true}) {
        OpcionesServidor op = Opciones();
        op.rutaEnlace = tmp.Ruta(carpeta ? "estorbo-carpeta" : "estorbo");
        op.archivoIndice = tmp.Ruta("cache/otro.map");
        if (carpeta)
            tmp.Carpeta("estorbo-carpeta");
        else
            tmp.ArchivoConTexto("estorbo", "mine");
        cServidorIndice tercero(op);
        error.clear();
        EXPECT_FALSE(tercero.Preparar(error));
        EXPECT_NE(error.find("not a socket"), std::string::npos) << error;
        EXPECT_EQ(error.find("another user"), std::string::npos) << error;
        EXPECT_TRUE(fs::exists(op.rutaEnlace));
    }

    // A socket that belongs to someone else is neither connected to nor replaced.
    ErrorEscucha e;
    auto ajena = EscucharLocal(tmp.Ruta("ajeno"), e);
    ASSERT_TRUE(ajena);
    if (std::system(("chown 65534 '" + tmp.Ruta("ajeno") + "' 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "changing a file's owner needs root";
    EXPECT_FALSE(ConectarLocal(tmp.Ruta("ajeno")));
    EXPECT_FALSE(EscucharLocal(tmp.Ruta("ajeno"), e));
    EXPECT_EQ(e, ErrorEscucha::OtroUsuario);
    EXPECT_TRUE(fs::exists(tmp.Ruta("ajeno")));
}

}  // namespace
}  // namespace quirvex::prueba
