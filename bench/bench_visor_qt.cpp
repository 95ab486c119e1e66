// The pane's painting and start-up against their yardsticks, in one run:
//  (f) load + label fitting + first painted viewport of a real pane on a large folder, in icons
//      and in details mode, against the bare CargarContenido of the same folder;
//  (g) painting one full viewport and scrolling one page at 1920 × 1080, icons and details;
//  (i) the program started to its first painted frame on an empty folder, against an empty Qt
//      Widgets window started the same way;
//  (j) picture previews: first painted frame in preview mode against icons mode on a folder of
//      photos, one page scroll on the user-interface thread while previews decode, and the time
//      until every visible preview is shown against the time the pool alone needs for them;
//  (k) the second visit to the photos: a new pane in preview mode, the thumbnails of the first
//      visit in the shared cache, until every visible preview is shown, against icons mode;
//  (s) select all (Ctrl+E) and invert (Ctrl+I) on the large folder through the real frame, key
//      to idle.
// Usage: bench_visor_qt fotos DIR N
//        bench_visor_qt medir LARGE_FOLDER EMPTY_FOLDER PHOTO_FOLDER QUIRVEX EMPTY_WINDOW [PARTS]
// (bench/run_visor.sh makes the folders and passes the programs.)

#include <QApplication>
#include <QBuffer>
#include <QFileInfo>
#include <QColor>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "folder/cache_listados.h"
#include "folder/cola_previews_qt.h"
#include "folder/contenido_visor.h"
#include "folder/iconos_qt.h"
#include "frame/arranque_qt.h"
#include "frame/mdi_qt.h"
#include "pane/frm_main_qt.h"
#include "pane/visor_qt.h"
#include "settings/idioma.h"
#include "settings/opciones.h"

using namespace quirvex;

