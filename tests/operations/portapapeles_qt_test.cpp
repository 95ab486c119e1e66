// File lists on the clipboard of the offscreen platform, which keeps the data in the process.

#include <gtest/gtest.h>

#include <QClipboard>
#include <QMimeData>
#include <QUrl>

#include "operations/portapapeles_qt.h"
#include "settings/idioma.h"
#include "support/aplicacion_qt.h"
#include "support/carpeta_temporal.h"
#include "support/fakes.h"

namespace quirvex {
namespace {

// Data of another program as a drop or the X clipboard hands it over: bytes fetched on request.
// (QMimeData::setData would parse a URI list itself, line by line, before the program sees it.)
class DatosAjenos : public QMimeData {
public:
    DatosAjenos(QString formato, QByteArray bytes)
        : formato_(std::move(formato)), bytes_(std::move(bytes)) {}
    QStringList formats() const override { return {formato_}; }
    bool hasFormat(const QString& f) const override { return f == formato_; }

protected:
    QVariant retrieveData(const QString& f, QMetaType) const override {
        return f == formato_ ? QVariant(bytes_) : QVariant();
    }

private:
    QString formato_;
    QByteArray bytes_;
};

class PortapapelesTest : public ::testing::Test {
protected:
    void SetUp() override {
        prueba::AplicacionPrueba();
        CargarIdioma(IdiomasIncorporados()[0].texto);
        QGuiApplication::clipboard()->clear();
    }
    static void Poner(const char* formato, const QByteArray& datos) {
        auto* m = new QMimeData;
        m->setData(formato, datos);
        QGuiApplication::clipboard()->setMimeData(m);
    }
    prueba::DialogosGrabados dialogos;
    prueba::CarpetaTemporal tmp;
};

TEST_F(PortapapelesTest, NamesWithAnyBytesRoundTrip) {
    const std::vector<std::string> rutas = {tmp.Ruta("caf\xE9 100%.txt"), tmp.Ruta("a b/c"),
                                            tmp.Ruta("\xC3\xB1" "and\xFF")};
    ASSERT_TRUE(PonerEnPortapapeles(rutas));
    const QMimeData* m = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(m, nullptr);
    const QByteArray uris = m->data("text/uri-list");
    EXPECT_TRUE(uris.startsWith(("file://" + tmp.Ruta()).c_str()));
    EXPECT_TRUE(uris.contains("caf%E9%20100%25.txt\r\n"));
    EXPECT_TRUE(m->data("x-special/gnome-copied-files").startsWith("copy\nfile://"));
    const ListaPortapapeles leida = LeerPortapapeles();
    EXPECT_EQ(leida.rutas, rutas);
    EXPECT_FALSE(leida.cortar);
    EXPECT_TRUE(dialogos.mensajes.empty());

    ASSERT_TRUE(PonerEnPortapapeles({rutas[1]}, true));
    EXPECT_TRUE(LeerPortapapeles().cortar);
}

TEST_F(PortapapelesTest, ListsFromOtherProgramsAreRead) {
    Poner("x-special/gnome-copied-files", "cut\nfile:///home/u/a%20b\nfile:///home/u/c");
    ListaPortapapeles l = LeerPortapapeles();
    EXPECT_TRUE(l.cortar);
    EXPECT_EQ(l.rutas, (std::vector<std::string>{"/home/u/a b", "/home/u/c"}));

    // Another Qt program writes URLs from QString paths.
    auto* m = new QMimeData;
    m->setUrls({QUrl::fromLocalFile(QString::fromUtf8("/home/u/ñ x.txt"))});
    QGuiApplication::clipboard()->setMimeData(m);
    l = LeerPortapapeles();
    EXPECT_FALSE(l.cortar);
    EXPECT_EQ(l.rutas, (std::vector<std::string>{"/home/u/\xC3\xB1 x.txt"}));

    QGuiApplication::clipboard()->setText("file:///etc/hosts\nfile:///tmp/x%20y\n");
    EXPECT_EQ(LeerPortapapeles().rutas, (std::vector<std::string>{"/etc/hosts", "/tmp/x y"}));
}

TEST_F(PortapapelesTest, TextThatIsNotAFileListReadsAsEmpty) {
    QGuiApplication::clipboard()->setText("hello file:///etc/hosts");
    EXPECT_TRUE(LeerPortapapeles().rutas.empty());
    QGuiApplication::clipboard()->clear();
    EXPECT_TRUE(LeerPortapapeles().rutas.empty());
    Poner("text/uri-list", "https://example.org/\r\n");
    EXPECT_TRUE(LeerPortapapeles().rutas.empty());
    EXPECT_TRUE(dialogos.mensajes.empty());
}

// The same lists reach a pane by drag and drop: whatever carries them, a URI that would be cut
// to another path is dropped from the list, and blank lines cost nothing.
TEST_F(PortapapelesTest, ClipboardAndDropListsRefuseUrisThatWouldBeCutShort) {
    const std::string uno = tmp.Archivo("uno");
    const QByteArray lista = "file:///etc/passwd#x\r\nfile:///etc/passwd?y\r\n"
                             "file://elsewhere/etc/passwd\r\n" +
                             QByteArray::fromStdString("file://" + uno) + "\r\n";
    QMimeData arrastre;
    arrastre.setData("text/uri-list", lista);
    EXPECT_EQ(LeerDatosArchivos(&arrastre).rutas, (std::vector<std::string>{uno}));
    QMimeData copiados;
    copiados.setData("x-special/gnome-copied-files", "cut\nfile:///etc/passwd#x\n");
    EXPECT_TRUE(LeerDatosArchivos(&copiados).rutas.empty());
    QMimeData texto;
    texto.setText(QStringLiteral("file:///etc/passwd?x=1\n"));
    EXPECT_TRUE(LeerDatosArchivos(&texto).rutas.empty());

    const DatosAjenos enorme("text/uri-list", QByteArray(20 * 1024 * 1024, '\n') +
                                                  QByteArray::fromStdString("file://" + uno));
    EXPECT_EQ(LeerDatosArchivos(&enorme).rutas, (std::vector<std::string>{uno}));
    EXPECT_TRUE(dialogos.mensajes.empty());
}

TEST_F(PortapapelesTest, DrivesAreNotPutOnTheClipboard) {
    prueba::UnidadesFijas unidades({{"/", "ext4", "/dev/vda", "", 3},
                                    {"/media/usb/", "vfat", "/dev/sdb1", "STICK", 7}});
    QGuiApplication::clipboard()->setText("before");
    EXPECT_FALSE(PonerEnPortapapeles({tmp.Ruta("a"), "/media/usb/"}));
    EXPECT_FALSE(PonerEnPortapapeles({"/"}));
    EXPECT_EQ(dialogos.mensajes, (std::vector<std::string>{"Can't copy drives to clipboard.",
                                                           "Can't copy drives to clipboard."}));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "before");
}

}  // namespace
}  // namespace quirvex
