// The frame's tab list saved while the process is killed at random moments (a logout that
// ends it hard, a power cut): the settings keep the list saved before or the new one, whole.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>
#include <set>

#include "frame/marco_real_qt.h"
#include "support/hijo_matado.h"
#include "settings/almacen_registro.h"

namespace quirvex::prueba {
namespace {

using GuardadoInterrumpido = MarcoReal;

TEST_F(GuardadoInterrumpido, AKillDuringGuardarTabsLeavesTheOldOrTheNewListWhole) {
    const std::string a = tmp.Carpeta("a"), b = tmp.Carpeta("b");
    Abrir(a);
    m->NuevoTabVisor(QFile::decodeName(QByteArray::fromStdString(b)));
    Opciones().RestoreTabs = 1;
    // An earlier list, and enough other settings that each save takes a while to write.
    const std::string viejo = "/old/list\r/old/other\n/old/pane";
    RegEscribirCadena(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Previous Tabs", viejo);
    RegEscribirCadena(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Relleno", std::string(400000, 'r'));

    const unsigned semilla = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(semilla));
    std::mt19937 azar(semilla);
    std::set<std::string> vistos;
    for (int ronda = 0; ronda < 16; ++ronda) {
        int tubo[2];
        ASSERT_EQ(::pipe(tubo), 0);
        const pid_t hijo = ::fork();
        ASSERT_GE(hijo, 0);
        if (hijo == 0) {
            ::close(tubo[0]);
            // Each save is the new list over the old one, so a kill may land in either.
            for (bool primera = true;; primera = false) {
                m->GuardarTabs();
                if (primera) AvisarListo(tubo);
                RegEscribirCadena(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Previous Tabs", viejo);
            }
        }
        ASSERT_TRUE(MatarTrasAviso(hijo, tubo, 60000, azar));
        const std::string guardado = RegLeerCadena(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Previous Tabs");
        vistos.insert(guardado);
        EXPECT_EQ(RegLeerCadena(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Relleno").size(), 400000u);
    }
    m->GuardarTabs();
    const std::string nuevo = RegLeerCadena(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Previous Tabs");
    // Each pane's folder, without its trailing separator, one tab per entry.
    EXPECT_EQ(nuevo, a.substr(0, a.size() - 1) + "\r" + b.substr(0, b.size() - 1));
    for (const std::string& v : vistos) EXPECT_TRUE(v == viejo || v == nuevo) << v;
}

}  // namespace
}  // namespace quirvex::prueba
