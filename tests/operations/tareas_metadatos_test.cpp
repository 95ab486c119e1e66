// What a copy and a move keep besides the data, on real folders: extended attributes and ACLs
// (set and read with the system's own setfattr/setfacl/getfacl), owner and group, setuid and
// setgid only with them, access times, hard links inside the tree, fifos and device nodes; and
// what cannot be kept (a socket, an owner) is a log line, never silent.

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>

#include "operations/bajo_nivel_con_fallos.h"
#include "operations/tareas_fixture.h"

namespace quirvex {
namespace {

namespace fs = std::filesystem;
using prueba::BajoNivelConFallos;
using prueba::LeerTodo;

struct stat Estado(const std::string& ruta) {
    struct stat st {};
    lstat(ruta.c_str(), &st);
    return st;
}

// The output of a shell command, or nullopt when it failed.
std::optional<std::string> Salida(const std::string& orden) {
    std::unique_ptr<FILE, int (*)(FILE*)> f(popen((orden + " 2>/dev/null").c_str(), "r"), pclose);
    if (!f) return std::nullopt;
    std::string texto;
    std::array<char, 4096> b{};
    for (std::size_t n; (n = fread(b.data(), 1, b.size(), f.get())) > 0;) texto.append(b.data(), n);
    if (pclose(f.release()) != 0) return std::nullopt;
    return texto;
}

std::string Citado(const std::string& ruta) { return "'" + ruta + "'"; }

class MetadatosTest : public prueba::TareasTest {
protected:
    // Runs a copy and a move across drives of the same source, made twice by `hacer`.
    template <typename F>
    std::pair<std::int64_t, std::int64_t> CopiarYMover(const std::string& nombre, F hacer) {
        hacer(tmp.Ruta("a/" + nombre));
        hacer(tmp.Ruta("b/" + nombre));
        const auto c = Ejecutar(TIPO_COPIAR, tmp.Carpeta("copied"), {tmp.Ruta("a/" + nombre)});
        BajoNivelConFallos fallos;
        fallos.renombrarOtroDispositivo = true;
        const auto m = Ejecutar(TIPO_MOVER, tmp.Carpeta("moved"), {tmp.Ruta("b/" + nombre)});
        return {c, m};
    }
};

TEST_F(MetadatosTest, ExtendedAttributesAndAclsAreKeptByCopiesAndMoves) {
    if (!Salida("command -v setfattr && command -v setfacl")) GTEST_SKIP() << "setfattr/setfacl missing (Debian attr, acl)";
    std::string esperado;
    const auto [c, m] = CopiarYMover("Box", [&](const std::string& box) {
        tmp.ArchivoConTexto(box.substr(tmp.Ruta().size()) + "/doc", "d");
        const std::string doc = Citado(box + "/doc");
        ASSERT_TRUE(Salida("setfattr -n user.origin -v camera " + doc + " && setfattr -n user.empty " + doc +
                           " && setfacl -m u:4242:rw-,g:4343:r-- " + doc + " && setfacl -d -m u:4242:rwx " + Citado(box) +
                           " && setfattr -n user.box -v 1 " + Citado(box)));
        esperado = *Salida("cd " + Citado(box) + " && getfattr -d -m - . doc && getfacl -p . doc");
    });
    for (const std::string base : {"copied", "moved"}) {
        EXPECT_EQ(Salida("cd " + Citado(tmp.Ruta(base + "/Box")) + " && getfattr -d -m - . doc && getfacl -p . doc"), esperado)
            << base;
    }
    EXPECT_EQ(t.TextoErrores(c), "(Sin errores)");
    EXPECT_EQ(t.TextoErrores(m), "(Sin errores)");
}

TEST_F(MetadatosTest, OwnerGroupAndAccessTimesAreKept) {
    if (geteuid() != 0) GTEST_SKIP() << "giving files to another owner needs root";
    const auto [c, m] = CopiarYMover("Own", [&](const std::string& carpeta) {
        const std::string f = tmp.ArchivoConTexto(carpeta.substr(tmp.Ruta().size()) + "/f", "x");
        fs::create_symlink("f", carpeta + "/l");
        ASSERT_EQ(chown(f.c_str(), 4242, 4343), 0);
        ASSERT_EQ(chmod(f.c_str(), 06750), 0);  // chown cleared them; with the owner kept they stay
        ASSERT_EQ(lchown((carpeta + "/l").c_str(), 4244, 4345), 0);
        ASSERT_EQ(chown(carpeta.c_str(), 4242, 4343), 0);
        const struct timespec tiempos[2] = {{1000000000, 5}, {1100000000, 7}};
        ASSERT_EQ(utimensat(AT_FDCWD, f.c_str(), tiempos, 0), 0);
    });
    for (const std::string base : {"copied/Own", "moved/Own"}) {
        const struct stat f = Estado(tmp.Ruta(base + "/f")), l = Estado(tmp.Ruta(base + "/l")),
                          d = Estado(tmp.Ruta(base));
        EXPECT_EQ(f.st_uid, 4242u) << base;
        EXPECT_EQ(f.st_gid, 4343u) << base;
        EXPECT_EQ(f.st_mode & 07777, 06750u) << base;
        EXPECT_EQ(f.st_atim.tv_sec, 1000000000) << base;
        EXPECT_EQ(f.st_atim.tv_nsec, 5) << base;
        EXPECT_EQ(f.st_mtim.tv_sec, 1100000000) << base;
        EXPECT_EQ(l.st_uid, 4244u) << base;
        EXPECT_EQ(l.st_gid, 4345u) << base;
        EXPECT_EQ(d.st_uid, 4242u) << base;
    }
    EXPECT_EQ(t.TextoErrores(c), "(Sin errores)");
    EXPECT_EQ(t.TextoErrores(m), "(Sin errores)");
}

// A copy whose group cannot be the source's must not keep setgid (nor setuid without the
// owner): the bits would hand the source's privileges to whoever owns the copy.
TEST_F(MetadatosTest, SetgidIsDroppedWhenTheGroupIsNotKept) {
    const std::string destino = tmp.ArchivoConTexto("target", "t");
    const int fd = open(destino.c_str(), O_RDWR);
    ASSERT_GE(fd, 0);
    const struct stat actual = Estado(destino);
    InfoNodo origen;
    origen.tipo = TipoNodo::Archivo;
    origen.permisos = 02755;
    origen.propietario = actual.st_uid;
    origen.grupo = actual.st_gid + 1;
    InfoNodo ahora;
    ahora.permisos = actual.st_mode & 07777;
    ahora.propietario = actual.st_uid;
    ahora.grupo = actual.st_gid;
    EXPECT_EQ(BajoNivel().CopiarMetadatos(origen, fd, ahora), 0);
    EXPECT_EQ(Estado(destino).st_mode & 07777, 0755u);
    origen.grupo = actual.st_gid;
    origen.propietario = actual.st_uid + 1;
    origen.permisos = 06755;
    EXPECT_EQ(BajoNivel().CopiarMetadatos(origen, fd, ahora), 0);
    EXPECT_EQ(Estado(destino).st_mode & 07777, 0755u);
    origen.propietario = actual.st_uid;
    EXPECT_EQ(BajoNivel().CopiarMetadatos(origen, fd, ahora), 0);
    EXPECT_EQ(Estado(destino).st_mode & 07777, 06755u);
    close(fd);
}

// The same through the engine, where the system refuses the group: the copy has no setgid and
// the log names the file and the group; a move also says the owner was not kept.
TEST_F(MetadatosTest, AnOwnerOrGroupThatCannotBeKeptIsALogLine) {
    if (geteuid() != 0) GTEST_SKIP() << "a source of another owner needs root to be made";
    BajoNivelConFallos fallos;
    fallos.errorPropietario = EPERM;
    const std::string f = tmp.ArchivoConTexto("src/tool", "t");
    ASSERT_EQ(chown(f.c_str(), 4242, 4343), 0);
    ASSERT_EQ(chmod(f.c_str(), 02755), 0);
    const auto c = Ejecutar(TIPO_COPIAR, tmp.Carpeta("dst"), {f});
    EXPECT_EQ(Estado(tmp.Ruta("dst/tool")).st_mode & 07777, 0755u);
    EXPECT_EQ(Op(c).Log, (std::vector<std::string>{
                             "Failed trying copy \"" + f + "\": Not kept: group - Operation not permitted (1)"}));
    fallos.renombrarOtroDispositivo = true;
    const auto m = Ejecutar(TIPO_MOVER, tmp.Carpeta("dst2"), {f});
    EXPECT_EQ(Op(m).Log, (std::vector<std::string>{
                             "Failed trying move \"" + f + "\": Not kept: owner - Operation not permitted (1)",
                             "Failed trying move \"" + f + "\": Not kept: group - Operation not permitted (1)"}));
    EXPECT_EQ(LeerTodo(tmp.Ruta("dst2/tool")), "t");
}

TEST_F(MetadatosTest, HardLinksInsideTheTreeStayOneFile) {
    const auto [c, m] = CopiarYMover("H", [&](const std::string& h) {
        const std::string a = tmp.ArchivoConTexto(h.substr(tmp.Ruta().size()) + "/a", "shared data");
        tmp.Carpeta(h.substr(tmp.Ruta().size()) + "/sub");
        fs::create_hard_link(a, h + "/b");
        fs::create_hard_link(a, h + "/sub/c");
        tmp.ArchivoConTexto(h.substr(tmp.Ruta().size()) + "/single", "s");
    });
    for (const std::string base : {"copied/H", "moved/H"}) {
        const struct stat a = Estado(tmp.Ruta(base + "/a"));
        EXPECT_EQ(a.st_nlink, 3u) << base;
        EXPECT_EQ(Estado(tmp.Ruta(base + "/b")).st_ino, a.st_ino) << base;
        EXPECT_EQ(Estado(tmp.Ruta(base + "/sub/c")).st_ino, a.st_ino) << base;
        EXPECT_EQ(LeerTodo(tmp.Ruta(base + "/sub/c")), "shared data");
        EXPECT_EQ(Estado(tmp.Ruta(base + "/single")).st_nlink, 1u);
    }
    EXPECT_EQ(t.TextoErrores(c), "(Sin errores)");
    EXPECT_EQ(t.TextoErrores(m), "(Sin errores)");
    EXPECT_FALSE(Existe(tmp.Ruta("b/H")));
    EXPECT_EQ(Op(c).BytesHechos, 3 * 11 + 1);
}

// Fifos and device nodes are made anew (a fifo was read from, waiting forever, or refused);
// a socket cannot be, and says so in the program's words.
TEST_F(MetadatosTest, FifosAndDevicesAreRecreatedAndASocketIsALogLine) {
    const bool dispositivos = geteuid() == 0;
    const auto [c, m] = CopiarYMover("S", [&](const std::string& s) {
        tmp.Carpeta(s.substr(tmp.Ruta().size()));
        ASSERT_EQ(mkfifo((s + "/pipe").c_str(), 0640), 0);
        if (dispositivos) {
            ASSERT_EQ(mknod((s + "/null").c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
        }
        const int so = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un dir{};
        dir.sun_family = AF_UNIX;
        const std::string ruta = s + "/sock";
        ASSERT_LT(ruta.size(), sizeof dir.sun_path);
        std::copy(ruta.begin(), ruta.end(), dir.sun_path);
        ASSERT_EQ(bind(so, reinterpret_cast<sockaddr*>(&dir), sizeof dir), 0);
        close(so);
    });
    for (const std::string base : {"copied/S", "moved/S"}) {
        const struct stat p = Estado(tmp.Ruta(base + "/pipe"));
        EXPECT_TRUE(S_ISFIFO(p.st_mode)) << base;
        EXPECT_EQ(p.st_mode & 07777, 0640u) << base;
        if (dispositivos) {
            const struct stat d = Estado(tmp.Ruta(base + "/null"));
            EXPECT_TRUE(S_ISCHR(d.st_mode)) << base;
            EXPECT_EQ(d.st_rdev, makedev(1, 3)) << base;
        }
        EXPECT_FALSE(Existe(tmp.Ruta(base + "/sock"))) << base;
    }
    EXPECT_EQ(Op(c).Log, (std::vector<std::string>{"Failed trying copy \"" + tmp.Ruta("a/S/sock") +
                                                   "\": A socket can't be copied; it was left where it is. (95)"}));
    ASSERT_EQ(Op(m).Log.size(), 1u);
    EXPECT_TRUE(Existe(tmp.Ruta("b/S/sock")));  // the move keeps it, and so its folder
    EXPECT_FALSE(Existe(tmp.Ruta("b/S/pipe")));
}

}  // namespace
}  // namespace quirvex
