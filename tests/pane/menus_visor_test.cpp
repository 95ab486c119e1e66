#include "pane/menus_visor.h"

#include <gtest/gtest.h>

#include <set>

#include "settings/idioma.h"

namespace quirvex {
namespace {

TEST(MenusVisor, EveryItemHasAParentAndACaptionInBothLanguages) {
    std::set<std::string_view> nombres;
    for (const auto& m : TablaMenus()) {
        EXPECT_TRUE(nombres.insert(m.nombre).second) << m.nombre;
        if (!m.padre.empty()) {
            EXPECT_NE(BuscarMenu(m.padre), nullptr) << m.nombre;
        }
    }
    for (const auto& idioma : IdiomasIncorporados()) {
        CargarIdioma(idioma.texto);
        for (const auto& m : TablaMenus()) {
            if (m.clave == 0) continue;
            const std::string& t = m.clave > 1000 ? Texto(General, m.clave - 1000)
                                                  : Texto(frmMainSec, m.clave);
            EXPECT_FALSE(t.empty()) << idioma.nombre << " " << m.nombre;
        }
    }
}

TEST(MenusVisor, FileMenuOnTheDriveListAndWithADriveCurrent) {
    ContextoMenus c;
    c.enUnidades = true;
    c.nSel = 1;
    c.tipoActual = "U";
    EXPECT_FALSE(EstadoMenu("mnuAn", c).habilitado);
    EXPECT_FALSE(EstadoMenu("mnuAeliminar", c).habilitado);
    const auto nombre = EstadoMenu("mnuAnombre", c);
    EXPECT_TRUE(nombre.habilitado);
    EXPECT_EQ(nombre.clave, 11);  // "C&hange label"
    c = ContextoMenus{};
    c.tipoActual = "A";
    EXPECT_FALSE(EstadoMenu("mnuAeliminar", c).habilitado);  // nothing selected
    EXPECT_FALSE(EstadoMenu("mnuAnombre", c).habilitado);
    c.nSel = 2;
    EXPECT_TRUE(EstadoMenu("mnuAeliminar", c).habilitado);
    EXPECT_EQ(EstadoMenu("mnuAnombre", c).clave, 10);
}

TEST(MenusVisor, PasteFollowsTheClipboardAndTheAddressBoxFocus) {
    ContextoMenus c;
    EXPECT_FALSE(EstadoMenu("mnuEpegar", c).habilitado);
    c.portapapelesConRutas = true;
    EXPECT_TRUE(EstadoMenu("mnuEpegar", c).habilitado);
    EXPECT_TRUE(EstadoMenu("mnuEmover", c).habilitado);
    c.direccionConFoco = true;
    EXPECT_FALSE(EstadoMenu("mnuEpegar", c).habilitado);
    EXPECT_FALSE(EstadoMenu("mnuEcopiar", c).habilitado);
    c.direccionConFoco = false;
    c.enUnidades = true;
    EXPECT_FALSE(EstadoMenu("mnuPCpegar", c).habilitado);
    EXPECT_FALSE(EstadoMenu("mnuEdeshacer", c).habilitado);  // no action: greyed
}

TEST(MenusVisor, ChecksFollowTheViewAndTheOrder) {
    ContextoMenus c;
    c.modoPreview = true;
    EXPECT_TRUE(EstadoMenu("mnuPCver2", c).marcado);
    EXPECT_FALSE(EstadoMenu("mnuPCver0", c).marcado);
    c.modoPreview = false;
    c.modoVista = 1;
    EXPECT_TRUE(EstadoMenu("mnuPCver1", c).marcado);
    c.criterioOrden = 4;
    EXPECT_TRUE(EstadoMenu("mnuPCOorden3", c).marcado);
    EXPECT_TRUE(EstadoMenu("mnuPCOF1", c).marcado);
    EXPECT_FALSE(EstadoMenu("mnuPCOorden1", c).marcado);
    c.tipoActual = "A";
    EXPECT_TRUE(EstadoMenu("mnuPAA", c).habilitado);
    EXPECT_FALSE(EstadoMenu("mnuPAbuscar", c).habilitado);
}

}  // namespace
}  // namespace quirvex
