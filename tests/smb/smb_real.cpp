// Network shares against a real SMB server on loopback, started by tools/con_smbd.sh. Without
// that server every test here says why and is skipped.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <thread>

#include "folder/contenido_visor.h"
#include "folder/orden.h"
#include "folder/tabla_unidades.h"
#include "operations/comandos_archivo.h"
#include "operations/tareas.h"
#include "platform/archivo_bajo_nivel.h"
#include "platform/red.h"
#include "platform/smb.h"
#include "settings/idioma.h"
#include "support/fakes.h"
#include "smb/servidor_smb.h"
#include "support/nucleo_limpio.h"

namespace quirvex {
namespace {

namespace fs = std::filesystem;

using prueba::Senal;
using prueba::SmbSinExplorar;
using prueba::Variable;

// Answers the credentials dialog from a list (an empty user cancels) and records what it was
// told; every other message is recorded too.
class DialogosCredenciales final : public Dialogos {
public:
    DialogosCredenciales() { SetDialogos(this); }
    ~DialogosCredenciales() override { SetDialogos(nullptr); }
    Respuesta Mensaje(const std::string& texto, const std::string&, Botones, IconoMensaje) override {
        mensajes.push_back(texto);
        return Respuesta::Aceptar;
    }
    bool PedirCredenciales(const std::string& servidor, const std::string& aviso,
                           std::string& usuario, std::string& clave) override {
        servidores.push_back(servidor);
        avisos.push_back(aviso);
        if (respuestas.empty() || respuestas.front().first.empty()) return false;
        usuario = respuestas.front().first;
        clave = respuestas.front().second;
        respuestas.pop_front();
        return true;
    }
    std::deque<std::pair<std::string, std::string>> respuestas;
    std::vector<std::string> servidores, avisos, mensajes;
};

class VistaActual : public VistaVisor {
public:
    std::int64_t ItemActual() const override { return actual; }
    std::int64_t actual = -1;
};

std::uint64_t Suma(const std::string& ruta) {
    std::ifstream f(ruta, std::ios::binary);
    std::uint64_t h = 1469598103934665603ull;
    char buffer[1 << 16];
    while (f.read(buffer, sizeof buffer) || f.gcount() > 0) {
        for (std::streamsize k = 0; k < f.gcount(); ++k) {
            h ^= static_cast<unsigned char>(buffer[k]);
            h *= 1099511628211ull;
        }
    }
    return h;
}

void Escribir(const std::string& ruta, std::size_t n, unsigned semilla) {
    std::ofstream f(ruta, std::ios::binary);
    std::string bloque(1 << 20, '\0');
    unsigned x = semilla * 2654435761u + 1;
    for (std::size_t hecho = 0; hecho < n; hecho += bloque.size()) {
        for (auto& c : bloque) {
            x = x * 1103515245u + 12345u;
            c = static_cast<char>(x >> 16);
        }
        f.write(bloque.data(), static_cast<std::streamsize>(std::min(bloque.size(), n - hecho)));
    }
}

class SmbReal : public prueba::NucleoLimpio {
protected:
    void SetUp() override {
        prueba::NucleoLimpio::SetUp();
        if (const std::string falta = prueba::SinServidorSmb(); !falta.empty()) GTEST_SKIP() << falta;
        // Generous: a sanitizer build beside other work missed 3 s on a first call. A server that
        // answers is not held up by it; the tests of the time limit set their own.
        SetTiempoLimiteRed(20000);
        SetSmb(&sinExplorar_);
        equipo = "//127.0.0.1:" + Variable("QUIRVEX_SMB_PUERTO");
        Smb().SetCredenciales("127.0.0.1", "", "");
        Smb().SetCredenciales(equipo.substr(2), "", "");
        disco = Variable("QUIRVEX_SMB_DIR");
    }
    void TearDown() override { SetSmb(nullptr); }

    // The entries of a folder as the pane shows them, in its order.
    static std::vector<std::string> Nombres(const cContenidoVisor& c) {
        std::vector<std::string> r;
        for (std::int64_t i = 0; i < c.nMostrados(); ++i) r.push_back(c.Items[static_cast<size_t>(i)].Nombre);
        return r;
    }

