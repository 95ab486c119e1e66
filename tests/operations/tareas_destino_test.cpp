// The target side of a copy attacked on real folders: folders swapped for links while the engine
// yields, files another program saves under the chosen name meanwhile, hidden names already
// taken, other users looking at files mid-copy, kills at any moment, and when data reaches the
// disk. Each case once lost or exposed data.

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>

#include "folder/rutas.h"
#include "operations/bajo_nivel_con_fallos.h"
#include "operations/rutas_operacion.h"
#include "operations/tareas_fixture.h"
#include "support/hijo_matado.h"

namespace quirvex {
namespace {

namespace fs = std::filesystem;
using prueba::BajoNivelConFallos;
using prueba::Contenido;
using prueba::LeerTodo;

mode_t Modo(const std::string& ruta) {
    struct stat st {};
    lstat(ruta.c_str(), &st);
    return st.st_mode & 07777;
}

class DestinoTest : public prueba::TareasTest {
protected:
    void PrepararFuera() {
        for (int k = 1; k <= 5; ++k) {
            tmp.ArchivoConTexto("tree/sub/f" + std::to_string(k), Contenido(6000, static_cast<unsigned>(k)));
            tmp.ArchivoConTexto("outside/f" + std::to_string(k), "precious");
        }
        chmod(tmp.Ruta("outside").c_str(), 0700);
    }
    void FueraIntacto() {
        EXPECT_EQ(Modo(tmp.Ruta("outside")), 0700u);
        EXPECT_EQ(std::distance(fs::directory_iterator(tmp.Ruta("outside")), fs::directory_iterator()), 5);
        for (int k = 1; k <= 5; ++k)
            EXPECT_EQ(LeerTodo(tmp.Ruta("outside/f" + std::to_string(k))), "precious") << k;
    }
};

// --- target folders swapped for links -------------------------------------------------------

// Inside the subfolder the copy just made, after its first chunk, the subfolder is renamed away
// and a link to a private folder outside takes its name: the copy goes on into the folder it
// made, wherever that now is, and writes nothing through the link.
TEST_F(DestinoTest, ATargetSubfolderSwappedForALinkIsNeverWrittenThrough) {
    PrepararFuera();
    for (const bool mover : {false, true}) {
        SCOPED_TRACE(mover ? "move" : "copy");
        const std::string dst = tmp.Carpeta(mover ? "dstm" : "dstc");
        t.SetTamanoTramo(4096);
        t.SetCeder([&, n = 0]() mutable {
            if (++n != 2) return;
            fs::rename(dst + "/tree/sub", dst + "/moved");
            fs::create_directory_symlink(tmp.Ruta("outside"), dst + "/tree/sub");
        });
        BajoNivelConFallos fallos;
        fallos.renombrarOtroDispositivo = mover;
        const auto i = Ejecutar(mover ? TIPO_MOVER : TIPO_COPIAR, dst, {tmp.Ruta("tree")});
        FueraIntacto();
        EXPECT_EQ(Op(i).Estado, ESTADO_TERMINADA);
        for (int k = 1; k <= 5; ++k)
            EXPECT_EQ(LeerTodo(dst + "/moved/f" + std::to_string(k)), Contenido(6000, static_cast<unsigned>(k))) << k;
        if (mover) {
            EXPECT_FALSE(Existe(tmp.Ruta("tree")));
        }
    }
}

// A link planted at the name of a folder the copy is about to make (or one already there when a
// tree is copied onto an older copy): that item fails with a log line, the rest goes on.
TEST_F(DestinoTest, ALinkWhereTheCopyExpectsItsOwnFolderFailsThatItemWithALogLine) {
    PrepararFuera();
    tmp.ArchivoConTexto("tree/other", "O");
    BajoNivelConFallos fallos;
    fallos.antesDeCrearCarpeta = [&](const std::string& nombre) {
        if (nombre == "sub" && !Existe(tmp.Ruta("dst/tree/sub")))
            fs::create_directory_symlink(tmp.Ruta("outside"), tmp.Ruta("dst/tree/sub"));
    };
    const auto i = Ejecutar(TIPO_COPIAR, tmp.Carpeta("dst"), {tmp.Ruta("tree")});
    FueraIntacto();
    EXPECT_EQ(LeerTodo(tmp.Ruta("dst/tree/other")), "O");
    ASSERT_EQ(Op(i).Log.size(), 1u);
    EXPECT_EQ(Op(i).Log[0].rfind("Failed trying copy \"" + tmp.Ruta("tree/sub") + "\": ", 0), 0u) << Op(i).Log[0];

    // Onto an older copy whose subfolder is a link by now.
    fallos.antesDeCrearCarpeta = nullptr;
    fs::remove(tmp.Ruta("dst/tree/other"));
    const auto j = t.AgregarOperacion(TIPO_MOVER, "", "", {});
    fallos.renombrarOtroDispositivo = true;
    t.CopiarCarpeta(j, tmp.Ruta("tree"), tmp.Ruta("dst/tree"), true);
    FueraIntacto();
    ASSERT_EQ(Op(j).Log.size(), 1u);
    EXPECT_EQ(LeerTodo(tmp.Ruta("tree/sub/f1")), Contenido(6000, 1));  // a move keeps what it could not copy
}

// --- names taken while the copy runs --------------------------------------------------------

TEST_F(DestinoTest, AFileSavedUnderTheChosenNameDuringTheCopyIsKept) {
    t.SetTamanoTramo(4096);
    const std::string datos = Contenido(10000);
    const std::string origen = tmp.ArchivoConTexto("src/report.txt", datos);
    for (const bool sinNombre : {false, true}) {
        SCOPED_TRACE(sinNombre ? "hidden name" : "unnamed");
        BajoNivelConFallos fallos;
        fallos.sinArchivoSinNombre = sinNombre;
        const std::string dst = SinBarraFinal(tmp.Carpeta(sinNombre ? "dst2" : "dst1"));
        t.SetCeder([&, n = 0]() mutable {
            if (++n == 2) std::ofstream(dst + "/report.txt") << "saved by another program";
        });
        const auto i = Ejecutar(TIPO_COPIAR, dst, {origen});
        EXPECT_EQ(LeerTodo(dst + "/report.txt"), "saved by another program");
        EXPECT_EQ(LeerTodo(dst + "/report (1).txt"), datos);
        ASSERT_EQ(Op(i).Log.size(), 1u);
        EXPECT_EQ(Op(i).Log[0], "The name was taken, so it was written as: " + dst + "/report (1).txt");
        EXPECT_EQ(std::distance(fs::directory_iterator(dst), fs::directory_iterator()), 2);
    }
}

// A move within one file system renames at once; a name taken right after the engine looked
// sends the item to a free name instead of replacing what is there.
TEST_F(DestinoTest, AMoveWithinADriveNeverRenamesOverANameTakenAfterTheCheck) {
    const std::string archivo = tmp.ArchivoConTexto("src/m.txt", "move me");
    tmp.ArchivoConTexto("src/Tree/x", "X");
    const std::string dst = SinBarraFinal(tmp.Carpeta("dst"));
    class Plantador : public BajoNivelConFallos {
    public:
        InfoNodo Consultar(const std::string& r) override {
            InfoNodo info = BajoNivelConFallos::Consultar(r);
            // After the engine's last look at the name before it moves the item there.
            if (const auto p = plantar.find(r); p != plantar.end() && --p->second == 0) std::ofstream(r) << "theirs";
            return info;
        }
        std::map<std::string, int> plantar;
    } fallos;
    fallos.plantar = {{dst + "/m.txt", 1}, {dst + "/Tree", 2}};
    const auto i = Ejecutar(TIPO_MOVER, dst, {archivo, tmp.Ruta("src/Tree")});
    EXPECT_EQ(LeerTodo(dst + "/m.txt"), "theirs");
    EXPECT_EQ(LeerTodo(dst + "/Tree"), "theirs");
    EXPECT_EQ(LeerTodo(dst + "/m (1).txt"), "move me");
    EXPECT_EQ(LeerTodo(dst + "/Tree (1)/x"), "X");
    EXPECT_EQ(Op(i).Log, (std::vector<std::string>{"The name was taken, so it was written as: " + dst + "/m (1).txt",
                                                     "The name was taken, so it was written as: " + dst + "/Tree (1)"}));
}

TEST_F(DestinoTest, AHiddenTemporaryNameAlreadyTakenIsSkippedNotReused) {
    BajoNivelConFallos fallos;
    fallos.sinArchivoSinNombre = true;
    t.SetTamanoTramo(4096);
    tmp.ArchivoConTexto("src/t/f", Contenido(10000));
    for (int k = 1; k <= 3; ++k) tmp.ArchivoConTexto("dst/t/.quirvex-part-" + std::to_string(k), "someone's " + std::to_string(k));
    const auto i = t.AgregarOperacion(TIPO_COPIAR, "", "", {});
    EXPECT_EQ(t.CopiarCarpeta(i, tmp.Ruta("src/t"), tmp.Ruta("dst/t"), false), 10000);
    EXPECT_EQ(t.TextoErrores(i), "(Sin errores)");
    EXPECT_EQ(LeerTodo(tmp.Ruta("dst/t/f")), Contenido(10000));
    for (int k = 1; k <= 3; ++k)
        EXPECT_EQ(LeerTodo(tmp.Ruta("dst/t/.quirvex-part-" + std::to_string(k))), "someone's " + std::to_string(k));
    EXPECT_EQ(std::distance(fs::directory_iterator(tmp.Ruta("dst/t")), fs::directory_iterator()), 4);
}

// --- private while copied -------------------------------------------------------------------

TEST_F(DestinoTest, FilesAndFoldersStayPrivateUntilTheyAreComplete) {
    BajoNivelConFallos fallos;
    fallos.sinArchivoSinNombre = true;  // so the file being written has a name to look at
    t.SetTamanoTramo(4096);
    tmp.ArchivoConTexto("src/Open/inner/secret", Contenido(10000));
    chmod(tmp.Ruta("src/Open/inner/secret").c_str(), 0644);
    chmod(tmp.Ruta("src/Open/inner").c_str(), 0755);
    const std::string dst = tmp.Carpeta("dst");
    std::vector<mode_t> vistos;
    t.SetCeder([&, n = 0]() mutable {
        if (++n != 2) return;
        vistos.push_back(Modo(dst + "/Open"));
        vistos.push_back(Modo(dst + "/Open/inner"));
        for (const auto& e : fs::directory_iterator(dst + "/Open/inner")) vistos.push_back(Modo(e.path().string()));
    });
    const auto i = Ejecutar(TIPO_COPIAR, dst, {tmp.Ruta("src/Open")});
    EXPECT_EQ(t.TextoErrores(i), "(Sin errores)");
    EXPECT_EQ(vistos, (std::vector<mode_t>{0700, 0700, 0600}));
    EXPECT_EQ(Modo(dst + "/Open/inner"), 0755u);
    EXPECT_EQ(Modo(dst + "/Open/inner/secret"), 0644u);

    // Canceled half-way: what was not finished stays private.
    t.SetCeder([&, n = 0]() mutable {
        if (++n == 2) t.CancelarOperacion(t.UltimoIndice());
    });
    const auto j = Ejecutar(TIPO_COPIAR, tmp.Carpeta("dst2"), {tmp.Ruta("src/Open")});
    EXPECT_EQ(Op(j).Estado, ESTADO_CANCELADA);
    EXPECT_EQ(Modo(tmp.Ruta("dst2/Open/inner")), 0700u);
    EXPECT_TRUE(fs::is_empty(tmp.Ruta("dst2/Open/inner")));
}

// --- kills at any moment --------------------------------------------------------------------

// A tree of small files and of files of a few chunks, copied and moved to another drive by a
// child killed at random moments: every name in the target holds a whole file (or is a hidden
// temporary one), and every file of a move is whole on one side at least.
TEST_F(DestinoTest, KillsAtRandomMomentsNeverLeaveACutFileUnderItsName) {
    constexpr int kArchivos = 12;
    const auto datos = [](int k) { return Contenido(k % 2 ? 40000 : 50 + 300 * static_cast<std::size_t>(k), static_cast<unsigned>(k + 1)); };
    const unsigned semilla = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(semilla));
    std::mt19937 azar(semilla);
    int muertos = 0;
    for (int ronda = 0; ronda < 16; ++ronda) {
        const bool mover = ronda % 2 == 1;
        const std::string nombre = "r" + std::to_string(ronda);
        for (int k = 0; k < kArchivos; ++k)
            tmp.ArchivoConTexto(nombre + "/src/t/" + (k % 3 ? "" : "sub/") + "f" + std::to_string(k), datos(k));
        const std::string origen = tmp.Ruta(nombre + "/src/t");
        const std::string destino = tmp.Carpeta(nombre + "/dst");
        int tubo[2];
        ASSERT_EQ(pipe(tubo), 0);
        const pid_t hijo = fork();
        ASSERT_GE(hijo, 0);
        if (hijo == 0) {
            BajoNivelConFallos fallos;
            fallos.renombrarOtroDispositivo = mover;
            t.SetTamanoTramo(16 * 1024);
            t.SetCeder([&, n = 0]() mutable {
                if (++n == 2) prueba::AvisarListo(tubo);
                usleep(200);
            });
            Ejecutar(mover ? TIPO_MOVER : TIPO_COPIAR, destino, {origen});
            _exit(0);
        }
        if (prueba::MatarTrasAviso(hijo, tubo, 15000, azar)) ++muertos;
        for (int k = 0; k < kArchivos; ++k) {
            const std::string relativa = std::string("/t/") + (k % 3 ? "" : "sub/") + "f" + std::to_string(k);
            const bool enDestino = Existe(destino + relativa), enOrigen = Existe(tmp.Ruta(nombre + "/src") + relativa);
            if (enDestino) {
                EXPECT_EQ(LeerTodo(destino + relativa), datos(k)) << "round " << ronda << relativa;
            }
            if (enOrigen) {
                EXPECT_EQ(LeerTodo(tmp.Ruta(nombre + "/src") + relativa), datos(k));
            }
            EXPECT_TRUE(!mover || enDestino || enOrigen) << "round " << ronda << ": " << relativa << " lost";
        }
        if (Existe(destino + "/t"))
            for (const auto& e : fs::recursive_directory_iterator(destino + "/t")) {
                const std::string n = e.path().filename().string();
                EXPECT_TRUE(n == "sub" || n[0] == 'f' || n.rfind(".quirvex-part-", 0) == 0) << n;
            }
    }
    EXPECT_GT(muertos, 0);
}

// --- durability -----------------------------------------------------------------------------

class VistaConPasos : public prueba::VistaGrabada {
public:
    void DibujarOperacion(std::int64_t i) override { pasos.push_back(tareas->Operaciones()[static_cast<std::size_t>(i)].Actual); }
    std::vector<std::string> pasos;
};

TEST_F(DestinoTest, ACopySyncsTheDiskOnceAtItsEndAsItsLastStepAndNeverPerFile) {
    VistaConPasos pasos;
    pasos.tareas = &t;
    t.SetVista(&pasos);
    t.SetTamanoTramo(4096);
    tmp.ArchivoConTexto("src/T/big", Contenido(20000));
    tmp.ArchivoConTexto("src/T/a/small", "s");
    const std::string suelto = tmp.ArchivoConTexto("src/loose", Contenido(9000));
    BajoNivelConFallos fallos;
    const auto i = Ejecutar(TIPO_COPIAR, tmp.Carpeta("dst"), {tmp.Ruta("src/T"), suelto});
    EXPECT_EQ(t.TextoErrores(i), "(Sin errores)");
    EXPECT_EQ(fallos.llamadasSincronizar, 0);
    EXPECT_EQ(fallos.llamadasSincronizarSistema, 1);
    ASSERT_FALSE(pasos.pasos.empty());
    EXPECT_EQ(pasos.pasos.back(), "Writing to disk...");
    EXPECT_EQ(LeerTodo(tmp.Ruta("dst/T/big")), Contenido(20000));
    t.SetVista(nullptr);
}

// A move across drives deletes the sources of a folder only after the target's file system was
// synchronised, one synchronisation per folder.
TEST_F(DestinoTest, AMoveSyncsEachFolderBeforeDeletingItsSources) {
    for (const std::string r : {"T/a", "T/b", "T/sub/c", "T/sub/d"}) tmp.ArchivoConTexto("src/" + r, r);
    BajoNivelConFallos fallos;
    fallos.renombrarOtroDispositivo = true;
    std::vector<int> fuentesAlSincronizar;
    fallos.alSincronizarSistema = [&] {
        int n = 0;
        for (const std::string r : {"T/a", "T/b", "T/sub/c", "T/sub/d"}) n += Existe(tmp.Ruta("src/" + r));
        fuentesAlSincronizar.push_back(n);
    };
    const auto i = Ejecutar(TIPO_MOVER, tmp.Carpeta("dst"), {tmp.Ruta("src/T")});
    EXPECT_EQ(t.TextoErrores(i), "(Sin errores)");
    EXPECT_EQ(fallos.llamadasSincronizar, 0);
    EXPECT_EQ(fuentesAlSincronizar, (std::vector<int>{4, 2}));  // sub first, then T
    EXPECT_FALSE(Existe(tmp.Ruta("src/T")));
    EXPECT_EQ(LeerTodo(tmp.Ruta("dst/T/sub/d")), "T/sub/d");
}

// --- reports --------------------------------------------------------------------------------

TEST_F(DestinoTest, ALongestNameThatIsTakenGetsAShortenedFreeName) {
    // 255 bytes, with a two-byte character where the stem has to be cut.
    const std::string largo = std::string(247, 'n') + "ñ" + "nnn.gz";
    ASSERT_EQ(largo.size(), LARGO_MAXIMO_NOMBRE);
    const std::string origen = tmp.ArchivoConTexto("src/" + largo, "new");
    tmp.ArchivoConTexto("dst/" + largo, "old");
    const auto i = Ejecutar(TIPO_COPIAR, tmp.Carpeta("dst"), {origen});
    EXPECT_EQ(t.TextoErrores(i), "(Sin errores)");
    const std::string esperado = std::string(247, 'n') + " (1).gz";
    EXPECT_EQ(LeerTodo(tmp.Ruta("dst/" + esperado)), "new");
    EXPECT_EQ(LeerTodo(tmp.Ruta("dst/" + largo)), "old");
}

}  // namespace
}  // namespace quirvex
