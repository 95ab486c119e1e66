#include "search/indice_nombres.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <unordered_map>

#include "folder/texto.h"
#include "platform/memoria.h"
#include "search/barrido_nombres.h"

namespace quirvex {
namespace {

using barrido::EsTerminador;
using barrido::FinDesde;

// A folder modified this close to its listing may have changed within the same time stamp
// (coarse kernel clocks; two seconds on FAT).
constexpr std::int64_t kMargenRecienteNs = 2'000'000'000;

std::int64_t AhoraNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// A buffer the size it holds, in large pages where the system has them: the name buffer is
// filled once and scanned whole by every search. Copied a piece at a time, each piece of the old
// buffer handed back once copied, so that the buffer is never resident twice.
void Ajustar(std::string& s) {
    if (s.capacity() - s.size() <= s.size() / 64) return;
    std::string t;
    t.reserve(s.size());
    PaginasGrandes(t.data(), t.capacity());
    constexpr std::size_t kPieza = std::size_t{4} << 20;
    for (std::size_t i = 0; i < s.size(); i += kPieza) {
        const std::size_t n = std::min(kPieza, s.size() - i);
        t.append(s, i, n);
        SoltarPaginas(s.data() + i, n);
    }
    s.swap(t);
}

std::uint16_t ProfundidadRaiz(std::string_view raiz) {
    return static_cast<std::uint16_t>(std::max<std::ptrdiff_t>(0, std::count(raiz.begin(), raiz.end(), '/') - 1));
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
    iniciales_.clear();
    vivas_ = retiradas_ = 0;
    std::fill(std::begin(frecuencia_), std::end(frecuencia_), 0u);
    std::fill(std::begin(nombresCon_), std::end(nombresCon_), 0u);
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
    ContarNombre(std::string_view(plegados_).substr(pos), 1);
    // The string's own NUL stands for the terminator not yet appended.
    const auto* u = reinterpret_cast<const unsigned char*>(plegados_.c_str()) + pos;
    iniciales_.push_back(static_cast<std::uint16_t>(u[0] | (u[0] ? u[1] : 0) << 8));
    plegados_.push_back(carpeta ? '/' : '\0');
    ++vivas_;
}

void cIndiceNombres::ContarNombre(std::string_view plegado, std::uint32_t cambio) {
    std::uint64_t visto[4] = {};
    for (unsigned char c : plegado) {
        const std::uint64_t bit = std::uint64_t{1} << (c & 63);
        if (visto[c >> 6] & bit) continue;
        visto[c >> 6] |= bit;
        nombresCon_[c] += cambio;
    }
}

void cIndiceNombres::CerrarListado(std::uint32_t id) {
    Carpeta& c = carpetas_[id];
    c.fin = static_cast<std::uint32_t>(plegados_.size());
    if (c.fin == c.inicio) return;
    std::size_t n = 0;
    for (std::uint32_t i = c.inicio; i < c.fin; ++i) n += EsTerminador(plegados_[i]);
    tramos_.push_back(Tramo{c.inicio, id, static_cast<std::uint32_t>(iniciales_.size() - n)});
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
    for (std::size_t i = c.inicio; i < c.fin; ++n) {
        const std::size_t fin = FinDesde(p, i, plegados_.size());
        ContarNombre(std::string_view(p + i, fin - i), ~std::uint32_t{0});
        i = fin + 1;
    }
    if (n) {
        const std::uint32_t primero = tramos_[TramoDe(c.inicio)].nombre;
        std::fill_n(iniciales_.begin() + primero, n, std::uint16_t{0});
    }
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
    std::vector<std::uint16_t> iniciales;
    iniciales.reserve(vivas_);
    for (std::uint32_t id = 0; id < carpetas_.size(); ++id) {
        Carpeta& c = carpetas_[id];
        const auto inicio = static_cast<std::uint32_t>(pleg.size());
        if (c.viva && c.fin > c.inicio) {
            const std::uint32_t t = TramoDe(c.inicio);
            const std::uint32_t hasta = t + 1 < tramos_.size() ? tramos_[t + 1].nombre : static_cast<std::uint32_t>(iniciales_.size());
            tramos.push_back(Tramo{inicio, id, static_cast<std::uint32_t>(iniciales.size())});
            iniciales.insert(iniciales.end(), iniciales_.begin() + tramos_[t].nombre, iniciales_.begin() + hasta);
            for (auto o = PrimerOriginal(c.inicio); o != originales_.end() && o->pos < c.fin; ++o) {
                orig.push_back(Original{o->pos - c.inicio + inicio, static_cast<std::uint32_t>(nom.size())});
                nom.append(nombres_.data() + o->off);
                nom.push_back('\0');
            }
            pleg.append(plegados_, c.inicio, c.fin - c.inicio);
        }
        c.inicio = inicio;
        c.fin = static_cast<std::uint32_t>(pleg.size());
    }
    plegados_ = std::move(pleg);
    nombres_ = std::move(nom);
    originales_ = std::move(orig);
    tramos_ = std::move(tramos);
    iniciales_ = std::move(iniciales);
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
    iniciales_.shrink_to_fit();
    carpetas_.shrink_to_fit();
    // What the buffers grew through is free now, but stays resident until handed back.
    DevolverMemoriaLibre();
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
    const auto o = PrimerOriginal(entrada);
    if (o != originales_.end() && o->pos == entrada) return std::string_view(nombres_.data() + o->off);
    return std::string_view(plegados_).substr(entrada, FinDeNombre(entrada) - entrada);
}

std::vector<cIndiceNombres::Original>::const_iterator cIndiceNombres::PrimerOriginal(std::uint32_t pos) const {
    return std::lower_bound(originales_.begin(), originales_.end(), pos,
                            [](const Original& a, std::uint32_t p) { return a.pos < p; });
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

}  // namespace quirvex
