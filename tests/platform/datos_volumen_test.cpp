// The drive page's volume data on a real ext4 file system made by mkfs.ext4: read from the image
// file itself, and from a loop mount where udev made no /dev/disk links (the usual case in a
// container). The mount happens in a child process with a mount namespace of its own, so no
// other program ever sees it.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/datos_volumen.h"
#include "support/carpeta_temporal.h"

namespace quirvex {
namespace {

using prueba::CarpetaTemporal;

constexpr const char* kUuid = "3d6c0b5e-8a59-4b8e-9d3f-1c2b3a4d5e6f";

// An 8 MiB ext4 image labelled "AudLabel" with a known UUID; empty when mkfs.ext4 is missing.
std::string ImagenExt4(const CarpetaTemporal& t) {
    const std::string imagen = t.Ruta("volumen.img");
    std::filesystem::resize_file(t.Archivo("volumen.img", 0), 8u << 20);
    const std::string orden = "mkfs.ext4 -q -F -L AudLabel -U " + std::string(kUuid) + " '" + imagen + "' >/dev/null 2>&1";
    return std::system(orden.c_str()) == 0 ? imagen : std::string();
}

TEST(DatosVolumen, TheImagesOwnSuperblockGivesLabelTypeAndUuid) {
    CarpetaTemporal t;
    const std::string imagen = ImagenExt4(t);
    if (imagen.empty()) GTEST_SKIP() << "mkfs.ext4 is not installed (Debian package e2fsprogs)";
    InfoVolumen v;
    ASSERT_TRUE(SondearVolumen(imagen, v));
    EXPECT_EQ(v.etiqueta, "AudLabel");
    EXPECT_EQ(v.sistema, "ext4");
    EXPECT_EQ(v.uuid, kUuid);

    // A file with no file system in it, and no file at all, say nothing.
    InfoVolumen nada;
    EXPECT_FALSE(SondearVolumen(t.Archivo("ceros.img", 1u << 20), nada));
    EXPECT_FALSE(SondearVolumen(t.Ruta("no-existe.img"), nada));
    EXPECT_TRUE(nada.etiqueta.empty());
    EXPECT_TRUE(nada.uuid.empty());
}

// In a child with a private mount namespace: loop-mounts the image on `punto`, reads the volume
// data as the drive page does and writes "label|type|uuid" to `salida`, or "SKIP reason".
[[noreturn]] void LeerMontado(const std::string& imagen, const std::string& punto, int salida) {
    auto decir = [salida](const std::string& s) {
        (void)!write(salida, s.data(), s.size());
        _exit(0);
    };
    if (unshare(CLONE_NEWNS) != 0) decir("SKIP no mount namespace can be made here (needs root)");
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) decir("SKIP the mounts cannot be made private");
    const std::string orden = "mount -o loop,ro '" + imagen + "' '" + punto + "' 2>/dev/null";
    if (std::system(orden.c_str()) != 0) decir("SKIP no loop device can be mounted here");
    const InfoVolumen v = DatosVolumenSistema().Leer(punto);
    (void)!std::system(("umount '" + punto + "' 2>/dev/null").c_str());
    decir(v.etiqueta + "|" + v.sistema + "|" + v.uuid + "|" + (v.total > 0 ? "espacio" : "sin espacio"));
    _exit(0);
}

TEST(DatosVolumen, ALoopMountedExt4WithoutUdevLinksShowsItsLabelAndUuid) {
    CarpetaTemporal t;
    const std::string imagen = ImagenExt4(t);
    if (imagen.empty()) GTEST_SKIP() << "mkfs.ext4 is not installed (Debian package e2fsprogs)";
    if (geteuid() != 0) GTEST_SKIP() << "mounting a loop device needs root";
    const std::string punto = t.Carpeta("montaje");
    int tubo[2];
    ASSERT_EQ(pipe(tubo), 0);
    const pid_t hijo = fork();
    ASSERT_GE(hijo, 0);
    if (hijo == 0) {
        close(tubo[0]);
        LeerMontado(imagen, punto, tubo[1]);
    }
    close(tubo[1]);
    std::string dicho;
    char buf[256];
    for (ssize_t n; (n = read(tubo[0], buf, sizeof buf)) > 0;) dicho.append(buf, static_cast<size_t>(n));
    close(tubo[0]);
    int estado = 0;
    waitpid(hijo, &estado, 0);
    ASSERT_TRUE(WIFEXITED(estado) && WEXITSTATUS(estado) == 0);
    if (dicho.rfind("SKIP ", 0) == 0) GTEST_SKIP() << dicho.substr(5);
    EXPECT_EQ(dicho, "AudLabel|ext4|" + std::string(kUuid) + "|espacio");
}

}  // namespace
}  // namespace quirvex
