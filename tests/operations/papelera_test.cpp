// The trash against what the desktop's own tools read: items moved by the queue into a private
// home trash (a temporary XDG_DATA_HOME) and into a volume's .Trash-$uid, listed back by
// `gio trash --list` where the machine can run it, and restored by an undo.

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>

#include "operations/operaciones_extra.h"
#include "operations/tareas_fixture.h"
#include "folder/rutas.h"
#include "platform/papelera.h"
#include "support/fakes.h"

namespace quirvex::prueba {
namespace {

namespace fs = std::filesystem;

// Runs a command line, returning its standard output (empty when it could not run).
std::string Salida(const std::string& orden, int* estado = nullptr) {
    std::string r;
    if (FILE* p = ::popen(orden.c_str(), "r")) {
        char b[4096];
        size_t n;
        while ((n = std::fread(b, 1, sizeof b, p)) > 0) r.append(b, n);
        const int e = ::pclose(p);
        if (estado) *estado = e;
    }
    return r;
}

// `gio trash --list` with a private session bus (the trash backend is a session service):
// original path → trash URI, for every item the desktop sees in its trashes.
std::map<std::string, std::string> ListaGio(const std::string& datos, const std::string& runtime) {
    const std::string orden = "env XDG_DATA_HOME='" + datos + "' XDG_RUNTIME_DIR='" + runtime +
                              "' timeout 60 dbus-run-session -- gio trash --list 2>/dev/null";
    std::map<std::string, std::string> r;
    std::string linea;
    for (char c : Salida(orden)) {
        if (c != '\n') {
            linea.push_back(c);
            continue;
        }
        const auto tab = linea.find('\t');
        if (tab != std::string::npos) r[linea.substr(tab + 1)] = linea.substr(0, tab);
        linea.clear();
    }
    return r;
}

bool GioDisponible() {
    return std::system("command -v gio >/dev/null 2>&1 && command -v dbus-run-session >/dev/null 2>&1 && "
                       "test -x /usr/libexec/gvfsd-trash") == 0;
}

std::map<std::string, std::string> LeerInfo(const std::string& ruta) {
    std::map<std::string, std::string> r;
    std::string linea;
    for (char c : LeerTodo(ruta) + "\n") {
        if (c != '\n') {
            linea.push_back(c);
            continue;
        }
        const auto igual = linea.find('=');
        if (igual != std::string::npos) r[linea.substr(0, igual)] = linea.substr(igual + 1);
        else if (!linea.empty()) r[linea] = "";
        linea.clear();
    }
    return r;
}

class PapeleraTest : public TareasTest {
protected:
    void SetUp() override {
        TareasTest::SetUp();
        InstalarOperacionesExtra(t);
        datos_ = tmp.Carpeta("datos");
        runtime_ = tmp.Carpeta("runtime");
        ::chmod(runtime_.c_str(), 0700);
        if (const char* p = std::getenv("XDG_DATA_HOME")) previo_ = p;
        ::setenv("XDG_DATA_HOME", SinBarra(datos_).c_str(), 1);
    }
    void TearDown() override {
        if (previo_) ::setenv("XDG_DATA_HOME", previo_->c_str(), 1);
        else ::unsetenv("XDG_DATA_HOME");
        TareasTest::TearDown();
    }
    static std::string SinBarra(std::string s) {
        while (s.size() > 1 && s.back() == '/') s.pop_back();
        return s;
    }
    std::string Casa() const { return SinBarra(datos_) + "/Trash"; }

