#include "search/indice_nombres.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <exception>
#include <unordered_map>

#include "folder/texto.h"
#include "platform/memoria.h"
#include "search/barrido_nombres.h"

namespace quirvex {
namespace {

using barrido::EsTerminador;
using barrido::FinDesde;

// The last byte tells the version: an older image is refused, and the server builds anew.
constexpr char kMagia[8] = {'Q', 'X', 'M', 'A', 'P', 0, 0, 2};
// Magic, folders, entries, body length, checksum, folded-buffer and original-names sizes.
constexpr std::size_t kCabecera = 8 + 6 * 8;
constexpr std::size_t kPosSuma = 32;
// Positions are 32-bit: the name buffer stays below this.
constexpr std::size_t kMaxBuffer = 0xFFFFFFF0u;
// A folder modified this close to its listing may have changed within the same time stamp
// (coarse kernel clocks; two seconds on FAT).
constexpr std::int64_t kMargenRecienteNs = 2'000'000'000;
// The flags byte of a folder in the file image.
constexpr unsigned char kBitAjena = 1, kBitReciente = 2;

std::int64_t AhoraNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}


// A buffer the size it holds, in large pages where the system has them: the name buffer is
// filled once and scanned whole by every search.
void Ajustar(std::string& s) {
    if (s.capacity() - s.size() <= s.size() / 64) return;
    std::string t;
    t.reserve(s.size());
    PaginasGrandes(t.data(), t.capacity());
    t.append(s);
    s.swap(t);
}


std::uint16_t ProfundidadRaiz(std::string_view raiz) {
    return static_cast<std::uint16_t>(std::max<std::ptrdiff_t>(0, std::count(raiz.begin(), raiz.end(), '/') - 1));
}

void PonerVar(std::string& s, std::uint64_t v) {
    while (v >= 0x80) {
        s.push_back(static_cast<char>((v & 0x7F) | 0x80));
        v >>= 7;
    }
    s.push_back(static_cast<char>(v));
}

void PonerU64(std::string& s, std::uint64_t v) {
    for (int i = 0; i < 8; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

std::uint64_t LeerU64(const char* p) {
    std::uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(p[i]);
    return v;
}

// Eight bytes a step, each step a bijection of the state: any one changed word changes the sum.
// A byte-wise hash took a tenth of the load time on a large index.
std::uint64_t Suma(std::string_view d, std::uint64_t h) {
    auto paso = [&h](std::uint64_t w) {
        h = (h ^ w) * 0x9E3779B97F4A7C15ULL;
        h ^= h >> 29;
    };
    std::size_t i = 0;
    for (; i + 8 <= d.size(); i += 8) {
        std::uint64_t w;
        std::memcpy(&w, d.data() + i, 8);
        paso(w);
    }
    std::uint64_t resto = d.size() - i;
    for (std::size_t j = 0; i + j < d.size(); ++j) resto |= static_cast<std::uint64_t>(static_cast<unsigned char>(d[i + j])) << (8 * (j + 1));
    paso(resto);
    return h;
}

// The sum of an image: its header (with the sum's own field as zero) and its body.
std::uint64_t SumaImagen(std::string_view imagen) {
    std::string cabecera(imagen.substr(0, kCabecera));
    std::memset(cabecera.data() + kPosSuma, 0, 8);
    return Suma(imagen.substr(kCabecera), Suma(cabecera, 0x243F6A8885A308D3ULL));
}

// Reads the body of an index image; every read is bounded by what is left.
class LectorCuerpo {
public:
    explicit LectorCuerpo(std::string_view d) : d_(d) {}
    bool Var(std::uint64_t& v) {
        v = 0;
        for (int despl = 0; despl < 64; despl += 7) {
            if (pos_ >= d_.size()) return false;
            const auto b = static_cast<unsigned char>(d_[pos_++]);
            v |= static_cast<std::uint64_t>(b & 0x7F) << despl;
            if (!(b & 0x80)) return true;
        }
        return false;
    }
    bool Bytes(std::size_t n, std::string_view& out) {
        if (d_.size() - pos_ < n) return false;
        out = d_.substr(pos_, n);
        pos_ += n;
        return true;
    }
    bool Fin() const { return pos_ == d_.size(); }

private:
    std::string_view d_;
    std::size_t pos_ = 0;
};

bool NombreValido(std::string_view n) {
    return !n.empty() && n != "." && n != ".." && n.find('/') == std::string_view::npos &&
           n.find('\0') == std::string_view::npos;
}

}  // namespace

void cIndiceNombres::Vaciar() {
    raices_.clear();
    carpetas_.clear();
    nombresCarpetas_.clear();
    tabla_.clear();
    enTabla_ = carpetasVivas_ = 0;
    plegados_.assign(1, '\0');
    nombres_.clear();
    originales_.clear();
    tramos_.clear();
    vivas_ = retiradas_ = 0;
    std::fill(std::begin(frecuencia_), std::end(frecuencia_), 0u);
}

namespace {
std::size_t HashCarpeta(std::uint32_t padre, std::string_view nombre) {
    std::uint64_t h = 1469598103934665603ULL ^ padre;
    for (unsigned char c : nombre) {
        h ^= c;
        h *= 1099511628211ULL;
    }
    return static_cast<std::size_t>(h ^ (h >> 29));
}
}  // namespace

std::uint32_t cIndiceNombres::BuscarHija(std::uint32_t padre, std::string_view nombre) const {
    if (tabla_.empty()) return kNinguna;
    const std::size_t mascara = tabla_.size() - 1;
    for (std::size_t i = HashCarpeta(padre, nombre) & mascara;; i = (i + 1) & mascara) {
        const std::uint32_t id = tabla_[i];
        if (id == kNinguna) return kNinguna;
        const Carpeta& c = carpetas_[id];
        if (c.viva && c.padre == padre && NombreCarpeta(id) == nombre) return id;
    }
}

void cIndiceNombres::RehacerTabla() {
    std::size_t tam = 64;
    while (tam < 4 * (carpetasVivas_ + 1)) tam *= 2;
    tabla_.assign(tam, kNinguna);
    enTabla_ = 0;
    for (std::uint32_t id = 0; id < carpetas_.size(); ++id) {
        if (!carpetas_[id].viva) continue;
        std::size_t i = HashCarpeta(carpetas_[id].padre, NombreCarpeta(id)) & (tam - 1);
        while (tabla_[i] != kNinguna) i = (i + 1) & (tam - 1);
        tabla_[i] = id;
        ++enTabla_;
    }
}

void cIndiceNombres::IndexarCarpeta(std::uint32_t id) {
    // Dead ids keep their slots until the table is rebuilt, which counts only the live ones.
    if ((enTabla_ + 1) * 2 > tabla_.size()) {
        RehacerTabla();
        return;
    }
    const std::size_t mascara = tabla_.size() - 1;
    std::size_t i = HashCarpeta(carpetas_[id].padre, NombreCarpeta(id)) & mascara;
    while (tabla_[i] != kNinguna) i = (i + 1) & mascara;
    tabla_[i] = id;
    ++enTabla_;
}

std::uint32_t cIndiceNombres::NuevaCarpeta(std::uint32_t padre, std::string_view nombre) {
    const auto id = static_cast<std::uint32_t>(carpetas_.size());
    Carpeta c;
    c.nombre = static_cast<std::uint32_t>(nombresCarpetas_.size());
    nombresCarpetas_.append(nombre);
    nombresCarpetas_.push_back('\0');
    c.padre = padre;
    if (padre != kNinguna) {
        Carpeta& p = carpetas_[padre];
        c.profundidad = static_cast<std::uint16_t>(p.profundidad + 1);
        c.siguiente = p.primeraHija;
        p.primeraHija = id;
    } else {
        c.profundidad = ProfundidadRaiz(nombre);
    }
    c.inicio = c.fin = static_cast<std::uint32_t>(plegados_.size());
    carpetas_.push_back(c);
    ++carpetasVivas_;
    IndexarCarpeta(id);
    return id;
}

void cIndiceNombres::AgregarEntrada(std::string_view nombre, bool carpeta) {
    const std::size_t pos = plegados_.size();
    // Beyond what positions can tell: the name is left out, and counted for the owner's log.
    if (pos + 4 * nombre.size() + 2 >= std::min(kMaxBuffer, limiteBuffer)) {
        ++descartados_;
        return;
    }
    // Plain ASCII names (most of them) fold byte by byte: Unicode's simple case mapping of
    // ASCII is A-Z to a-z and nothing else. Every other name goes through the shared key (form C,
    // then the program's case mapping), which the text searched for goes through as well.
    bool ascii = true, mayusculas = false;
    for (char c : nombre) {
        const auto u = static_cast<unsigned char>(c);
        ascii &= u < 0x80;
        mayusculas |= static_cast<unsigned char>(u - 'A') < 26;
    }
    bool distinto = mayusculas;
    if (ascii) {
        plegados_.append(nombre);
        if (mayusculas)
            for (std::size_t i = pos; i < plegados_.size(); ++i)
                if (plegados_[i] >= 'A' && plegados_[i] <= 'Z') plegados_[i] = static_cast<char>(plegados_[i] + ('a' - 'A'));
    } else {
        plegados_.append(Plegar(nombre));
        distinto = std::string_view(plegados_).substr(pos) != nombre;
    }
    // A name that is its own folded form is kept once.
    if (distinto) {
        originales_.push_back(Original{static_cast<std::uint32_t>(pos), static_cast<std::uint32_t>(nombres_.size())});
        nombres_.append(nombre);
        nombres_.push_back('\0');
    }
    plegados_.push_back(carpeta ? '/' : '\0');
    ++vivas_;
}

void cIndiceNombres::CerrarListado(std::uint32_t id) {
    Carpeta& c = carpetas_[id];
    c.fin = static_cast<std::uint32_t>(plegados_.size());
    if (c.fin > c.inicio) tramos_.push_back(Tramo{c.inicio, id});
}

bool cIndiceNombres::ListarUna(std::uint32_t id, ArbolIndice& arbol,
                               std::vector<NombreListado>& lista) {
    EstadoCarpeta estado;
    const std::string ruta = RutaCarpeta(id);
    const bool oida = antesDeListar && antesDeListar(id, ruta);
    const std::int64_t inicio = AhoraNs();
    const bool ok = arbol.Listar(ruta, estado, lista);
    Carpeta& c = carpetas_[id];
    c.inicio = c.fin = static_cast<std::uint32_t>(plegados_.size());
    c.confirmada = oida;
    if (!ok) return false;
    c.reciente = estado.modificacion > inicio - kMargenRecienteNs;
    c.modificacion = estado.modificacion;
    c.dispositivo = estado.dispositivo;
    c.ajena = c.padre != kNinguna && carpetas_[c.padre].dispositivo != estado.dispositivo;
    if (c.ajena) return false;
    // Kept by name, whatever order the file system lists in: a fresh index and a saved one
    // rank equal hits alike, and the saved image shares the beginnings of neighbouring names.
    std::sort(lista.begin(), lista.end(),
              [](const NombreListado& a, const NombreListado& b) { return a.nombre < b.nombre; });
    return true;
}

bool cIndiceNombres::ListarCola(std::vector<std::uint32_t>& cola, ArbolIndice& arbol,
                                std::vector<std::uint32_t>* nuevas) {
    std::vector<NombreListado> lista;
    for (std::size_t i = 0; i < cola.size(); ++i) {
        if (interrumpir && interrumpir()) {
            cola.clear();
            return false;
        }
        const std::uint32_t id = cola[i];
        if (nuevas) nuevas->push_back(id);
        if (!ListarUna(id, arbol, lista)) continue;
        for (const NombreListado& n : lista) AgregarEntrada(n.nombre, n.carpeta);
        CerrarListado(id);
        // Subfolders after the listing: their records must not split it.
        for (const NombreListado& n : lista)
            if (n.carpeta) cola.push_back(NuevaCarpeta(id, n.nombre));
    }
    cola.clear();
    return true;
}

bool cIndiceNombres::Construir(const std::vector<std::string>& raices, ArbolIndice& arbol) {
    Vaciar();
    std::vector<std::uint32_t> cola;
    for (const std::string& r : raices) {
        if (r.empty() || r.front() != '/' || r.back() != '/' || BuscarHija(kNinguna, r) != kNinguna) continue;
        raices_.push_back(r);
        cola.push_back(NuevaCarpeta(kNinguna, r));
    }
    const bool completo = ListarCola(cola, arbol, nullptr);
    ContarBytes();
    return completo;
}

void cIndiceNombres::Retirar(std::uint32_t id) {
    Carpeta& c = carpetas_[id];
    char* p = plegados_.data();
    std::size_t n = 0;
    for (std::uint32_t i = c.inicio; i < c.fin; ++i) n += EsTerminador(p[i]);
    // Zeroed, the old listing can never match a text again.
    std::memset(p + c.inicio, 0, c.fin - c.inicio);
    vivas_ -= n;
    retiradas_ += c.fin - c.inicio;
    c.inicio = c.fin;
}

void cIndiceNombres::MatarSubarbol(std::uint32_t id) {
    std::vector<std::uint32_t> pila{id};
    while (!pila.empty()) {
        const std::uint32_t f = pila.back();
        pila.pop_back();
        Carpeta& c = carpetas_[f];
        if (!c.viva) continue;
        if (alRetirarCarpeta) alRetirarCarpeta(f);
        Retirar(f);
        c.viva = false;
        --carpetasVivas_;
        for (std::uint32_t h = c.primeraHija; h != kNinguna; h = carpetas_[h].siguiente) pila.push_back(h);
    }
}

void cIndiceNombres::ReleerCarpeta(std::uint32_t id, ArbolIndice& arbol,
                                   std::vector<std::uint32_t>* nuevas) {
    if (id >= carpetas_.size() || !carpetas_[id].viva) return;
    // The live subfolders by name, unlinking dead ones from the sibling chain on the way.
    std::unordered_map<std::string, std::uint32_t> hijas;
    {
        std::uint32_t* enlace = &carpetas_[id].primeraHija;
        while (*enlace != kNinguna) {
            Carpeta& h = carpetas_[*enlace];
            if (!h.viva) {
                *enlace = h.siguiente;
                continue;
            }
            hijas.emplace(NombreCarpeta(*enlace), *enlace);
            enlace = &h.siguiente;
        }
    }
    Retirar(id);
    std::vector<NombreListado> lista;
    std::vector<std::uint32_t> cola;
    if (ListarUna(id, arbol, lista)) {
        for (const NombreListado& n : lista) AgregarEntrada(n.nombre, n.carpeta);
        CerrarListado(id);
        for (const NombreListado& n : lista) {
            if (!n.carpeta) continue;
            auto it = hijas.find(n.nombre);
            if (it != hijas.end()) {
                hijas.erase(it);  // still there: keeps its id and contents
                continue;
            }
            cola.push_back(NuevaCarpeta(id, n.nombre));
        }
    }
    for (const auto& [nombre, h] : hijas) MatarSubarbol(h);
    ListarCola(cola, arbol, nuevas);
    CompactarSiHaceFalta();
}

std::size_t cIndiceNombres::Revisar(ArbolIndice& arbol,
                                    const std::function<bool(std::uint32_t)>& mirar,
                                    std::vector<std::uint32_t>* nuevas) {
    std::size_t releidas = 0;
    // Folders added meanwhile were listed just now; only those that existed are looked at.
    const auto hasta = static_cast<std::uint32_t>(carpetas_.size());
    for (std::uint32_t id = 0; id < hasta; ++id) {
        if (interrumpir && interrumpir()) break;
        Carpeta& c = carpetas_[id];
        if (!c.viva || (mirar && !mirar(id))) continue;
        if (c.padre != kNinguna && !carpetas_[c.padre].viva) continue;
        const std::string ruta = RutaCarpeta(id);
        // Heard of from here on, a folder found unchanged is complete until its next change.
        const bool oida = antesDeListar && antesDeListar(id, ruta);
        const std::optional<EstadoCarpeta> e = arbol.Consultar(ruta);
        const bool ajena = e && c.padre != kNinguna && carpetas_[c.padre].dispositivo != e->dispositivo;
        if (e && ajena == c.ajena && (ajena || (e->modificacion == c.modificacion && !c.reciente))) {
            c.confirmada = oida;
            continue;
        }
        if (!e && c.padre != kNinguna) {
            // Gone: its parent's listing says so, and takes the subtree with it.
            ReleerCarpeta(c.padre, arbol, nuevas);
        } else {
            ReleerCarpeta(id, arbol, nuevas);
        }
        ++releidas;
    }
    return releidas;
}

void cIndiceNombres::CompactarSiHaceFalta() {
    if (retiradas_ < 16384 || retiradas_ < plegados_.size() - retiradas_) return;
    Compactar();
}

void cIndiceNombres::Compactar() {
    std::string pleg(1, '\0'), nom;
    pleg.reserve(plegados_.size() - retiradas_);
    PaginasGrandes(pleg.data(), pleg.capacity());
    std::vector<Original> orig;
    std::vector<Tramo> tramos;
    for (std::uint32_t id = 0; id < carpetas_.size(); ++id) {
        Carpeta& c = carpetas_[id];
        const auto inicio = static_cast<std::uint32_t>(pleg.size());
        if (c.viva && c.fin > c.inicio) {
            auto o = std::lower_bound(originales_.begin(), originales_.end(), c.inicio,
                                      [](const Original& a, std::uint32_t pos) { return a.pos < pos; });
            for (; o != originales_.end() && o->pos < c.fin; ++o) {
                orig.push_back(Original{o->pos - c.inicio + inicio, static_cast<std::uint32_t>(nom.size())});
                nom.append(nombres_.data() + o->off);
                nom.push_back('\0');
            }
            pleg.append(plegados_, c.inicio, c.fin - c.inicio);
            tramos.push_back(Tramo{inicio, id});
        }
        c.inicio = inicio;
        c.fin = static_cast<std::uint32_t>(pleg.size());
    }
    plegados_ = std::move(pleg);
    nombres_ = std::move(nom);
    originales_ = std::move(orig);
    tramos_ = std::move(tramos);
    retiradas_ = 0;
    ContarBytes();
}

void cIndiceNombres::ContarBytes() {
    std::fill(std::begin(frecuencia_), std::end(frecuencia_), 0u);
    for (unsigned char c : plegados_) ++frecuencia_[c];
    Ajustar(plegados_);
    nombres_.shrink_to_fit();
    nombresCarpetas_.shrink_to_fit();
    originales_.shrink_to_fit();
    tramos_.shrink_to_fit();
    carpetas_.shrink_to_fit();
}

std::string_view cIndiceNombres::NombreCarpeta(std::uint32_t carpeta) const {
    return std::string_view(nombresCarpetas_.data() + carpetas_[carpeta].nombre);
}

std::string cIndiceNombres::RutaCarpeta(std::uint32_t carpeta) const {
    std::vector<std::uint32_t> cadena;
    for (std::uint32_t c = carpeta; c != kNinguna; c = carpetas_[c].padre) cadena.push_back(c);
    std::string r;
    for (auto it = cadena.rbegin(); it != cadena.rend(); ++it) {
        r += NombreCarpeta(*it);
        if (r.back() != '/') r += '/';
    }
    return r;
}

std::optional<std::uint32_t> cIndiceNombres::CarpetaPorRuta(const std::string& ruta) const {
    const std::string r = ruta.empty() || ruta.back() == '/' ? ruta : ruta + "/";
    // The longest root that holds it: a volume mounted inside another is its own root.
    const std::string* raiz = nullptr;
    for (const std::string& x : raices_)
        if (r.starts_with(x) && (!raiz || x.size() > raiz->size())) raiz = &x;
    if (!raiz) return std::nullopt;
    std::uint32_t id = BuscarHija(kNinguna, *raiz);
    std::string_view resto = std::string_view(r).substr(raiz->size());
    while (id != kNinguna && !resto.empty()) {
        const std::size_t barra = resto.find('/');
        const std::string_view parte = resto.substr(0, barra);
        if (parte.empty()) return std::nullopt;
        id = BuscarHija(id, parte);
        resto.remove_prefix(barra + 1);
    }
    if (id == kNinguna) return std::nullopt;
    return id;
}

std::uint32_t cIndiceNombres::FinDeNombre(std::uint32_t entrada) const {
    // The buffer always ends with a terminator.
    return static_cast<std::uint32_t>(FinDesde(plegados_.data(), entrada, plegados_.size()));
}

std::string_view cIndiceNombres::Nombre(std::uint32_t entrada) const {
    const auto o = std::lower_bound(originales_.begin(), originales_.end(), entrada,
                                    [](const Original& a, std::uint32_t pos) { return a.pos < pos; });
    if (o != originales_.end() && o->pos == entrada) return std::string_view(nombres_.data() + o->off);
    return std::string_view(plegados_).substr(entrada, FinDeNombre(entrada) - entrada);
}

std::uint32_t cIndiceNombres::TramoDe(std::uint32_t pos) const {
    const auto t = std::upper_bound(tramos_.begin(), tramos_.end(), pos,
                                    [](std::uint32_t p, const Tramo& a) { return p < a.pos; });
    return static_cast<std::uint32_t>(t - tramos_.begin() - 1);
}

std::uint32_t cIndiceNombres::CarpetaDe(std::uint32_t entrada) const { return tramos_[TramoDe(entrada)].carpeta; }

bool cIndiceNombres::EsCarpeta(std::uint32_t entrada) const { return plegados_[FinDeNombre(entrada)] == '/'; }

std::vector<std::uint32_t> cIndiceNombres::EntradasDe(std::uint32_t carpeta) const {
    std::vector<std::uint32_t> r;
    const Carpeta& c = carpetas_[carpeta];
    if (!c.viva) return r;
    for (std::uint32_t e = c.inicio; e < c.fin; e = FinDeNombre(e) + 1) r.push_back(e);
    return r;
}

bool ForzarCaminoBarrido(CaminoBarrido camino) {
#if defined(__SSE2__)
    const bool puede = camino != CaminoBarrido::Avx2 || barrido::Avx2Disponible();
#else
    const bool puede = camino == CaminoBarrido::Auto || camino == CaminoBarrido::Simple;
#endif
    if (puede) barrido::CaminoForzado() = static_cast<int>(camino);
    return puede;
}

std::uint64_t cIndiceNombres::Buscar(std::string_view texto, std::size_t limite,
                                     std::vector<std::uint32_t>& aciertos) const {
    aciertos.clear();
    const std::string q = Plegar(texto);
    const std::size_t k = q.size();
    // No name holds a terminator: such a text matches nothing (and must not match across names).
    if (k == 0 || q.find_first_of(std::string_view("\0/", 2)) != std::string::npos || vivas_ == 0) return 0;

    // Ranked keys (class, depth, position of the hit) in a bounded max-heap: the worst kept on
    // top. Every nonzero byte is a live name, so a hit needs no look-up to count; positions only
    // grow, so a hit whose (class, depth) is no better than the worst kept one is out, and the
    // depth is that of the listing the last hit fell in until a hit passes its end.
    struct Rango {
        const char* base;
        std::size_t tam, k, limite;
        const std::vector<Tramo>& tramos;
        const std::vector<Carpeta>& carpetas;
        std::vector<std::uint64_t> monton;
        std::uint64_t total = 0;
        std::uint64_t tope = ~std::uint64_t{0};  // the worst kept key, once the heap is full
        std::size_t tramo = 0;
        std::size_t finTramo = 0;  // where the next listing starts
        std::uint64_t profundidad = 0;

        void Contar(std::size_t pos, std::uint64_t clase) {
            ++total;
            if (limite == 0 || (monton.size() == limite && (clase << 56) > tope)) return;
            if (pos >= finTramo) Avanzar(pos);
            const std::uint64_t clave = clase << 56 | profundidad << 40 | pos;
            if (monton.size() < limite) {
                monton.push_back(clave);
                std::push_heap(monton.begin(), monton.end());
                if (monton.size() == limite) tope = monton.front();
            } else if (clave < tope) {
                std::pop_heap(monton.begin(), monton.end());
                monton.back() = clave;
                std::push_heap(monton.begin(), monton.end());
                tope = monton.front();
            }
        }
        // Hits come in increasing order: gallop forward from the last listing, then bisect.
        [[gnu::noinline]] void Avanzar(std::size_t pos) {
            const std::size_t n = tramos.size();
            std::size_t lo = tramo, paso = 1, hi = lo + 1;
            while (hi < n && tramos[hi].pos <= pos) {
                lo = hi;
                paso *= 2;
                hi = std::min(n, hi + paso);
            }
            const auto t = std::upper_bound(tramos.begin() + static_cast<std::ptrdiff_t>(lo),
                                            tramos.begin() + static_cast<std::ptrdiff_t>(hi), pos,
                                            [](std::size_t p, const Tramo& x) { return p < x.pos; });
            tramo = static_cast<std::size_t>(t - tramos.begin()) - 1;
            finTramo = tramo + 1 < n ? tramos[tramo + 1].pos : ~std::size_t{0};
            profundidad = carpetas[tramos[tramo].carpeta].profundidad;
        }
        // A hit found without the round's masks. Returns the start of the next name.
        std::size_t Acierto(std::size_t pos) {
            const std::size_t fin = FinDesde(base, pos + k, tam);
            Contar(pos, !EsTerminador(base[pos - 1]) ? 2 : fin == pos + k ? 0 : 1);
            return fin + 1;
        }
    };
    const char* base = plegados_.data();
    const std::size_t tam = plegados_.size();
    Rango r{base, tam, k, limite, tramos_, carpetas_, {}};
    r.monton.reserve(limite + 1);
    r.Avanzar(tramos_.front().pos);

    // The two rarest bytes of the text pick the candidates; the rest is compared only there.
    std::size_t a = 0, b = k - 1;
    for (std::size_t i = 0; i < k; ++i)
        if (frecuencia_[static_cast<unsigned char>(q[i])] < frecuencia_[static_cast<unsigned char>(q[a])]) a = i;
    if (k > 1) {
        b = a == 0 ? 1 : 0;
        for (std::size_t i = 0; i < k; ++i)
            if (i != a && frecuencia_[static_cast<unsigned char>(q[i])] < frecuencia_[static_cast<unsigned char>(q[b])]) b = i;
    }
    // A text of one or two bytes is whole once those bytes match.
    std::size_t p = 1;
    std::size_t siguiente = 1;  // where the name after the last hit starts
#if defined(__SSE2__)
    if (barrido::CaminoForzado() != static_cast<int>(CaminoBarrido::Simple)) {
    // The candidates of a 64-byte round, as a mask of their starts.
    struct Candidatos {
        Rango& r;
        const char* base;
        std::size_t tam, k;
        const char* q;
        __m128i vq;          // the text's first 16 bytes, to compare a candidate in one step
        unsigned todosK;
        std::size_t& siguiente;

        void operator()(std::uint64_t m, std::size_t p) {
            // The round's terminators tell where a hit's name starts and ends, mostly without
            // looking further.
            const std::uint64_t t = barrido::Terminadores64(base + p);
            while (m) {
                const auto i = static_cast<std::size_t>(__builtin_ctzll(m));
                const std::size_t cand = p + i;
                m &= m - 1;
                if (cand < siguiente) continue;  // in a name that is counted already
                // A text of one or two bytes is whole once those bytes match.
                if (k > 2) {
                    if (cand + 16 <= tam && k <= 16) {
                        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + cand));
                        const auto iguales = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(c, vq)));
                        if ((iguales & todosK) != todosK) continue;
                    } else if (cand + k > tam || std::memcmp(base + cand, q, k) != 0) {
                        continue;
                    }
                }
                const std::uint64_t despues = i + k < 64 ? t >> (i + k) << (i + k) : 0;
                const std::size_t fin = despues ? p + static_cast<std::size_t>(__builtin_ctzll(despues))
                                                : FinDesde(base, std::max(cand + k, p + 64), tam);
                const bool inicio = i > 0 ? (t >> (i - 1)) & 1 : EsTerminador(base[cand - 1]);
                r.Contar(cand, !inicio ? 2 : fin == cand + k ? 0 : 1);
                siguiente = fin + 1;
            }
        }
    };
    alignas(16) char q16[16] = {};
    std::memcpy(q16, q.data(), std::min<std::size_t>(k, 16));
    Candidatos c{r, base, tam, k, q.data(), _mm_load_si128(reinterpret_cast<const __m128i*>(q16)),
                 k >= 16 ? 0xFFFFu : (1u << k) - 1, siguiente};
    const barrido::Ronda ronda{base + a, base + b, q[a], q[b], tam - std::min(tam, std::max(a, b) + 64)};
    p = barrido::ConAvx2() ? barrido::BarrerAvx2(ronda, p, c) : barrido::BarrerSse2(ronda, p, c);
    }