    std::string equipo;  // "//127.0.0.1:4450"
    std::string disco;   // the server's folder, holding pub/ and priv/
    SmbSinExplorar sinExplorar_{Smb()};
};

TEST_F(SmbReal, TheServerItsSharesAndTheNetworkListLeadToTheSameFolder) {
    std::ofstream(disco + "/pub/hola.txt") << "hola";
    VistaActual vista;
    cContenidoVisor c(&vista);
    prueba::DialogosGrabados dialogos;

    // A typed computer lists its disk shares as folders, the hidden IPC share left out.
    ASSERT_TRUE(c.CargarContenido(equipo, true));
    std::vector<std::string> recursos = Nombres(c);
    std::sort(recursos.begin(), recursos.end());
    EXPECT_EQ(recursos, (std::vector<std::string>{"priv", "pub"}));

    // The network list now shows that computer, and opening it lists the same shares.
    ASSERT_TRUE(c.CargarContenido(TEXTO_RED, true));
    ASSERT_EQ(c.nCarpetas, 1);
    EXPECT_EQ(c.Items[0].Nombre, equipo.substr(2));
    EXPECT_EQ(c.TextoEstado, "Computadoras disponibles: 1");
    vista.actual = 0;
    ASSERT_TRUE(c.CargarContenido(c.Items[0].RutaCompleta(c.RutaActual), true));
    vista.actual = -1;
    std::vector<std::string> desdeRed = Nombres(c);
    std::sort(desdeRed.begin(), desdeRed.end());
    EXPECT_EQ(desdeRed, recursos);

    const auto pub = std::find_if(c.Items.begin(), c.Items.end(),
                                  [](const ItemCarpeta& it) { return it.Nombre == "pub"; });
    ASSERT_NE(pub, c.Items.end());
    EXPECT_EQ(pub->RutaCompleta(c.RutaActual), equipo + "/pub");
    ASSERT_TRUE(c.CargarContenido(pub->RutaCompleta(c.RutaActual), true));
    EXPECT_EQ(c.RutaActual, equipo + "/pub/");
    EXPECT_NE(std::find_if(c.Items.begin(), c.Items.end(),
                           [](const ItemCarpeta& it) { return it.Nombre == "hola.txt"; }),
              c.Items.end());
    EXPECT_TRUE(dialogos.mensajes.empty());
}

TEST_F(SmbReal, AGuestShareOpensAtOnceAUserShareAsksUntilTheCredentialsWork) {
    DialogosCredenciales dialogos;
    EXPECT_TRUE(Archivos().Accesible(equipo + "/pub/"));
    EXPECT_TRUE(dialogos.avisos.empty());

    // Cancelled: the share stays closed and nothing is kept.
    EXPECT_FALSE(Archivos().Accesible(equipo + "/priv/"));
    EXPECT_EQ(dialogos.avisos, (std::vector<std::string>{""}));
    EXPECT_EQ(dialogos.servidores, (std::vector<std::string>{equipo.substr(2)}));

    // A wrong password is refused and asked again, saying why; the right one opens it.
    dialogos.avisos.clear();
    dialogos.respuestas = {{Variable("QUIRVEX_SMB_USUARIO"), "no-es-esta"},
                           {Variable("QUIRVEX_SMB_USUARIO"), Variable("QUIRVEX_SMB_CLAVE")}};
    std::ofstream(disco + "/priv/secreto.txt") << "x";
    std::vector<std::string> nombres;
    ASSERT_TRUE(Archivos().Listar(equipo + "/priv/", [&](EntradaDirectorio&& e) {
        nombres.push_back(e.nombre);
    }));
    EXPECT_EQ(dialogos.avisos, (std::vector<std::string>{"", TEXTO_ACCESO_DENEGADO}));
    EXPECT_EQ(nombres, (std::vector<std::string>{"secreto.txt"}));
    // Kept for the rest of the run: no second question.
    EXPECT_TRUE(Archivos().Accesible(equipo + "/priv/"));
    EXPECT_EQ(dialogos.avisos.size(), 2u);
}

TEST_F(SmbReal, AThousandEntriesWithAwkwardNamesListAsTheyDoOnDisk) {
    const std::string local = disco + "/pub/mil/";
    fs::create_directories(local);
    const std::vector<std::string> raros = {"ñandú", "日本語", "50% off", "a#b", "x&y;z", "@casa",
                                            "más+menos", "Ωmega", "emoji 😀", "tab.tar.gz"};
    std::set<std::string> esperados;
    for (int k = 0; k < 1000; ++k) {
        std::string nombre = raros[static_cast<size_t>(k) % raros.size()] + " " + std::to_string(k);
        if (k % 100 == 0) {
            fs::create_directory(local + nombre);
        } else {
            nombre += ".txt";
            std::ofstream(local + nombre) << std::string(static_cast<size_t>(k), 'q');
        }
        esperados.insert(nombre);
    }
    cContenidoVisor red, disc;
    ASSERT_TRUE(red.CargarContenido(equipo + "/pub/mil", true));
    ASSERT_TRUE(disc.CargarContenido(local, true));
    EXPECT_EQ(red.nCarpetas, 10);
    EXPECT_EQ(red.nArchivos, 990);
    const std::vector<std::string> nombres = Nombres(red);
    EXPECT_EQ(std::set<std::string>(nombres.begin(), nombres.end()), esperados);
    // Same order as the local folder in every sort, sizes included.
    for (int criterio : {ORDEN_NOMBRE, ORDEN_EXTENSION, ORDEN_TAMANO}) {
        red.CambiarOrden(criterio);
        disc.CambiarOrden(criterio);
        EXPECT_EQ(Nombres(red), Nombres(disc)) << "criterio " << criterio;
    }
    for (std::int64_t i = 0; i < red.nMostrados(); ++i)
        EXPECT_EQ(red.Items[static_cast<size_t>(i)].Tamano, disc.Items[static_cast<size_t>(i)].Tamano);
    // The filter works on the share as on a folder.
    red.txtFiltro = "*ñandú*";
    red.cboFiltro = 1;
    ASSERT_TRUE(red.CargarContenido(std::string(), true));
    EXPECT_EQ(red.nArchivos + red.nCarpetas, 100);
}

TEST_F(SmbReal, ALargeFileAndATreeCopyBothWaysThroughTheEngine) {
    const std::string grande = tmp.Ruta("grande.bin");
    Escribir(grande, 100u << 20, 7);
    tmp.Carpeta("arbol/uno/dos");
    tmp.Carpeta("arbol/vacía");
    std::ofstream(tmp.Ruta("arbol/raíz.txt")) << "raíz";
    std::ofstream(tmp.Ruta("arbol/uno/dos/hoja 50%.txt")) << std::string(3 << 20, 'h');
    fs::create_directory(disco + "/pub/subida");
    CargarIdioma(IdiomasIncorporados()[0].texto);

    cTareas t;
    t.tIni_Timer();
    const auto subida = t.AgregarOperacion(TIPO_COPIAR, "", equipo + "/pub/subida/",
                                           {grande, tmp.Ruta("arbol")});
    t.tIni_Timer();
    const Operacion& s = t.Operaciones()[static_cast<size_t>(subida)];
    ASSERT_EQ(s.Estado, ESTADO_TERMINADA);
    EXPECT_EQ(s.NumErrores, 0) << t.TextoErrores(subida);
    EXPECT_EQ(Suma(disco + "/pub/subida/grande.bin"), Suma(grande));
    EXPECT_EQ(Suma(disco + "/pub/subida/arbol/uno/dos/hoja 50%.txt"),
              Suma(tmp.Ruta("arbol/uno/dos/hoja 50%.txt")));
    EXPECT_EQ(Suma(disco + "/pub/subida/arbol/raíz.txt"), Suma(tmp.Ruta("arbol/raíz.txt")));
    EXPECT_TRUE(fs::is_directory(disco + "/pub/subida/arbol/vacía"));

    // And back, the tree moved: it leaves the share only once it is whole here.
    tmp.Carpeta("bajada");
    const auto bajada = t.AgregarOperacion(TIPO_COPIAR, "", tmp.Ruta("bajada/"),
                                           {equipo + "/pub/subida/grande.bin"});
    t.tIni_Timer();
    const auto mover = t.AgregarOperacion(TIPO_MOVER, "", tmp.Ruta("bajada/"),
                                          {equipo + "/pub/subida/arbol"});
    t.tIni_Timer();
    EXPECT_EQ(t.Operaciones()[static_cast<size_t>(bajada)].NumErrores, 0) << t.TextoErrores(bajada);
    EXPECT_EQ(t.Operaciones()[static_cast<size_t>(mover)].NumErrores, 0) << t.TextoErrores(mover);
    EXPECT_EQ(Suma(tmp.Ruta("bajada/grande.bin")), Suma(grande));
    EXPECT_EQ(Suma(tmp.Ruta("bajada/arbol/uno/dos/hoja 50%.txt")),
              Suma(tmp.Ruta("arbol/uno/dos/hoja 50%.txt")));
    EXPECT_TRUE(fs::is_directory(tmp.Ruta("bajada/arbol/vacía")));
    EXPECT_FALSE(fs::exists(disco + "/pub/subida/arbol"));

    // New folder, rename and delete on the share.
    EXPECT_EQ(BajoNivel().CrearCarpeta(equipo + "/pub/subida/nueva"), 0);
    EXPECT_EQ(BajoNivel().Renombrar(equipo + "/pub/subida/nueva", equipo + "/pub/subida/otra"), 0);
    EXPECT_TRUE(fs::is_directory(disco + "/pub/subida/otra"));
    const auto borrar = t.AgregarOperacion(TIPO_BORRAR, "", "", {equipo + "/pub/subida"});
    t.tIni_Timer();
    EXPECT_EQ(t.Operaciones()[static_cast<size_t>(borrar)].NumErrores, 0) << t.TextoErrores(borrar);
    EXPECT_FALSE(fs::exists(disco + "/pub/subida"));
}

TEST_F(SmbReal, AServerThatStopsAnsweringIsGivenUpAndNothingIsLostHere) {
    SetTiempoLimiteRed(1000);
    const std::string local = disco + "/pub/quieto/";
    fs::create_directories(local);
    Escribir(local + "grande.bin", 64u << 20, 3);
    std::ofstream(local + "a.txt") << "a";
    // Under the short limit even a call on a server that answers may miss it on a busy machine.
    ASSERT_TRUE(prueba::HastaQue([&] { return Archivos().Accesible(equipo + "/pub/quieto/"); }));

    // A listing that waits on a frozen server ends in the load's message, the pane unchanged.
    prueba::DialogosGrabados dialogos;
    cContenidoVisor c;
    ASSERT_TRUE(c.CargarContenido(tmp.Ruta(), true));
    Senal("STOP");
    EXPECT_FALSE(c.CargarContenido(equipo + "/pub/quieto", true));
    Senal("CONT");
    EXPECT_EQ(dialogos.mensajes, (std::vector<std::string>{"No se pudo cargar el contenido."}));
    EXPECT_EQ(c.RutaActual, tmp.Ruta());

    // The server answers again: a fresh connection reaches it. A thawed server, and the given-up
    // call still stuck in the library, may take longer than the 1 s limit on a busy machine, so
    // the load is tried until it works rather than once.
    ASSERT_TRUE(prueba::HastaQue([&] { return c.CargarContenido(equipo + "/pub/quieto", true); }));
    EXPECT_EQ(c.nArchivos, 2);
    dialogos.mensajes.clear();

    // A download frozen after its first chunk: the log says why and no partial file stays.
    tmp.Carpeta("destino");
    cTareas t;
    // Frozen once the first chunk is written, wherever the engine writes it (a local file being
    // written has no name to look for).
    bool congelado = false;
    t.SetCeder([&] {
        if (congelado || t.Operaciones().empty() || t.Operaciones().back().BytesHechos == 0) return;
        Senal("STOP");
        congelado = true;
    });
    // Each transfer starts on a server that answers again, so what freezes it is the signal. On a
    // busy machine an attempt may also time out by itself before its first chunk: it is made
    // again until the freeze is what stops it. Whatever stops it, `intacto` must hold.
    const auto responde = [&] { return Archivos().Accesible(equipo + "/pub/quieto/"); };
    const auto congelada = [&](std::int32_t tipo, const std::string& destino, const std::string& origen,
                               const std::function<void()>& intacto) -> std::int64_t {
        for (int intento = 0; intento < 5; ++intento) {
            congelado = false;
            if (!prueba::HastaQue(responde)) break;
            const std::int64_t k = t.AgregarOperacion(tipo, "", destino, {origen});
            t.tIni_Timer();
            Senal("CONT");
            intacto();
            if (congelado) return k;
        }
        return -1;
    };
    const auto i = congelada(TIPO_COPIAR, tmp.Ruta("destino/"), equipo + "/pub/quieto/grande.bin", [&] {
        EXPECT_FALSE(fs::exists(tmp.Ruta("destino/grande.bin")));
        for (const auto& e : fs::directory_iterator(tmp.Ruta("destino")))
            ADD_FAILURE() << "left behind: " << e.path();
    });
    ASSERT_GE(i, 0) << "no attempt reached its first chunk";
    EXPECT_GE(t.Operaciones()[static_cast<size_t>(i)].NumErrores, 1);
    EXPECT_NE(t.TextoErrores(i).find("timed out"), std::string::npos) << t.TextoErrores(i);

    // An upload frozen the same way keeps the local source whole.
    const std::string fuente = tmp.Ruta("fuente.bin");
    Escribir(fuente, 64u << 20, 5);
    const auto suma = Suma(fuente);
    const auto j = congelada(TIPO_MOVER, equipo + "/pub/quieto/", fuente, [&] { EXPECT_EQ(Suma(fuente), suma); });
    ASSERT_GE(j, 0) << "no attempt reached its first chunk";
    EXPECT_GE(t.Operaciones()[static_cast<size_t>(j)].NumErrores, 1);
    EXPECT_NE(t.TextoErrores(j).find("timed out"), std::string::npos) << t.TextoErrores(j);
}

// A new file made on a frozen server: the call is given up, and whatever the server does with
// it once thawed, no file is left under the new name, and the service goes on working.
TEST_F(SmbReal, ANewFileWhoseMakingTimedOutIsNotLeftOnTheShare) {
    SetTiempoLimiteRed(1000);
    fs::create_directories(disco + "/pub/nuevos");
    const std::string carpeta = equipo + "/pub/nuevos/";
    const auto responde = [&] { return Archivos().Accesible(carpeta); };
    ASSERT_TRUE(prueba::HastaQue(responde));
    for (const char* nombre : {".hecho-1", ".hecho-2"}) {
        Senal("STOP");
        int error = 0;
        InfoNodo info;
        const ManejadorArchivo h = BajoNivel().CrearExclusivoEn(MANEJADOR_INVALIDO, carpeta + nombre, error, info);
        Senal("CONT");
        EXPECT_EQ(h, MANEJADOR_INVALIDO);
        EXPECT_TRUE(Smb().EsTiempoAgotado(error)) << error;
        // The server may make the file after the call gave up: it goes once the server answers.
        EXPECT_TRUE(prueba::HastaQue([&] { return responde() && !fs::exists(disco + "/pub/nuevos/" + nombre); }))
            << nombre << " left on the share";
    }
    // A name made while the server answers is kept and reported as this call's own (under a limit
    // a busy machine cannot miss).
    SetTiempoLimiteRed(20000);
    int error = 0;
    InfoNodo info;
    const ManejadorArchivo h = BajoNivel().CrearExclusivoEn(MANEJADOR_INVALIDO, carpeta + "quedo", error, info);
    ASSERT_NE(h, MANEJADOR_INVALIDO) << error;
    EXPECT_EQ(BajoNivel().Cerrar(h), 0);
    EXPECT_TRUE(fs::is_regular_file(disco + "/pub/nuevos/quedo"));
    EXPECT_EQ(BajoNivel().CrearExclusivoEn(MANEJADOR_INVALIDO, carpeta + "quedo", error, info), MANEJADOR_INVALIDO);
    EXPECT_TRUE(BajoNivel().Es(error, ErrorComun::YaExiste));
}

// A connection made under a short time limit follows the limit once it is raised: a server
// that takes longer than the old limit, but not the new one, is waited for.
TEST_F(SmbReal, ARaisedTimeLimitHoldsForAConnectionMadeUnderTheShorterOne) {
    SetTiempoLimiteRed(1000);
    fs::create_directories(disco + "/pub/lento");
    ASSERT_TRUE(Archivos().Accesible(equipo + "/pub/lento/"));
    SetTiempoLimiteRed(120000);
    Senal("STOP");
    // How long the server is frozen is the point of the test, not a wait for a condition: longer
    // than the old limit, far shorter than the new one.
    std::thread deshielo([] {
        std::this_thread::sleep_for(std::chrono::seconds(3));
        Senal("CONT");
    });
    const int r = BajoNivel().CrearCarpeta(equipo + "/pub/lento/nueva");
    deshielo.join();
    EXPECT_EQ(r, 0);
    EXPECT_TRUE(fs::is_directory(disco + "/pub/lento/nueva"));
}

TEST_F(SmbReal, AComputerThatIsNotThereListsNothingAndLeavesTheNetworkList) {
    // Another address rather than another port: libsmbclient keeps one connection per host
    // name, whatever the port.
    const std::string nadie = "//127.0.0.2:" + Variable("QUIRVEX_SMB_PUERTO");
    std::vector<EntradaSmb> e;
    EXPECT_NE(Smb().Listar(nadie + "/", e), 0);
    EXPECT_TRUE(e.empty());
    RecordarEquipo(nadie);
    ASSERT_TRUE(Archivos().Accesible(equipo + "/"));
    std::vector<std::string> nombres;
    for (const GrupoRed& g : RedSistema().Listar())
        for (const ComputadoraRed& c : g.computadoras) nombres.push_back(c.nombre);
    EXPECT_EQ(std::count(nombres.begin(), nombres.end(), equipo.substr(2)), 1);
    EXPECT_EQ(std::count(nombres.begin(), nombres.end(), nadie.substr(2)), 0);
}

// The pane's rename, new file and new folder on a share are done by the server: a local
// system call on the path would have failed (or, for a path that names a local folder, changed
// that folder instead).
TEST_F(SmbReal, RenameNewFileAndNewFolderOnAShareAreDoneOnTheServer) {
    CargarIdioma(IdiomasIncorporados()[0].texto);
    prueba::DialogosGrabados dialogos;
    fs::create_directories(disco + "/pub/cmd");
    std::ofstream(disco + "/pub/cmd/viejo.txt") << "v";
    std::ofstream(disco + "/pub/cmd/otro.txt") << "o";
    const std::string carpeta = equipo + "/pub/cmd/";
    auto renombrar = [&](const std::string& anterior, const std::string& nuevo, ModoRenombrar modo) {
        cRenombrar r;
        r.modo = modo;
        r.tipo = TIPO_ARCHIVO;
        r.carpeta = carpeta;
        r.anterior = anterior;
        return r.Aplicar(nuevo);
    };
    EXPECT_TRUE(renombrar("viejo.txt", "nuevo ñ.txt", ModoRenombrar::Renombrar));
    EXPECT_FALSE(fs::exists(disco + "/pub/cmd/viejo.txt"));
    EXPECT_TRUE(fs::exists(disco + "/pub/cmd/nuevo ñ.txt"));
    // Onto a name the share already holds: refused, both files kept.
    EXPECT_FALSE(renombrar("nuevo ñ.txt", "otro.txt", ModoRenombrar::Renombrar));
    auto contenido = [&](const std::string& nombre) {
        std::ifstream f(disco + "/pub/cmd/" + nombre);
        return std::string(std::istreambuf_iterator<char>(f), {});
    };
    EXPECT_EQ(contenido("otro.txt"), "o");
    EXPECT_EQ(contenido("nuevo ñ.txt"), "v");
    EXPECT_TRUE(renombrar("", "hecho.txt", ModoRenombrar::ArchivoNuevo));
    EXPECT_TRUE(fs::is_regular_file(disco + "/pub/cmd/hecho.txt"));
    EXPECT_FALSE(renombrar("", "otro.txt", ModoRenombrar::ArchivoNuevo));
    EXPECT_EQ(contenido("otro.txt"), "o");
    const std::string nueva = CrearCarpetaNueva(carpeta, nullptr);
    EXPECT_EQ(nueva, carpeta + NOMBRE_CARPETA_NUEVA);
    EXPECT_TRUE(fs::is_directory(disco + "/pub/cmd/" + NOMBRE_CARPETA_NUEVA));
    EXPECT_EQ(dialogos.mensajes.size(), 2u);
}

// A local name that is not UTF-8 cannot be a share's name: the copy says so, names the file and
// writes nothing, and the other files of the same copy arrive.
TEST_F(SmbReal, ANameThatIsNotTextIsRefusedByNameAndTheRestIsCopied) {
    CargarIdioma(IdiomasIncorporados()[0].texto);
    const std::string raro = tmp.Ruta("caf\xe9.txt");
    std::ofstream(raro) << "latin";
    std::ofstream(tmp.Ruta("bien.txt")) << "ok";
    fs::create_directories(disco + "/pub/nombres");
    cTareas t;
    const auto i = t.AgregarOperacion(TIPO_COPIAR, "", equipo + "/pub/nombres/", {raro, tmp.Ruta("bien.txt")});
    t.tIni_Timer();
    const std::string log = t.TextoErrores(i);
    EXPECT_EQ(t.Operaciones()[static_cast<size_t>(i)].NumErrores, 1) << log;
    EXPECT_NE(log.find(Texto(General, 120)), std::string::npos) << log;
    EXPECT_NE(log.find(raro), std::string::npos) << log;
    EXPECT_EQ(log.find("allocate"), std::string::npos) << log;
    std::vector<std::string> llegados;
    for (const auto& e : fs::directory_iterator(disco + "/pub/nombres")) llegados.push_back(e.path().filename());
    EXPECT_EQ(llegados, (std::vector<std::string>{"bien.txt"}));
}

}  // namespace
}  // namespace quirvex