    std::string datos_, runtime_;
    std::optional<std::string> previo_;
};

TEST_F(PapeleraTest, TheHomeTrashHoldsTheItemsWithRecordsTheDesktopReads) {
    const std::string a = tmp.ArchivoConTexto("w/informe 100%.txt", "A");
    const std::string carpeta = SinBarra(tmp.Carpeta("w/fotos"));
    tmp.ArchivoConTexto("w/fotos/uno.jpg", "1");
    const std::string otra = tmp.ArchivoConTexto("w/otra/informe 100%.txt", "B");  // the same name again
    const std::int64_t i = t.AgregarOperacion(TIPO_PAPELERA, tmp.Ruta("w/"), "", {a, carpeta + "/", otra});
    t.tIni_Timer();
    ASSERT_EQ(Op(i).Estado, ESTADO_TERMINADA);
    EXPECT_EQ(Op(i).NumErrores, 0) << t.TextoErrores(i);
    EXPECT_FALSE(Existe(a));
    EXPECT_FALSE(Existe(carpeta));
    EXPECT_FALSE(Existe(otra));
    ASSERT_EQ(Op(i).Hechos.size(), 3u);
    // Two items of one name keep two names in the trash, each with its own record.
    EXPECT_NE(Op(i).Hechos[0].destino, Op(i).Hechos[2].destino);
    EXPECT_EQ(LeerTodo(Casa() + "/files/fotos/uno.jpg"), "1");
    const auto info = LeerInfo(Op(i).Hechos[0].info);
    EXPECT_TRUE(info.count("[Trash Info]"));
    EXPECT_EQ(info.at("Path"), CodificarRutaTrash(a));
    EXPECT_NE(info.at("Path").find("informe%20100%25.txt"), std::string::npos);
    EXPECT_EQ(info.at("DeletionDate").size(), 19u);  // YYYY-MM-DDThh:mm:ss
    EXPECT_EQ(std::count(oyente.avisos.begin(), oyente.avisos.end(),
                         AgregarBarra(CarpetaDe(a)) + "|informe 100%.txt|A|Deleted"), 1);
    if (!GioDisponible()) GTEST_SKIP() << "gio or the session trash service (gvfs) is missing";
    const auto gio = ListaGio(SinBarra(datos_), runtime_);
    EXPECT_TRUE(gio.count(a));
    EXPECT_TRUE(gio.count(carpeta));
    EXPECT_TRUE(gio.count(otra));
}

TEST_F(PapeleraTest, AnUndoPutsTrashedItemsBackUnlessTheirPlaceWasTaken) {
    const std::string a = tmp.ArchivoConTexto("w/a.txt", "A");
    const std::string b = tmp.ArchivoConTexto("w/b.txt", "B");
    const std::int64_t i = t.AgregarOperacion(TIPO_PAPELERA, tmp.Ruta("w/"), "", {a, b});
    t.tIni_Timer();
    ASSERT_EQ(Op(i).Hechos.size(), 2u);
    tmp.ArchivoConTexto("w/b.txt", "new B");  // someone made another b.txt meanwhile
    DialogosGrabados dialogos;
    const std::int64_t u = DeshacerOperacion(i, t);
    ASSERT_GT(u, i);
    EXPECT_TRUE(dialogos.mensajes.empty());  // a trash is undone without a question
    t.tIni_Timer();
    EXPECT_EQ(Op(u).Estado, ESTADO_TERMINADA);
    EXPECT_EQ(LeerTodo(a), "A");
    EXPECT_EQ(LeerTodo(b), "new B");
    EXPECT_FALSE(Existe(Op(i).Hechos[0].info));  // a restored item's record goes with it
    EXPECT_TRUE(Existe(Op(i).Hechos[1].destino));
    EXPECT_TRUE(Existe(Op(i).Hechos[1].info));
    EXPECT_EQ(Op(u).NumErrores, 1);
    EXPECT_NE(t.TextoErrores(u).find(Op(i).Hechos[1].destino), std::string::npos);
    // Once only.
    EXPECT_EQ(DeshacerOperacion(i, t), -1);
    EXPECT_EQ(dialogos.mensajes, (std::vector<std::string>{"Already undone."}));
}

// What cannot go to a trash is asked about, and only a yes deletes it for good.
class PapeleraFalsa final : public Papelera {
public:
    PapeleraFalsa() { SetPapelera(this); }
    ~PapeleraFalsa() override { SetPapelera(nullptr); }
    bool Disponible(const std::string& r) override { return r.find("notrash") == std::string::npos; }
    int Mover(const std::string& r, ElementoPapelera& e) override {
        movidos.push_back(r);
        e = {r, r, ""};
        return 0;
    }
    int Restaurar(const ElementoPapelera&) override { return 0; }
    std::vector<std::string> movidos;
};

TEST_F(PapeleraTest, ItemsWithoutATrashAreDeletedForGoodOnlyAfterAYes) {
    PapeleraFalsa falsa;
    const std::string si = tmp.ArchivoConTexto("w/si.txt", "1");
    const std::string no = tmp.ArchivoConTexto("w/notrash.txt", "2");
    {
        DialogosGrabados dialogos(Respuesta::No);
        const std::int64_t k = EnviarAPapelera(tmp.Ruta("w/"), {si, no}, t);
        ASSERT_EQ(k, 0);
        EXPECT_EQ(Op(0).Tipo, TIPO_PAPELERA);
        EXPECT_EQ(Op(0).Lista, (std::vector<std::string>{si}));
        ASSERT_EQ(dialogos.mensajes.size(), 1u);
        EXPECT_NE(dialogos.mensajes[0].find(no), std::string::npos);
        EXPECT_EQ(t.UltimoIndice(), 0);
    }
    DialogosGrabados dialogos(Respuesta::Si);
    EXPECT_EQ(EnviarAPapelera(tmp.Ruta("w/"), {no}, t), 1);
    EXPECT_EQ(Op(1).Tipo, TIPO_BORRAR);
    t.tIni_Timer();
    EXPECT_EQ(falsa.movidos, (std::vector<std::string>{si}));
    EXPECT_FALSE(Existe(no));
    EXPECT_TRUE(Existe(si));  // the fake moved nothing on disk
    // A permanent delete says it cannot be undone and queues nothing.
    EXPECT_EQ(DeshacerOperacion(1, t), -1);
    EXPECT_EQ(dialogos.mensajes.back(), "A permanent delete can't be undone.");
}

// A volume other than the home one: a tmpfs (and, for the desktop's own listing, which leaves
// tmpfs out as a system volume, an ext2 image) with a .Trash-$uid folder.
class PapeleraVolumenTest : public PapeleraTest {
protected:
    bool Montar(const std::string& donde, const std::string& tipo) {
        if (::geteuid() != 0) return false;
        if (tipo == "tmpfs") return ::mount("tmpfs", donde.c_str(), "tmpfs", 0, "size=4m") == 0;
        const std::string imagen = tmp.Ruta("vol.img");
        const std::string orden = "truncate -s 8M '" + imagen + "' && mkfs.ext2 -q -F '" + imagen +
                                  "' >/dev/null 2>&1 && mount -o loop '" + imagen + "' '" + donde + "' 2>/dev/null";
        return std::system(orden.c_str()) == 0;
    }
    void TearDown() override {
        for (const std::string& m : montados_) ::umount2(m.c_str(), MNT_DETACH);
        PapeleraTest::TearDown();
    }
    std::vector<std::string> montados_;
};

TEST_F(PapeleraVolumenTest, OnATmpfsItemsGoToItsTrashUidFolderWithPathsFromItsTop) {
    const std::string vol = SinBarra(tmp.Carpeta("vol"));
    if (!Montar(vol, "tmpfs")) GTEST_SKIP() << "cannot mount a tmpfs here (needs root and CAP_SYS_ADMIN)";
    montados_.push_back(vol);
    const std::string uid = std::to_string(::getuid());
    ASSERT_EQ(::mkdir((vol + "/.Trash-" + uid).c_str(), 0700), 0);
    ::mkdir((vol + "/sub").c_str(), 0755);
    const std::string a = vol + "/sub/á b.txt";
    { std::ofstream(a) << "A"; }
    const std::int64_t i = t.AgregarOperacion(TIPO_PAPELERA, vol + "/sub/", "", {a});
    t.tIni_Timer();
    ASSERT_EQ(Op(i).NumErrores, 0) << t.TextoErrores(i);
    ASSERT_EQ(Op(i).Hechos.size(), 1u);
    const std::string papelera = vol + "/.Trash-" + uid;
    EXPECT_EQ(Op(i).Hechos[0].destino, papelera + "/files/á b.txt");
    EXPECT_EQ(LeerTodo(papelera + "/files/á b.txt"), "A");
    EXPECT_EQ(LeerInfo(papelera + "/info/á b.txt.trashinfo").at("Path"), "sub/%C3%A1%20b.txt");
    EXPECT_FALSE(fs::exists(Casa() + "/files/á b.txt"));
    DialogosGrabados dialogos;
    const std::int64_t u = DeshacerOperacion(i, t);
    t.tIni_Timer();
    EXPECT_EQ(Op(u).NumErrores, 0) << t.TextoErrores(u);
    EXPECT_EQ(LeerTodo(a), "A");
}

TEST_F(PapeleraVolumenTest, OnAnotherDiskVolumeTheDesktopListsWhatWentToItsTrash) {
    if (!GioDisponible()) GTEST_SKIP() << "gio or the session trash service (gvfs) is missing";
    const std::string vol = SinBarra(tmp.Carpeta("disco"));
    if (!Montar(vol, "ext2")) GTEST_SKIP() << "cannot mount a loop ext2 image here (needs root and loop devices)";
    montados_.push_back(vol);
    const std::string uid = std::to_string(::getuid());
    ASSERT_EQ(::mkdir((vol + "/.Trash-" + uid).c_str(), 0700), 0);
    const std::string a = vol + "/informe.txt";
    { std::ofstream(a) << "A"; }
    const std::int64_t i = t.AgregarOperacion(TIPO_PAPELERA, vol + "/", "", {a});
    t.tIni_Timer();
    ASSERT_EQ(Op(i).NumErrores, 0) << t.TextoErrores(i);
    EXPECT_TRUE(fs::exists(vol + "/.Trash-" + uid + "/files/informe.txt"));
    const auto gio = ListaGio(SinBarra(datos_), runtime_);
    EXPECT_TRUE(gio.count(a)) << "gio listed " << gio.size() << " items";
}

}  // namespace
}  // namespace quirvex::prueba