#endif
    const std::string_view todo(base, tam);
    p = std::max(p, siguiente);
    while (p + k <= tam) {
        const std::size_t hit = todo.find(q, p);
        if (hit == std::string_view::npos) break;
        p = r.Acierto(hit);
    }
    std::sort_heap(r.monton.begin(), r.monton.end());
    // Kept by where the text was found (one hit per name, so the order is the names'); the entry
    // is where its name starts.
    aciertos.reserve(r.monton.size());
    for (std::uint64_t clave : r.monton) {
        auto e = static_cast<std::uint32_t>(clave & 0xFFFFFFFFFFULL);
        while (!EsTerminador(base[e - 1])) --e;
        aciertos.push_back(e);
    }
    return r.total;
}

std::string cIndiceNombres::Serializar() const {
    // Live folders renumbered in id order (a parent always comes before its children).
    std::vector<std::uint32_t> nuevoId(carpetas_.size(), kNinguna);
    std::uint32_t n = 0;
    for (std::uint32_t id = 0; id < carpetas_.size(); ++id)
        if (carpetas_[id].viva) nuevoId[id] = n++;
    std::string cuerpo;
    cuerpo.reserve((plegados_.size() - retiradas_) / 2 + carpetas_.size() * 16);
    PonerVar(cuerpo, raices_.size());
    for (const std::string& r : raices_) {
        PonerVar(cuerpo, r.size());
        cuerpo += r;
    }
    std::uint64_t entradas = 0, tamPlegados = 1, tamNombres = 0;
    const char* base = plegados_.data();
    for (std::uint32_t id = 0; id < carpetas_.size(); ++id) {
        const Carpeta& c = carpetas_[id];
        if (!c.viva) continue;
        const std::string_view nombreCarpeta = NombreCarpeta(id);
        PonerVar(cuerpo, c.padre == kNinguna ? 0 : std::uint64_t{nuevoId[c.padre]} + 1);
        PonerVar(cuerpo, nombreCarpeta.size());
        cuerpo += nombreCarpeta;
        PonerVar(cuerpo, static_cast<std::uint64_t>(c.modificacion));
        PonerVar(cuerpo, c.dispositivo);
        cuerpo.push_back(static_cast<char>((c.ajena ? kBitAjena : 0) | (c.reciente ? kBitReciente : 0)));
        std::uint64_t cuantas = 0;
        for (std::uint32_t i = c.inicio; i < c.fin; ++i) cuantas += EsTerminador(base[i]);
        PonerVar(cuerpo, cuantas);
        // In the order kept (by name), each name as the length it shares with the one before and
        // the rest: names of one folder share their beginnings.
        auto o = std::lower_bound(originales_.begin(), originales_.end(), c.inicio,
                                  [](const Original& a, std::uint32_t pos) { return a.pos < pos; });
        std::string_view anterior;
        for (std::uint32_t e = c.inicio; e < c.fin;) {
            const std::uint32_t fin = FinDeNombre(e);
            std::string_view nom(base + e, fin - e);
            if (o != originales_.end() && o->pos == e) {
                nom = std::string_view(nombres_.data() + o->off);
                tamNombres += nom.size() + 1;
                ++o;
            }
            std::size_t comun = 0;
            const std::size_t tope = std::min<std::size_t>({anterior.size(), nom.size(), 255});
            while (comun < tope && anterior[comun] == nom[comun]) ++comun;
            PonerVar(cuerpo, comun << 1 | (base[fin] == '/' ? 1 : 0));
            PonerVar(cuerpo, nom.size() - comun);
            cuerpo.append(nom.substr(comun));
            anterior = nom;
            e = fin + 1;
        }
        entradas += cuantas;
        tamPlegados += c.fin - c.inicio;
    }
    std::string s(kMagia, sizeof kMagia);
    PonerU64(s, n);
    PonerU64(s, entradas);
    PonerU64(s, cuerpo.size());
    PonerU64(s, 0);
    PonerU64(s, tamPlegados);
    PonerU64(s, tamNombres);
    s += cuerpo;
    const std::uint64_t suma = SumaImagen(s);
    for (int i = 0; i < 8; ++i) s[kPosSuma + static_cast<std::size_t>(i)] = static_cast<char>((suma >> (8 * i)) & 0xFF);
    return s;
}