namespace quirvex {
namespace {

// A file read in chunks is read ahead on the server's side: whatever the caller does between
// reads (a read of another size, a seek, the end of the file), it gets the bytes of the file
// where it asked, never the read-ahead's.
TEST_F(SmbReal, ReadsOfAFileInChunksGetTheirOwnBytesWhateverComesBetween) {
    std::string datos(100000, '\0');
    for (size_t k = 0; k < datos.size(); ++k) datos[k] = static_cast<char>((k * 7919) % 251);
    std::ofstream(disco + "/pub/trozos.bin", std::ios::binary) << datos;
    bool creado = false;
    ManejadorSmb h = 0;
    ASSERT_EQ(Smb().Abrir(equipo + "/pub/trozos.bin", false, creado, h), 0);
    std::string leido(40000, '\0');
    int error = 0;
    auto leer = [&](std::size_t n) {
        const std::int64_t r = Smb().Leer(h, leido.data(), n, error);
        return r < 0 ? std::string("error") : leido.substr(0, static_cast<size_t>(r));
    };
    EXPECT_EQ(leer(10000), datos.substr(0, 10000));
    EXPECT_EQ(leer(10000), datos.substr(10000, 10000));  // the chunk read ahead
    EXPECT_EQ(leer(4000), datos.substr(20000, 4000));    // another size: the read-ahead is put back
    EXPECT_EQ(leer(4000), datos.substr(24000, 4000));
    EXPECT_EQ(Smb().Posicionar(h, 0, false, error), 28000);  // where the caller is, not the read-ahead
    EXPECT_EQ(leer(4000), datos.substr(28000, 4000));
    EXPECT_EQ(Smb().Posicionar(h, 5, true, error), 5);
    EXPECT_EQ(leer(40000), datos.substr(5, 40000));
    EXPECT_EQ(leer(40000), datos.substr(40005, 40000));
    EXPECT_EQ(leer(40000), datos.substr(80005));  // the end: short
    EXPECT_EQ(leer(40000), "");
    EXPECT_EQ(Smb().Cerrar(h), 0);
}

}  // namespace
}  // namespace quirvex