namespace {

constexpr int kAncho = 1920;
constexpr int kAlto = 1080;

double Ms(const QElapsedTimer& t) { return static_cast<double>(t.nsecsElapsed()) / 1e6; }

double Mediana(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

void Linea(const char* nombre, double valor, const char* unidad, double objetivo) {
    std::printf("%-62s %9.2f %-3s target <= %-5g %s\n", nombre, valor, unidad, objetivo,
                valor <= objetivo ? "met" : "MISSED");
    std::fflush(stdout);
}

void Dato(const char* nombre, double ms) {
    std::printf("    %-58s %9.1f ms\n", nombre, ms);
    std::fflush(stdout);
}

void Esperar(auto&& hecho, int limiteMs = 120000) {
    QElapsedTimer t;
    t.start();
    while (!hecho() && t.elapsed() < limiteMs) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// --- photos -------------------------------------------------------------------------------

// A 4000 × 3000 picture with soft gradients under grain, the kind of content that makes a
// camera JPEG of some 3.3 MB.
QImage Foto(int semilla, int grano) {
    QImage img(4000, 3000, QImage::Format_RGB32);
    QRandomGenerator r(static_cast<quint32>(semilla));
    const int fase = semilla * 37;
    for (int y = 0; y < img.height(); ++y) {
        auto* fila = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            const int ruido = static_cast<int>(r.bounded(2 * grano + 1)) - grano;
            const int rr = std::clamp((x + fase) % 512 / 2 + ruido, 0, 255);
            const int gg = std::clamp((y * 255) / 3000 + ruido, 0, 255);
            const int bb = std::clamp(((x + y) / 24 + fase) % 256 + ruido, 0, 255);
            fila[x] = qRgb(rr, gg, bb);
        }
    }
    return img;
}

qint64 TamanoJpeg(const QImage& img) {
    QBuffer b;
    b.open(QIODevice::WriteOnly);
    img.save(&b, "JPG", 90);
    return b.size();
}

int GenerarFotos(const QString& carpeta, int n) {
    QDir().mkpath(carpeta);
    // The grain that brings the first picture closest to 3.3 MB decides for all of them.
    constexpr qint64 kObjetivo = 3'300'000;
    int grano = 0;
    qint64 distancia = -1;
    for (int g : {4, 6, 8, 9, 10, 11, 12, 14, 16, 24}) {
        const qint64 d = std::llabs(TamanoJpeg(Foto(1, g)) - kObjetivo);
        if (distancia < 0 || d < distancia) {
            distancia = d;
            grano = g;
        }
    }
    // A few different pictures, copied under every name: each file is still decoded whole.
    constexpr int kDistintas = 6;
    auto base = [&](int k) { return carpeta + QStringLiteral("/base_%1.jpg").arg(k); };
    for (int k = 0; k < kDistintas; ++k) Foto(k + 1, grano).save(base(k), "JPG", 90);
    for (int i = 0; i < n; ++i)
        QFile::copy(base(i % kDistintas), carpeta + QStringLiteral("/foto_%1.jpg").arg(i, 4, 10, QLatin1Char('0')));
    for (int k = 0; k < kDistintas; ++k) QFile::remove(base(k));
    std::printf("%d photos of 4000 x 3000, %lld bytes each\n", n,
                QFileInfo(carpeta + "/foto_0000.jpg").size());
    return 0;
}

// --- a real pane ----------------------------------------------------------------------------

struct Panel {
    explicit Panel(const std::string& inicio, int modo) {
        host = std::make_unique<frmMain>();
        host->resize(kAncho, kAlto);
        host->CargarVisores(QString::fromStdString(inicio));
        host->show();
        QCoreApplication::processEvents();
        v = host->aVisor();
        v->SetViewMode(modo);
        QCoreApplication::processEvents();
    }
    std::unique_ptr<frmMain> host;
    cVisor* v = nullptr;
};

// Loads a folder not read before into the pane and paints it: the (f) figure.
double CargarYPintar(Panel& p, const std::string& carpeta, const std::string& vacia) {
    p.v->CargarContenido(vacia);
    mvCache::Vaciar();
    QElapsedTimer t;
    t.start();
    p.v->CargarContenido(carpeta);
    p.host->repaint();
    return Ms(t);
}

double CargaDesnuda(const std::string& carpeta) {
    cContenidoVisor c;
    mvCache::Vaciar();
    QElapsedTimer t;
    t.start();
    c.CargarContenido(carpeta, true);
    return Ms(t);
}

// Wall time, and the processor time of this process meanwhile: on a machine shared with other
// work the second one says what the painting itself cost (no other thread of this process runs
// while icons and details are painted).
struct Medida {
    double pared = 0;
    double cpu = 0;
};

Medida Medir(auto&& trabajo) {
    QElapsedTimer t;
    const std::clock_t c0 = std::clock();
    t.start();
    trabajo();
    return {Ms(t), 1000.0 * static_cast<double>(std::clock() - c0) / CLOCKS_PER_SEC};
}

Medida PintarVista(Panel& p) {
    return Medir([&] {
        p.v->ReubicarIconos();
        p.v->repaint();
    });
}

int Pagina(const cVisor& v) { return v.Distribucion().FilasPagina() * v.Distribucion().Geometria().IcoH; }

// One page down, or back to the top at the end.
Medida PasarPagina(Panel& p) {
    const int destino = p.v->vsbValue() + Pagina(*p.v) > p.v->Barra().vsbMax() ? 0 : p.v->vsbValue() + Pagina(*p.v);
    return Medir([&] {
        p.v->SetVsbValue(destino);
        p.v->repaint();
    });
}

void LineasMedidas(const std::string& que, const std::vector<Medida>& m) {
    std::vector<double> pared, cpu;
    for (const Medida& x : m) {
        pared.push_back(x.pared);
        cpu.push_back(x.cpu);
    }
    Linea((que + ", median").c_str(), Mediana(pared), "ms", 8);
    Linea("    the same, processor time, median", Mediana(cpu), "ms", 8);
    Dato((que.substr(4) + ", slowest of " + std::to_string(m.size())).c_str(),
         *std::max_element(pared.begin(), pared.end()));
}

void MedirPanel(const std::string& grande, const std::string& vacia, bool conCarga) {
    double desnuda = 1e30;
    const int rondas = conCarga ? 3 : 0;
    for (int i = 0; i < rondas; ++i) desnuda = std::min(desnuda, CargaDesnuda(grande));
    if (conCarga) Dato("bare CargarContenido (the unit of (f))", desnuda);
    for (int modo : {MODO_ICONOS, MODO_DETALLES}) {
        const char* nombre = modo == MODO_ICONOS ? "icons" : "details";
        Panel p(vacia, modo);
        double carga = 1e30;
        for (int i = 0; i < std::max(rondas, 1); ++i) carga = std::min(carga, CargarYPintar(p, grande, vacia));
        if (conCarga) {
            Dato((std::string(nombre) + ": load + fit + first paint").c_str(), carga);
            Linea((std::string("(f) ") + nombre + ": load + first paint / bare load").c_str(), carga / desnuda,
                  "x", 1.5);
        }
        std::vector<Medida> vistas;
        for (int i = 0; i < 15; ++i) vistas.push_back(PintarVista(p));
        LineasMedidas(std::string("(g) ") + nombre + ": paint one full viewport", vistas);
        p.v->SetVsbValue(0);
        std::vector<Medida> paginas;
        for (int i = 0; i < 15; ++i) paginas.push_back(PasarPagina(p));
        LineasMedidas(std::string("(g) ") + nombre + ": scroll one page (rows never shown before)", paginas);
    }
}

// --- previews -----------------------------------------------------------------------------

void LeerTodo(const std::string& carpeta) {
    for (const QFileInfo& f : QDir(QString::fromStdString(carpeta)).entryInfoList(QDir::Files)) {
        QFile a(f.filePath());
        if (a.open(QIODevice::ReadOnly)) (void)a.readAll();
    }
}

// A thumbnail cache of its own, empty, for the rest of the run; nor is any preview remembered.
void CacheMiniaturasNueva(QTemporaryDir& dir) {
    qputenv("XDG_CACHE_HOME", QFile::encodeName(dir.path()));
    cPreviewsRecordadas::Programa().Vaciar();
}

bool PreviewsListas(const cVisor& v) {
    const cColaPreviews* c = v.Iconos().Cola();
    return v.Iconos().PreviewsPendientes() == 0 && c->Esperando() == 0 && c->Decodificando() == 0;
}

void MedirPreviews(const std::string& fotos, const std::string& vacia) {
    LeerTodo(fotos);
    // Every round decodes: no thumbnail of an earlier round or run is found.
    std::vector<std::unique_ptr<QTemporaryDir>> caches;
    double mostradas = 1e30, pool = 1e30;
    int visibles = 0;
    std::vector<double> paginas;
    for (int ronda = 0; ronda < 2; ++ronda) {
        CacheMiniaturasNueva(*caches.emplace_back(std::make_unique<QTemporaryDir>()));
        Panel p(vacia, MODO_PREVIEW);
        QElapsedTimer t;
        t.start();
        p.v->CargarContenido(fotos);
        p.host->repaint();
        Esperar([&] { return PreviewsListas(*p.v); });
        QCoreApplication::processEvents();
        p.host->repaint();
        mostradas = std::min(mostradas, Ms(t));
        const auto [desde, hasta] = p.v->Distribucion().ItemsVisibles(0, p.v->nItems());
        visibles = hasta - desde + 1;

        // The pool alone on the same pictures, as many threads, nothing painted.
        std::vector<std::string> rutas;
        for (int i = desde; i <= hasta; ++i)
            rutas.push_back(fotos + p.v->Contenido().Items[static_cast<size_t>(i)].Nombre);
        CacheMiniaturasNueva(*caches.emplace_back(std::make_unique<QTemporaryDir>()));
        int listas = 0;
        cColaPreviews cola([&](ResultadoPreview&&) { ++listas; });
        const int tam = p.v->Distribucion().Geometria().IcoDW;
        QElapsedTimer tp;
        tp.start();
        for (const std::string& r : rutas) cola.Pedir({r, r, tam, 0, 0, 1, -1});
        Esperar([&] { return listas == static_cast<int>(rutas.size()); });
        pool = std::min(pool, Ms(tp));

        // Paging on while the new rows decode: the user-interface thread's part of each page.
        for (int i = 0; i < 8; ++i) {
            paginas.push_back(PasarPagina(p).pared);
            QElapsedTimer pausa;
            pausa.start();
            Esperar([&] { return pausa.elapsed() >= 60; });
        }
    }
    Dato(("pool alone: decode the " + std::to_string(visibles) + " visible previews").c_str(), pool);
    Dato("pane: load, paint, every visible preview shown", mostradas);
    Linea("(j) all visible previews shown / pool decode time", mostradas / pool, "x", 1.2);
    Linea("(j) one page scroll in preview mode while decoding, median", Mediana(paginas), "ms", 16);
    Dato("preview mode: page scroll, slowest of 16", *std::max_element(paginas.begin(), paginas.end()));
}

double MostrarEnModo(const std::string& fotos, const std::string& vacia, int modo) {
    Panel p(vacia, modo);
    mvCache::Vaciar();
    QElapsedTimer t;
    t.start();
    p.v->CargarContenido(fotos);
    p.host->repaint();
    if (modo == MODO_PREVIEW) {
        Esperar([&] { return PreviewsListas(*p.v); });
            QCoreApplication::processEvents();
        p.host->repaint();
    }
    return Ms(t);
}

// The second visit: a new pane (nothing in its memory) on the photos whose thumbnails the first
// visit left in the shared cache.
void MedirSegundaVisita(const std::string& fotos, const std::string& vacia) {
    QTemporaryDir cache;
    CacheMiniaturasNueva(cache);
    LeerTodo(fotos);
    const double primera = MostrarEnModo(fotos, vacia, MODO_PREVIEW);
    // The previews of the first visit are remembered by the program; a program started anew has
    // only the thumbnail cache, which the rounds with the memory emptied measure.
    std::vector<double> iconos, previews, deDisco;
    for (int ronda = 0; ronda < 7; ++ronda) {
        iconos.push_back(MostrarEnModo(fotos, vacia, MODO_ICONOS));
        previews.push_back(MostrarEnModo(fotos, vacia, MODO_PREVIEW));
        cPreviewsRecordadas::Programa().Vaciar();
        deDisco.push_back(MostrarEnModo(fotos, vacia, MODO_PREVIEW));
    }
    Dato("first visit, preview mode: every visible preview shown", primera);
    Dato("icons mode: load and paint, median of 7", Mediana(iconos));
    Dato("second visit, preview mode: every visible preview shown, median of 7", Mediana(previews));
    Dato("the same from the thumbnail cache alone (program started anew), median of 7", Mediana(deDisco));
    Linea("(k) second visit, all visible previews shown / icons mode", Mediana(previews) / Mediana(iconos),
          "x", 1.1);
    Linea("(k) the same from the thumbnail cache alone / icons mode", Mediana(deDisco) / Mediana(iconos), "x",
          1.1);
}

// --- select all in the frame ----------------------------------------------------------------

// A key as the keyboard gives it, to whatever holds the focus, and the time until the events it
// caused (the repaint included) have all run.
double TeclaHastaReposo(Qt::Key tecla, Qt::KeyboardModifiers mods) {
    QWidget* foco = QApplication::focusWidget();
    if (!foco) return -1;
    QElapsedTimer t;
    t.start();
    QKeyEvent pulsar(QEvent::KeyPress, tecla, mods);
    QKeyEvent soltar(QEvent::KeyRelease, tecla, mods);
    QApplication::sendEvent(foco, &pulsar);
    QApplication::sendEvent(foco, &soltar);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    return Ms(t);
}

// (s) Ctrl+E (select all) then Ctrl+I (invert) on the large folder, through the real frame.
void MedirSeleccionMarco(const std::string& grande) {
    MDI marco([](MDI& m) -> VentanaTab* { return new frmMain(&m, SiguienteIdTab()); }, false);
    marco.resize(kAncho, kAlto);
    marco.MDIForm_Load(QString::fromStdString(grande));
    marco.show();
    Esperar([] { return false; }, 300);
    auto* tab = dynamic_cast<frmMain*>(marco.TabActual());
    if (!tab || !tab->aVisor()) return;
    cVisor* v = tab->aVisor();
    v->picM()->setFocus();
    QCoreApplication::processEvents();
    std::vector<double> todo, invertir;
    for (int i = 0; i < 5; ++i) {
        todo.push_back(TeclaHastaReposo(Qt::Key_E, Qt::ControlModifier));
        invertir.push_back(TeclaHastaReposo(Qt::Key_I, Qt::ControlModifier));
    }
    std::printf("    %d items in the pane, %zu selected after the last invert\n", v->nItems(),
                v->Seleccion().ListaSel().size());
    Linea("(s) frame: Ctrl+E (select all) key to idle, median of 5", Mediana(todo), "ms", 30);
    Linea("(s) frame: Ctrl+I (invert) key to idle, median of 5", Mediana(invertir), "ms", 30);
}

// --- start-up -----------------------------------------------------------------------------

// A settings folder where the language is chosen (no first-run question) and the default view
// is the given mode; written before every run, since a run saves its tabs on the way out.
void PrepararConfig(const QString& config, int vista) {
    QDir().mkpath(config + "/Ubrel");
    QFile f(config + "/Ubrel/Halvord.reg");
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(QStringLiteral("Windows Registry Editor Version 5.00\r\n\r\n"
                           "[HKEY_CURRENT_USER\\Software\\Ubrel\\Halvord]\r\n"
                           "\"Language\"=dword:00000000\r\n"
                           "\"Default View\"=dword:%1\r\n")
                .arg(vista, 8, 16, QLatin1Char('0'))
                .toLatin1());
}

// Milliseconds from starting the process to its "painted" line; negative when it never came.
double HastaPrimeraPintura(const QString& programa, const QStringList& args, const QString& config) {
    QProcess pr;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", config);
    pr.setProcessEnvironment(env);
    pr.setProcessChannelMode(QProcess::SeparateChannels);
    QElapsedTimer t;
    t.start();
    pr.start(programa, args);
    QByteArray salida;
    double ms = -1;
    while (pr.waitForReadyRead(60000)) {
        salida += pr.readAllStandardOutput();
        if (salida.contains("painted")) {
            ms = Ms(t);
            break;
        }
    }
    if (!pr.waitForFinished(30000)) pr.kill();
    return ms;
}

double MedianaArranques(const QString& programa, const QStringList& args, const QString& config,
                        int vista, int veces) {
    std::vector<double> v;
    for (int i = 0; i < veces; ++i) {
        PrepararConfig(config, vista);
        const double ms = HastaPrimeraPintura(programa, args, config);
        if (ms < 0) {
            std::printf("    %s did not report its first paint\n", qPrintable(programa));
            return -1;
        }
        v.push_back(ms);
    }
    return Mediana(v);
}

void MedirArranque(const QString& quirvex, const QString& vacia, const QString& carpetaVacia,
                   const QString& fotos) {
    QTemporaryDir config;
    const QStringList args{"--exit-after-first-paint"};
    const double qt = MedianaArranques(vacia, {}, config.path(), 0, 7);
    const double programa = MedianaArranques(quirvex, args + QStringList{carpetaVacia}, config.path(), 0, 7);
    Dato("empty Qt Widgets window to its first paint, median of 7", qt);
    Dato("the program on an empty folder to its first paint, median of 7", programa);
    if (qt > 0 && programa > 0) Linea("(i) start-up to first paint / empty Qt window", programa / qt, "x", 3);
    const double iconos = MedianaArranques(quirvex, args + QStringList{fotos}, config.path(), MODO_ICONOS, 5);
    const double preview = MedianaArranques(quirvex, args + QStringList{fotos}, config.path(), MODO_PREVIEW, 5);
    Dato("photos, icons mode: start to first paint, median of 5", iconos);
    Dato("photos, preview mode: start to first paint, median of 5", preview);
    if (iconos > 0 && preview > 0) Linea("(j) first paint, preview mode / icons mode", preview / iconos, "x", 1.2);
}

std::string ConBarra(std::string s) {
    if (s.empty() || s.back() != '/') s += '/';
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList a = QCoreApplication::arguments();
    if (a.size() == 4 && a[1] == "fotos") return GenerarFotos(a[2], a[3].toInt());
    if ((a.size() != 7 && a.size() != 8) || a[1] != "medir") {
        std::fprintf(stderr,
                     "usage: %s fotos DIR N\n"
                     "       %s medir LARGE_FOLDER EMPTY_FOLDER PHOTO_FOLDER QUIRVEX EMPTY_WINDOW [PARTS]\n"
                     "PARTS: any of f g j k s i (default all; g alone skips the load timing)\n",
                     argv[0], argv[0]);
        return 2;
    }
    PrepararNucleo();
    CargarIdiomaIncorporado(0);
    AplicarTextoMiPC();
    const std::string grande = ConBarra(a[2].toStdString());
    const std::string vacia = ConBarra(a[3].toStdString());
    const std::string fotos = ConBarra(a[4].toStdString());
    std::printf("pane at %d x %d, offscreen platform; %d decode threads\n", kAncho, kAlto,
                cColaPreviews([](ResultadoPreview&&) {}).Hilos());
    const QString partes = a.size() == 8 ? a[7] : QStringLiteral("fgjksi");
    if (partes.contains('f') || partes.contains('g')) MedirPanel(grande, vacia, partes.contains('f'));
    if (partes.contains('j')) MedirPreviews(fotos, vacia);
    if (partes.contains('k')) MedirSegundaVisita(fotos, vacia);
    if (partes.contains('s')) MedirSeleccionMarco(grande);
    if (partes.contains('i')) MedirArranque(a[5], a[6], a[3], a[4]);
    return 0;
}