bool cIndiceNombres::Cargar(std::string_view datos) {
    Vaciar();
    auto fallo = [this] {
        Vaciar();
        return false;
    };
    if (datos.size() < kCabecera || std::memcmp(datos.data(), kMagia, sizeof kMagia) != 0) return fallo();
    const std::uint64_t nCarpetas = LeerU64(datos.data() + 8);
    const std::uint64_t nEntradas = LeerU64(datos.data() + 16);
    const std::uint64_t largo = LeerU64(datos.data() + 24);
    const std::uint64_t suma = LeerU64(datos.data() + kPosSuma);
    const std::uint64_t tamPlegados = LeerU64(datos.data() + 40);
    const std::uint64_t tamNombres = LeerU64(datos.data() + 48);
    const std::string_view cuerpo = datos.substr(kCabecera);
    // Every folder and entry takes at least two bytes: larger counts are lies.
    if (largo != cuerpo.size() || SumaImagen(datos) != suma || nCarpetas > largo / 2 ||
        nEntradas > largo / 2 || tamPlegados >= kMaxBuffer || tamNombres >= kMaxBuffer ||
        tamPlegados < nEntradas + 1)
        return fallo();
    LectorCuerpo l(cuerpo);
    std::uint64_t nRaices = 0;
    if (!l.Var(nRaices) || nRaices > nCarpetas) return fallo();
    std::vector<std::string> raices;
    for (std::uint64_t i = 0; i < nRaices; ++i) {
        std::uint64_t t = 0;
        std::string_view r;
        if (!l.Var(t) || !l.Bytes(t, r) || r.empty() || r.front() != '/' || r.back() != '/') return fallo();
        raices.emplace_back(r);
    }
    // Sized once from the header, so the buffers are filled in place and never moved.
    try {
        carpetas_.reserve(nCarpetas);
        tramos_.reserve(nCarpetas);
        plegados_.reserve(tamPlegados);
        PaginasGrandes(plegados_.data(), plegados_.capacity());
        nombres_.reserve(tamNombres);
    } catch (const std::exception&) {
        return fallo();
    }
    std::string nombre;
    for (std::uint64_t id = 0; id < nCarpetas; ++id) {
        std::uint64_t padre = 0, t = 0, mod = 0, disp = 0, cuantas = 0;
        std::string_view nom, ajena;
        if (!l.Var(padre) || padre > id || !l.Var(t) || !l.Bytes(t, nom) || !l.Var(mod) ||
            !l.Var(disp) || !l.Bytes(1, ajena) || !l.Var(cuantas))
            return fallo();
        const bool esRaiz = padre == 0;
        const std::uint32_t idPadre = esRaiz ? kNinguna : static_cast<std::uint32_t>(padre - 1);
        if (esRaiz ? std::find(raices.begin(), raices.end(), nom) == raices.end() : !NombreValido(nom))
            return fallo();
        if (BuscarHija(idPadre, nom) != kNinguna) return fallo();  // the same folder twice
        const std::uint32_t idNuevo = NuevaCarpeta(idPadre, nom);
        Carpeta& c = carpetas_[idNuevo];
        c.modificacion = static_cast<std::int64_t>(mod);
        c.dispositivo = disp;
        const auto banderas = static_cast<unsigned char>(ajena[0]);
        if (banderas & ~(kBitAjena | kBitReciente)) return fallo();
        c.ajena = banderas & kBitAjena;
        c.reciente = banderas & kBitReciente;
        nombre.clear();
        for (std::uint64_t e = 0; e < cuantas; ++e) {
            std::uint64_t pref = 0, resto = 0;
            std::string_view sufijo;
            if (!l.Var(pref) || (pref >> 1) > nombre.size() || !l.Var(resto) || !l.Bytes(resto, sufijo))
                return fallo();
            nombre.resize(pref >> 1);
            nombre += sufijo;
            if (!NombreValido(nombre) || vivas_ >= nEntradas) return fallo();
            AgregarEntrada(nombre, pref & 1);
            if (plegados_.size() > tamPlegados || nombres_.size() > tamNombres) return fallo();
        }
        CerrarListado(idNuevo);
    }
    if (!l.Fin() || vivas_ != nEntradas || plegados_.size() != tamPlegados || nombres_.size() != tamNombres)
        return fallo();
    raices_ = std::move(raices);
    ContarBytes();
    return true;
}

}  // namespace quirvex
