// The two ways a folder's status calls are made (two threads, or queued on an io_uring) must say
// exactly the same of every entry, and the ring must give way to the threads where the kernel
// refuses it.

#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/sistema_archivos.h"
#include "support/carpeta_temporal.h"

namespace quirvex {
namespace {

namespace fs = std::filesystem;
using prueba::CarpetaTemporal;

class ViaForzada {
public:
    explicit ViaForzada(ViaEstados via) { SetViaEstados(via); }
    ~ViaForzada() { SetViaEstados(ViaEstados::Automatica); }
    ViaForzada(const ViaForzada&) = delete;
    ViaForzada& operator=(const ViaForzada&) = delete;
};

// Everything one way said of the tree, in a form two ways can be compared by.
struct Vista {
    std::vector<std::string> listado;
    std::vector<std::int64_t> tamanos;
    std::vector<std::string> consultas;
    bool operator==(const Vista&) const = default;
};

std::string Texto(const EntradaDirectorio& e) {
    return e.nombre + " a" + std::to_string(e.atributos) + " t" + std::to_string(e.tamano) + " m" +
           std::to_string(e.modificacion) + " c" + std::to_string(e.creacion);
}

// More names than the ring keeps in flight, so its slots are used again and again: links of
// every kind, names that are not UTF-8, entries that cannot be read, and names asked for that
// were deleted after the folder was listed.
class ArbolVariado {
public:
    ArbolVariado() {
        for (int i = 0; i < 300; ++i) tmp_.Archivo("f" + std::to_string(i), static_cast<std::uintmax_t>(i) * 7);
        tmp_.Archivo("odd \xff\xfe name\n", 11);
        tmp_.Archivo("caf\xe9.txt", 5);
        tmp_.Archivo(".hidden", 2);
        tmp_.Carpeta("dir");
        tmp_.Archivo("locked", 9);
        tmp_.Carpeta("locked-dir");
        fs::permissions(tmp_.Ruta("locked"), fs::perms::none);
        fs::permissions(tmp_.Ruta("locked-dir"), fs::perms::none);
        fs::create_symlink(tmp_.Ruta("f12"), tmp_.Ruta("to-file"));
        fs::create_symlink(tmp_.Ruta("dir"), tmp_.Ruta("to-dir"));
        fs::create_symlink("nowhere", tmp_.Ruta("dangling"));
        fs::create_symlink("loop", tmp_.Ruta("loop"));
        fs::create_symlink("locked-dir/x", tmp_.Ruta("through-locked"));
        for (const auto& e : fs::directory_iterator(tmp_.Ruta())) nombres_.push_back(e.path().filename());
        for (const char* ido : {"f3", "f150", "odd \xff\xfe name\n"}) fs::remove(tmp_.Ruta(ido));
        nombres_.push_back("never-was");
    }
    ~ArbolVariado() { fs::permissions(tmp_.Ruta("locked-dir"), fs::perms::owner_all); }

    Vista Ver() const {
        Vista v;
        std::vector<EntradaDirectorio> entradas;
        EXPECT_TRUE(Archivos().ListarTodo(tmp_.Ruta(), entradas));
        for (const EntradaDirectorio& e : entradas) v.listado.push_back(Texto(e));
        const std::vector<std::string_view> vistas(nombres_.begin(), nombres_.end());
        v.tamanos = Archivos().Tamanos(tmp_.Ruta(), vistas);
        for (const auto& e : Archivos().ConsultarEn(tmp_.Ruta(), vistas))
            v.consultas.push_back(e ? Texto(*e) : "(none)");
        return v;
    }
    // What one status call per path says, the way the folder-wide calls must agree with.
    Vista UnoAUno() const {
        Vista v;
        std::vector<EntradaDirectorio> entradas;
        EXPECT_TRUE(Archivos().ListarTodo(tmp_.Ruta(), entradas));
        for (const EntradaDirectorio& e : entradas) v.listado.push_back(Texto(*Archivos().Consultar(tmp_.Ruta(e.nombre))));
        for (const std::string& n : nombres_) {
            const auto e = Archivos().Consultar(tmp_.Ruta(n));
            v.tamanos.push_back(e ? e->tamano : 0);
            v.consultas.push_back(e ? Texto(*e) : "(none)");
        }
        return v;
    }
    std::string Ruta() const { return tmp_.Ruta(); }

private:
    CarpetaTemporal tmp_;
    std::vector<std::string> nombres_;
};

TEST(SistemaArchivosVias, ThreadsAndRingSayTheSameOfEveryEntry) {
    ArbolVariado arbol;
    const Vista esperada = arbol.UnoAUno();
    ASSERT_EQ(esperada.listado.size(), 308u);
    EXPECT_EQ(esperada.consultas.back(), "(none)");
    Vista hilos, anillo;
    {
        ViaForzada via(ViaEstados::Hilos);
        hilos = arbol.Ver();
        EXPECT_EQ(UltimaViaEstados(), ViaEstados::Hilos);
    }
    {
        ViaForzada via(ViaEstados::Anillo);
        anillo = arbol.Ver();
        if (UltimaViaEstados() != ViaEstados::Anillo)
            ADD_FAILURE() << "the kernel gave no io_uring here: only the threads were compared";
    }
    EXPECT_EQ(hilos, esperada);
    EXPECT_EQ(anillo, esperada);
    EXPECT_EQ(anillo, hilos);
}

// A small folder stays on the caller's thread unless a way is forced.
TEST(SistemaArchivosVias, ASmallFolderIsStatedInPlace) {
    ArbolVariado arbol;
    const Vista esperada = arbol.UnoAUno();
    EXPECT_EQ(arbol.Ver(), esperada);
    EXPECT_EQ(UltimaViaEstados(), ViaEstados::Automatica);
}

// In a child process: refuses io_uring_setup as a container's system-call filter does, then
// forces the ring. 0 when the threads made both listings and they say what one call per path
// says, twice over.
int ListarSinAnillo(const ArbolVariado& arbol, const Vista& esperada) {
    sock_filter filtro[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_io_uring_setup, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EPERM),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    sock_fprog programa{static_cast<unsigned short>(std::size(filtro)), filtro};
    if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 || prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &programa) != 0)
        return 3;
    ViaForzada via(ViaEstados::Anillo);
    for (int vez = 0; vez < 2; ++vez)
        if (arbol.Ver() != esperada || UltimaViaEstados() != ViaEstados::Hilos) return 1;
    return 0;
}

TEST(SistemaArchivosVias, WhereTheKernelRefusesTheRingTheThreadsDoIt) {
    ArbolVariado arbol;
    const Vista esperada = arbol.UnoAUno();
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(_exit(ListarSinAnillo(arbol, esperada)), ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace quirvex
