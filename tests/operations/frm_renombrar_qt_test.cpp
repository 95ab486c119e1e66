// The rename dialog in its three modes, on real folders.

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <filesystem>

#include "folder/contenido_visor.h"
#include "operations/frm_renombrar_qt.h"
#include "operations/tareas_fixture.h"
#include "platform/etiquetas_volumen.h"
#include "support/aplicacion_qt.h"
#include "support/fakes.h"

namespace quirvex {
namespace {

namespace fs = std::filesystem;
using prueba::LeerTodo;

class FrmRenombrarTest : public ::testing::Test {
protected:
    void SetUp() override {
        prueba::AplicacionPrueba();
        CargarIdioma(IdiomasIncorporados()[0].texto);
    }
    std::int64_t Cargar(const std::string& nombre) {
        EXPECT_TRUE(visor.CargarContenido(tmp.Ruta("d/"), false));
        return visor.GetIndexItem(nombre);
    }
    prueba::CarpetaTemporal tmp;
    prueba::DialogosGrabados dialogos;
    prueba::OyenteGrabado oyente;
    cContenidoVisor visor;
};

TEST_F(FrmRenombrarTest, RenamingAFileSelectsTheNameWithoutItsExtension) {
    tmp.ArchivoConTexto("d/notes.txt", "N");
    frmRenombrar f;
    f.PrepararRenombrar(visor, Cargar("notes.txt"), &oyente);
    f.show();
    EXPECT_EQ(f.windowTitle(), "Rename");
    EXPECT_EQ(f.lbl(0)->text(), "Original name:");
    EXPECT_EQ(f.cmdAplicar()->text(), "A&pply");
    EXPECT_EQ(f.txtAnterior()->text(), "notes.txt");
    EXPECT_EQ(f.txtNuevo()->selectedText(), "notes");
    EXPECT_EQ(f.txtNuevo()->maxLength(), 255);
    QTest::keyClicks(f.txtNuevo(), "plan");
    EXPECT_EQ(f.txtNuevo()->text(), "plan.txt");
    QTest::mouseClick(f.cmdAplicar(), Qt::LeftButton);
    EXPECT_EQ(f.result(), QDialog::Accepted);
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(LeerTodo(tmp.Ruta("d/plan.txt")), "N");
    EXPECT_EQ(oyente.avisos, (std::vector<std::string>{tmp.Ruta("d/") + "|notes.txt|A|Rename"}));
}

TEST_F(FrmRenombrarTest, ACollisionKeepsTheDialogOpenAndBothFiles) {
    tmp.ArchivoConTexto("d/a.txt", "A");
    tmp.ArchivoConTexto("d/b.txt", "B");
    frmRenombrar f;
    f.PrepararRenombrar(visor, Cargar("a.txt"), &oyente);
    f.show();
    f.txtNuevo()->setText("b.txt");
    QTest::mouseClick(f.cmdAplicar(), Qt::LeftButton);
    EXPECT_TRUE(f.isVisible());
    ASSERT_EQ(dialogos.mensajes.size(), 1u);
    EXPECT_EQ(dialogos.mensajes[0].rfind("Failed to change name.", 0), 0u);
    EXPECT_EQ(LeerTodo(tmp.Ruta("d/a.txt")), "A");
    EXPECT_EQ(LeerTodo(tmp.Ruta("d/b.txt")), "B");
    // The same name closes without touching the file.
    f.txtNuevo()->setText("a.txt");
    QTest::mouseClick(f.cmdAplicar(), Qt::LeftButton);
    EXPECT_FALSE(f.isVisible());
    EXPECT_TRUE(oyente.avisos.empty());
}

TEST_F(FrmRenombrarTest, AnUntouchedNameThatIsNotUtf8IsLeftAlone) {
    const std::string raro = "caf\xE9";
    tmp.ArchivoConTexto("d/" + raro, "C");
    frmRenombrar f;
    f.PrepararRenombrar(visor, Cargar(raro), &oyente);
    f.show();
    f.cmdAplicar_Click();
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(LeerTodo(tmp.Ruta("d/" + raro)), "C");
    EXPECT_TRUE(dialogos.mensajes.empty());
}

TEST_F(FrmRenombrarTest, NewFileProposesFileDotAndNeverOverwrites) {
    tmp.ArchivoConTexto("d/File.", "keep");
    frmRenombrar f;
    f.PrepararArchivoNuevo(tmp.Ruta("d"), &oyente);
    f.show();
    EXPECT_EQ(f.windowTitle(), "Create file");
    EXPECT_EQ(f.lbl(0)->text(), "Inside of:");
    EXPECT_EQ(f.lbl(1)->text(), "New file:");
    EXPECT_EQ(f.txtAnterior()->text().toStdString(), tmp.Ruta("d/"));
    EXPECT_EQ(f.txtNuevo()->selectedText(), "File.");
    f.cmdAplicar_Click();
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(LeerTodo(tmp.Ruta("d/File.")), "keep");
    ASSERT_EQ(dialogos.mensajes.size(), 1u);
    EXPECT_EQ(dialogos.mensajes[0].rfind("Failed to create file.", 0), 0u);
    QTest::keyClicks(f.txtNuevo(), "new.txt");
    f.cmdAplicar_Click();
    EXPECT_FALSE(f.isVisible());
    EXPECT_TRUE(fs::is_regular_file(tmp.Ruta("d/new.txt")));
    EXPECT_EQ(oyente.avisos, (std::vector<std::string>{tmp.Ruta("d/") + "|new.txt|A|Created"}));
}

class EtiquetasFijas final : public EtiquetasVolumen {
public:
    EtiquetasFijas() { SetEtiquetasVolumen(this); }
    ~EtiquetasFijas() override { SetEtiquetasVolumen(nullptr); }
    bool CambiarEtiqueta(const std::string& p, const std::string& e, std::string&) override {
        pedido = p + "=" + e;
        return true;
    }
    std::string pedido;
};

TEST_F(FrmRenombrarTest, ADriveOfMyPcChangesItsLabel) {
    prueba::UnidadesFijas unidades({{"/", "ext4", "/dev/vda", "", 3},
                                    {"/media/usb/", "vfat", "/dev/sdb1", "STICK", 7}});
    EtiquetasFijas etiquetas;
    ASSERT_TRUE(visor.CargarContenido(TextoMiPC(), false));
    const std::int64_t i = visor.GetIndexItem("STICK (/media/usb)");
    ASSERT_GE(i, 0);
    frmRenombrar f;
    f.PrepararRenombrar(visor, i, &oyente);
    f.show();
    EXPECT_EQ(f.windowTitle(), "Change label of /media/usb");
    EXPECT_EQ(f.txtAnterior()->text(), "STICK");
    EXPECT_EQ(f.txtNuevo()->selectedText(), "STICK");
    EXPECT_EQ(f.txtNuevo()->maxLength(), 11);
    f.txtNuevo()->clear();
    QTest::keyClicks(f.txtNuevo(), "BACKUP-2024-EXTRA");
    EXPECT_EQ(f.txtNuevo()->text(), "BACKUP-2024");
    f.cmdAplicar_Click();
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(etiquetas.pedido, "/media/usb=BACKUP-2024");
    EXPECT_EQ(oyente.avisos,
              (std::vector<std::string>{TextoMiPC() + "|STICK (/media/usb)|U|Rename"}));
}

}  // namespace
}  // namespace quirvex
