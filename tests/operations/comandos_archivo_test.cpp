// The file commands on real folders: names, new folders and files, rename, label, delete.

#include <gtest/gtest.h>

#include <filesystem>

#include "folder/contenido_visor.h"
#include "folder/tabla_unidades.h"
#include "operations/comandos_archivo.h"
#include "operations/tareas_fixture.h"
#include "platform/etiquetas_volumen.h"
#include "support/fakes.h"

namespace quirvex {
namespace {

namespace fs = std::filesystem;
using prueba::LeerTodo;

TEST(ValidarNombreTest, EmptyLeadingSpaceOrDotAndForbiddenCharacters) {
    EXPECT_EQ(ValidarNombre(""), -1);
    EXPECT_EQ(ValidarNombre(" a"), -2);
    EXPECT_EQ(ValidarNombre(".profile"), -2);
    EXPECT_EQ(ValidarNombre(".."), -2);
    EXPECT_EQ(ValidarNombre("plan.txt"), 0);
    EXPECT_EQ(ValidarNombre("a b ."), 0);
    EXPECT_EQ(ValidarNombre("ab:c"), 3);
    EXPECT_EQ(ValidarNombre("a/b"), 2);
    EXPECT_EQ(ValidarNombre("x\"y"), 2);
    // The characters are tested in a fixed order, not by position: '*' before '?'.
    EXPECT_EQ(ValidarNombre("a?b*"), 4);
    EXPECT_EQ(ValidarNombre("a|b\\"), 4);
    // Positions count characters, not bytes.
    EXPECT_EQ(ValidarNombre("\xC3\xB1\xC3\xB1<"), 3);
}

TEST(SepararEtiquetaUnidadTest, UsesTheDriveTableThenTheLastParenthesis) {
    prueba::UnidadesFijas unidades({{"/", "ext4", "/dev/sda1", "", 3},
                                    {"/media/u (1)/", "vfat", "/dev/sdb1", "DATOS", 7}});
    ListarUnidades();
    const PartesEtiqueta e = SepararEtiquetaUnidad("DATOS (/media/u (1))");
    EXPECT_EQ(e.etiqueta, "DATOS");
    EXPECT_EQ(e.unidad, "/media/u (1)");
    const PartesEtiqueta f = SepararEtiquetaUnidad("  OTRA  (/mnt/x)");
    EXPECT_EQ(f.etiqueta, "OTRA");
    EXPECT_EQ(f.unidad, "/mnt/x");
}

class ComandosTest : public prueba::TareasTest {
protected:
    prueba::DialogosGrabados dialogos{Respuesta::Si};
};

TEST_F(ComandosTest, NewFoldersAreCarpetaThenNumberedInEveryLanguage) {
    const std::string d = tmp.Carpeta("d");
    EXPECT_EQ(CrearCarpetaNueva(d, &oyente), tmp.Ruta("d/Carpeta"));
    EXPECT_EQ(CrearCarpetaNueva(d, &oyente), tmp.Ruta("d/Carpeta (1)"));
    ReiniciarIdiomaParaPruebas();
    ASSERT_TRUE(CargarIdiomaIncorporado(1));
    EXPECT_EQ(CrearCarpetaNueva(d, &oyente), tmp.Ruta("d/Carpeta (2)"));
    EXPECT_TRUE(fs::is_directory(tmp.Ruta("d/Carpeta (2)")));
    EXPECT_EQ(oyente.avisos.back(), d + "|Carpeta (2)|C|CreatedFolder");
    // A file of that name counts as taken too.
    const std::string e = tmp.Carpeta("e");
    tmp.ArchivoConTexto("e/Carpeta", "keep");
    EXPECT_EQ(CrearCarpetaNueva(e, nullptr), tmp.Ruta("e/Carpeta (1)"));
    EXPECT_EQ(LeerTodo(tmp.Ruta("e/Carpeta")), "keep");
    EXPECT_TRUE(dialogos.mensajes.empty());
}

TEST_F(ComandosTest, NewFolderFailureShowsTheMessage) {
    EXPECT_EQ(CrearCarpetaNueva(tmp.Ruta("missing/"), &oyente), "");
    ASSERT_EQ(dialogos.mensajes.size(), 1u);
    EXPECT_EQ(dialogos.mensajes[0].rfind("Failed to create folder.\n\nReason: ", 0), 0u);
    EXPECT_TRUE(oyente.avisos.empty());
}

TEST_F(ComandosTest, NewFileIsCreatedEmptyAndNeverOverwritesAnExistingOne) {
    const std::string d = tmp.Carpeta("d");
    cRenombrar r;
    r.modo = ModoRenombrar::ArchivoNuevo;
    r.carpeta = d + "/";
    r.oyente = &oyente;
    EXPECT_TRUE(r.Aplicar("File."));
    EXPECT_TRUE(fs::is_regular_file(d + "/File."));
    EXPECT_EQ(fs::file_size(d + "/File."), 0u);
    EXPECT_EQ(oyente.avisos, (std::vector<std::string>{d + "/|File.|A|Created"}));

    tmp.ArchivoConTexto("d/notes.txt", "precious");
    EXPECT_FALSE(r.Aplicar("notes.txt"));
    EXPECT_EQ(LeerTodo(d + "/notes.txt"), "precious");
    ASSERT_EQ(dialogos.mensajes.size(), 1u);
    EXPECT_EQ(dialogos.mensajes[0], "Failed to create file.\n\nReason: File exists");
    // A dangling link must not be followed to create its target either.
    fs::create_symlink(tmp.Ruta("elsewhere"), d + "/link");
    EXPECT_FALSE(r.Aplicar("link"));
    EXPECT_FALSE(fs::exists(tmp.Ruta("elsewhere")));
}

TEST_F(ComandosTest, InvalidNamesAreRefusedWithTheirMessagesInEveryMode) {
    tmp.ArchivoConTexto("d/a.txt", "A");
    cRenombrar r;
    r.carpeta = tmp.Ruta("d/");
    r.anterior = "a.txt";
    r.tipo = TIPO_ARCHIVO;
    EXPECT_FALSE(r.Aplicar(" b"));
    EXPECT_FALSE(r.Aplicar(""));
    EXPECT_FALSE(r.Aplicar("b:c"));
    r.modo = ModoRenombrar::ArchivoNuevo;
    EXPECT_FALSE(r.Aplicar(".hidden"));
    EXPECT_EQ(dialogos.mensajes,
              (std::vector<std::string>{"The name can't begin with space or dot.",
                                        "The name can't be empty.",
                                        "This characters can't be used in file and folder names: "
                                        "*/\\\"|:<>?",
                                        "The name can't begin with space or dot."}));
    EXPECT_EQ(LeerTodo(tmp.Ruta("d/a.txt")), "A");
    EXPECT_FALSE(fs::exists(tmp.Ruta("d/.hidden")));
}

TEST_F(ComandosTest, RenameReportsTheChangeWithTheKindThePaneShows) {
    tmp.ArchivoConTexto("d/notes.txt", "N");
    tmp.Carpeta("d/sub");
    cContenidoVisor visor;
    ASSERT_TRUE(visor.CargarContenido(tmp.Ruta("d/"), false));
    cRenombrar r;
    r.carpeta = visor.RutaActual;
    r.anterior = "sub";
    r.tipo = TIPO_CARPETA;
    r.visor = &visor;
    r.oyente = &oyente;
    EXPECT_TRUE(r.Aplicar("plan"));
    EXPECT_TRUE(fs::is_directory(tmp.Ruta("d/plan")));
    EXPECT_EQ(oyente.avisos, (std::vector<std::string>{tmp.Ruta("d/") + "|sub|C|Rename"}));

    // Renaming to the same name closes without touching anything.
    r.anterior = "notes.txt";
    EXPECT_TRUE(r.Aplicar("notes.txt"));
    EXPECT_EQ(oyente.avisos.size(), 1u);
    EXPECT_TRUE(dialogos.mensajes.empty());
}

TEST_F(ComandosTest, RenameOntoAnExistingNameIsRefusedAndLosesNothing) {
    tmp.ArchivoConTexto("d/a.txt", "A");
    tmp.ArchivoConTexto("d/b.txt", "B");
    tmp.Carpeta("d/dir");
    cRenombrar r;
    r.carpeta = tmp.Ruta("d/");
    r.anterior = "a.txt";
    r.tipo = TIPO_ARCHIVO;
    r.oyente = &oyente;
    EXPECT_FALSE(r.Aplicar("b.txt"));
    EXPECT_EQ(LeerTodo(tmp.Ruta("d/a.txt")), "A");
    EXPECT_EQ(LeerTodo(tmp.Ruta("d/b.txt")), "B");
    ASSERT_EQ(dialogos.mensajes.size(), 1u);
    EXPECT_EQ(dialogos.mensajes[0], "Failed to change name.\n\nReason: File exists");
    // Nor onto a folder, nor a folder onto a file.
    EXPECT_FALSE(r.Aplicar("dir"));
    r.anterior = "dir";
    EXPECT_FALSE(r.Aplicar("b.txt"));
    EXPECT_TRUE(fs::is_directory(tmp.Ruta("d/dir")));
    EXPECT_TRUE(oyente.avisos.empty());
}

TEST_F(ComandosTest, RenameOfAnItemThePaneNoLongerListsClosesWithMissing) {
    cContenidoVisor visor;
    ASSERT_TRUE(visor.CargarContenido(tmp.Carpeta("d") + "/", false));
    tmp.ArchivoConTexto("d/late.txt", "L");  // appeared after the listing
    cRenombrar r;
    r.carpeta = visor.RutaActual;
    r.anterior = "late.txt";
    r.visor = &visor;
    r.oyente = &oyente;
    EXPECT_TRUE(r.Aplicar("early.txt"));
    EXPECT_EQ(LeerTodo(tmp.Ruta("d/early.txt")), "L");
    EXPECT_EQ(dialogos.mensajes, (std::vector<std::string>{"Missing: late.txt"}));
    EXPECT_TRUE(oyente.avisos.empty());
}

class EtiquetasGrabadas final : public EtiquetasVolumen {
public:
    EtiquetasGrabadas() { SetEtiquetasVolumen(this); }
    ~EtiquetasGrabadas() override { SetEtiquetasVolumen(nullptr); }
    bool CambiarEtiqueta(const std::string& p, const std::string& e, std::string& m) override {
        pedidos.push_back(p + "=" + e);
        if (!exito) m = "refused";
        return exito;
    }
    bool exito = true;
    std::vector<std::string> pedidos;
};

TEST_F(ComandosTest, LabelChangeReportsTheNewDisplayNameOrShowsTheFailure) {
    prueba::UnidadesFijas unidades({{"/media/usb/", "vfat", "/dev/sdb1", "OLD", 7}});
    ListarUnidades();
    EtiquetasGrabadas etiquetas;
    cRenombrar r;
    r.tipo = TIPO_UNIDAD;
    r.unidad = "/media/usb";
    r.anterior = "OLD";
    r.oyente = &oyente;
    etiquetas.exito = false;
    EXPECT_FALSE(r.Aplicar("NEW"));
    EXPECT_EQ(dialogos.mensajes, (std::vector<std::string>{"Failed to change label."}));
    EXPECT_TRUE(oyente.avisos.empty());
    etiquetas.exito = true;
    EXPECT_FALSE(r.Aplicar(".X"));  // the name rule holds for labels too
    EXPECT_TRUE(r.Aplicar("NEW"));
    EXPECT_EQ(etiquetas.pedidos, (std::vector<std::string>{"/media/usb=NEW", "/media/usb=NEW"}));
    EXPECT_EQ(oyente.avisos, (std::vector<std::string>{TextoMiPC() + "|OLD (/media/usb)|U|Rename"}));
}

TEST_F(ComandosTest, LabelChangeFailsWithoutADiskService) {
    ASSERT_FALSE(HayEtiquetasVolumen());
    cRenombrar r;
    r.tipo = TIPO_UNIDAD;
    r.unidad = "/";
    r.anterior = "x";
    EXPECT_FALSE(r.Aplicar("y"));
    EXPECT_EQ(dialogos.mensajes, (std::vector<std::string>{"Failed to change label."}));
}

TEST_F(ComandosTest, DeleteAsksFirstAndQueuesAPermanentDelete) {
    const std::string a = tmp.ArchivoConTexto("d/a", "A");
    const std::string sub = tmp.Carpeta("d/sub");
    tmp.ArchivoConTexto("d/sub/x", "X");
    EXPECT_EQ(EliminarSeleccion(tmp.Ruta("d/"), {}, t), -1);
    EXPECT_EQ(EliminarSeleccion(TextoMiPC(), {a}, t), -1);
    EXPECT_TRUE(dialogos.mensajes.empty());
    {
        prueba::DialogosGrabados no(Respuesta::No);
        EXPECT_EQ(EliminarSeleccion(tmp.Ruta("d/"), {a, sub}, t), -1);
        EXPECT_EQ(no.mensajes, (std::vector<std::string>{"Are you sure you want to delete the selected items?"}));
    }
    EXPECT_TRUE(t.Operaciones().empty());
    SetDialogos(&dialogos);
    EXPECT_EQ(EliminarSeleccion(tmp.Ruta("d/"), {a, sub}, t), 0);
    EXPECT_EQ(Op(0).Tipo, TIPO_BORRAR);
    EXPECT_EQ(Op(0).Origen, tmp.Ruta("d/"));
    t.tIni_Timer();
    EXPECT_FALSE(Existe(a));
    EXPECT_FALSE(Existe(sub));
    EXPECT_TRUE(Existe(tmp.Ruta("d")));
}

}  // namespace
}  // namespace quirvex
