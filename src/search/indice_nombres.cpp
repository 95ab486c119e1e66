#include "search/indice_nombres.h"

#include <algorithm>
#include <cstring>

#include "folder/texto.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quirvex {
namespace {

constexpr char kMagia[8] = {'Q', 'X', 'M', 'A', 'P', 0, 0, 1};
constexpr std::size_t kCabecera = 8 + 4 * 8;

std::uint16_t ProfundidadRaiz(const std::string& raiz) {
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

std::uint64_t Fnv1a(std::string_view d) {
    std::uint64_t h = 1469598103934665603ULL;
    for (unsigned char c : d) {
        h ^= c;
        h *= 1099511628211ULL;
    }
    return h;
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
    porRuta_.clear();
    plegados_.assign(1, '\0');
    nombres_.assign(1, '\0');
    offPleg_.assign(1, 1u);
    offNom_.assign(1, 1u);
    carpetaDe_.clear();
    esCarpeta_.clear();
    vivas_ = retiradas_ = 0;
    std::fill(std::begin(frecuencia_), std::end(frecuencia_), 0u);
}

std::uint32_t cIndiceNombres::NuevaCarpeta(std::uint32_t padre, std::string nombre) {
    const auto id = static_cast<std::uint32_t>(carpetas_.size());
    Carpeta c;
    c.nombre = std::move(nombre);
    c.padre = padre;
    if (padre != kNinguna) {
        Carpeta& p = carpetas_[padre];
        c.profundidad = static_cast<std::uint16_t>(p.profundidad + 1);
        c.siguiente = p.primeraHija;
        p.primeraHija = id;
    } else {
        c.profundidad = ProfundidadRaiz(c.nombre);
    }
    carpetas_.push_back(std::move(c));
    porRuta_.emplace(RutaCarpeta(id), id);
    return id;
}

void cIndiceNombres::AgregarEntrada(std::string_view nombre, bool carpeta, std::uint32_t duena) {
    const std::size_t desde = plegados_.size();
    // Plain ASCII names (most of them) fold byte by byte: Unicode's simple case mapping of
    // ASCII is A-Z to a-z and nothing else. Every other name goes through the shared mapping.
    const bool ascii = std::all_of(nombre.begin(), nombre.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii) {
        for (char c : nombre) plegados_.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c);
    } else {
        plegados_.append(Minusculas(nombre));
    }
    // A name that is its own folded form is kept once: its range in nombres_ stays empty.
    if (std::string_view(plegados_).substr(desde) != nombre) {
        nombres_.append(nombre);
        nombres_.push_back('\0');
    }
    offNom_.push_back(static_cast<std::uint32_t>(nombres_.size()));
    plegados_.push_back('\0');
    offPleg_.push_back(static_cast<std::uint32_t>(plegados_.size()));
    carpetaDe_.push_back(duena);
    esCarpeta_.push_back(carpeta);
}

bool cIndiceNombres::ListarUna(std::uint32_t id, ArbolIndice& arbol,
                               std::vector<NombreListado>& lista) {
    EstadoCarpeta estado;
    const bool ok = arbol.Listar(RutaCarpeta(id), estado, lista);
    Carpeta& c = carpetas_[id];
    c.inicio = c.fin = static_cast<std::uint32_t>(carpetaDe_.size());
    if (!ok) return false;
    c.modificacion = estado.modificacion;
    c.dispositivo = estado.dispositivo;
    c.ajena = c.padre != kNinguna && carpetas_[c.padre].dispositivo != estado.dispositivo;
    return !c.ajena;
}

void cIndiceNombres::ListarCola(std::vector<std::uint32_t>& cola, ArbolIndice& arbol,
                                std::vector<std::uint32_t>* nuevas) {
    std::vector<NombreListado> lista;
    for (std::size_t i = 0; i < cola.size(); ++i) {
        const std::uint32_t id = cola[i];
        if (nuevas) nuevas->push_back(id);
        if (!ListarUna(id, arbol, lista)) continue;
        for (NombreListado& n : lista) {
            AgregarEntrada(n.nombre, n.carpeta, id);
            if (n.carpeta) cola.push_back(NuevaCarpeta(id, std::move(n.nombre)));
        }
        carpetas_[id].fin = static_cast<std::uint32_t>(carpetaDe_.size());
        vivas_ += carpetas_[id].fin - carpetas_[id].inicio;
    }
    cola.clear();
}

void cIndiceNombres::Construir(const std::vector<std::string>& raices, ArbolIndice& arbol) {
    Vaciar();
    std::vector<std::uint32_t> cola;
    for (const std::string& r : raices) {
        if (r.empty() || r.front() != '/' || r.back() != '/' || porRuta_.count(r)) continue;
        raices_.push_back(r);
        cola.push_back(NuevaCarpeta(kNinguna, r));
    }
    ListarCola(cola, arbol, nullptr);
    ContarBytes();
}

void cIndiceNombres::Retirar(std::uint32_t id) {
    Carpeta& c = carpetas_[id];
    const std::size_t n = c.fin - c.inicio;
    vivas_ -= n;
    retiradas_ += n;
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
        porRuta_.erase(RutaCarpeta(f));
        for (std::uint32_t h = c.primeraHija; h != kNinguna; h = carpetas_[h].siguiente) pila.push_back(h);
    }
}

void cIndiceNombres::ReleerCarpeta(std::uint32_t id, ArbolIndice& arbol,
                                   std::vector<std::uint32_t>* nuevas) {
    if (id >= carpetas_.size() || !carpetas_[id].viva) return;
    // The live subfolders by name, unlinking dead ones from the sibling chain on the way.
    std::unordered_map<std::string, std::uint32_t> hijas;  // copies: new folders move the records
    {
        std::uint32_t* enlace = &carpetas_[id].primeraHija;
        while (*enlace != kNinguna) {
            Carpeta& h = carpetas_[*enlace];
            if (!h.viva) {
                *enlace = h.siguiente;
                continue;
            }
            hijas.emplace(h.nombre, *enlace);
            enlace = &h.siguiente;
        }
    }
    Retirar(id);
    std::vector<NombreListado> lista;
    std::vector<std::uint32_t> cola;
    if (ListarUna(id, arbol, lista)) {
        for (NombreListado& n : lista) {
            AgregarEntrada(n.nombre, n.carpeta, id);
            if (!n.carpeta) continue;
            auto it = hijas.find(n.nombre);
            if (it != hijas.end()) {
                hijas.erase(it);  // still there: keeps its id and contents
                continue;
            }
            cola.push_back(NuevaCarpeta(id, std::move(n.nombre)));
        }
    }
    Carpeta& c = carpetas_[id];
    c.fin = static_cast<std::uint32_t>(carpetaDe_.size());
    vivas_ += c.fin - c.inicio;
    for (const auto& [nombre, h] : hijas) MatarSubarbol(h);
    ListarCola(cola, arbol, nuevas);
    CompactarSiHaceFalta();
}

std::size_t cIndiceNombres::Revisar(ArbolIndice& arbol,
                                    const std::function<bool(std::uint32_t)>& mirar,
                                    std::vector<std::uint32_t>* nuevas) {
    std::size_t releidas = 0;
    // Folders added meanwhile are complete already; only those that existed are looked at.
    const auto hasta = static_cast<std::uint32_t>(carpetas_.size());
    for (std::uint32_t id = 0; id < hasta; ++id) {
        const Carpeta& c = carpetas_[id];
        if (!c.viva || (mirar && !mirar(id))) continue;
        if (c.padre != kNinguna && !carpetas_[c.padre].viva) continue;
        const std::optional<EstadoCarpeta> e = arbol.Consultar(RutaCarpeta(id));
        const bool ajena = e && c.padre != kNinguna && carpetas_[c.padre].dispositivo != e->dispositivo;
        if (e && ajena == c.ajena && (ajena || e->modificacion == c.modificacion)) continue;
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
    if (retiradas_ < 4096 || retiradas_ < vivas_) return;
    std::string pleg(1, '\0'), nom(1, '\0');
    pleg.reserve(plegados_.size());
    nom.reserve(nombres_.size());
    std::vector<std::uint32_t> op{1u}, on{1u}, cd;
    std::vector<bool> ec;
    op.reserve(vivas_ + 1);
    on.reserve(vivas_ + 1);
    cd.reserve(vivas_);
    ec.reserve(vivas_);
    for (std::uint32_t id = 0; id < carpetas_.size(); ++id) {
        Carpeta& c = carpetas_[id];
        const auto inicio = static_cast<std::uint32_t>(cd.size());
        if (c.viva) {
            for (std::uint32_t e = c.inicio; e < c.fin; ++e) {
                pleg.append(plegados_, offPleg_[e], offPleg_[e + 1] - offPleg_[e]);
                nom.append(nombres_, offNom_[e], offNom_[e + 1] - offNom_[e]);
                op.push_back(static_cast<std::uint32_t>(pleg.size()));
                on.push_back(static_cast<std::uint32_t>(nom.size()));
                cd.push_back(id);
                ec.push_back(esCarpeta_[e]);
            }
        }
        c.inicio = inicio;
        c.fin = static_cast<std::uint32_t>(cd.size());
    }
    plegados_ = std::move(pleg);
    nombres_ = std::move(nom);
    offPleg_ = std::move(op);
    offNom_ = std::move(on);
    carpetaDe_ = std::move(cd);
    esCarpeta_ = std::move(ec);
    retiradas_ = 0;
    ContarBytes();
}

void cIndiceNombres::ContarBytes() {
    std::fill(std::begin(frecuencia_), std::end(frecuencia_), 0u);
    for (unsigned char c : plegados_) ++frecuencia_[c];
    plegados_.shrink_to_fit();
    nombres_.shrink_to_fit();
    offPleg_.shrink_to_fit();
    offNom_.shrink_to_fit();
    carpetaDe_.shrink_to_fit();
    esCarpeta_.shrink_to_fit();
}

std::string cIndiceNombres::RutaCarpeta(std::uint32_t carpeta) const {
    std::vector<std::uint32_t> cadena;
    for (std::uint32_t c = carpeta; c != kNinguna; c = carpetas_[c].padre) cadena.push_back(c);
    std::string r;
    for (auto it = cadena.rbegin(); it != cadena.rend(); ++it) {
        r += carpetas_[*it].nombre;
        if (r.back() != '/') r += '/';
    }
    return r;
}

std::optional<std::uint32_t> cIndiceNombres::CarpetaPorRuta(const std::string& ruta) const {
    auto it = porRuta_.find(ruta.empty() || ruta.back() == '/' ? ruta : ruta + "/");
    if (it == porRuta_.end()) return std::nullopt;
    return it->second;
}

std::string_view cIndiceNombres::Nombre(std::uint32_t entrada) const {
    const std::uint32_t largo = offNom_[entrada + 1] - offNom_[entrada];
    if (largo == 0) return std::string_view(plegados_).substr(offPleg_[entrada], offPleg_[entrada + 1] - offPleg_[entrada] - 1);
    return std::string_view(nombres_).substr(offNom_[entrada], largo - 1);
}

std::uint32_t cIndiceNombres::EntradaEn(std::size_t pos, std::uint32_t desde) const {
    // Hits come in increasing order: gallop forward from the last one, then bisect.
    std::size_t lo = desde, paso = 1, hi = desde + 1;
    const std::size_t n = offPleg_.size() - 1;
    while (hi < n && offPleg_[hi] <= pos) {
        lo = hi;
        hi = std::min(n, hi + paso);
        paso *= 2;
    }
    const auto it = std::upper_bound(offPleg_.begin() + static_cast<std::ptrdiff_t>(lo),
                                     offPleg_.begin() + static_cast<std::ptrdiff_t>(hi), pos);
    return static_cast<std::uint32_t>(it - offPleg_.begin() - 1);
}

std::uint64_t cIndiceNombres::Buscar(std::string_view texto, std::size_t limite,
                                     std::vector<std::uint32_t>& aciertos) const {
    aciertos.clear();
    const std::string q = Minusculas(texto);
    const std::size_t k = q.size();
    if (k == 0 || q.find('\0') != std::string::npos || carpetaDe_.empty()) return 0;

    // Ranked keys (class, depth, entry) in a bounded max-heap: the worst kept hit on top.
    std::vector<std::uint64_t> monton;
    monton.reserve(limite + 1);
    std::uint64_t total = 0;
    std::uint32_t ultima = 0;
    const char* base = plegados_.data();
    const std::size_t tam = plegados_.size();

    // Returns where to go on: the start of the next name.
    auto acierto = [&](std::size_t pos) -> std::size_t {
        const std::uint32_t e = EntradaEn(pos, ultima);
        ultima = e;
        const std::size_t siguiente = offPleg_[e + 1];
        const Carpeta& c = carpetas_[carpetaDe_[e]];
        if (!c.viva || e < c.inicio || e >= c.fin) return siguiente;
        ++total;
        if (limite == 0) return siguiente;
        std::uint64_t clase = 2;
        if (pos == offPleg_[e]) clase = pos + k + 1 == siguiente ? 0 : 1;
        const std::uint64_t clave = clase << 56 | static_cast<std::uint64_t>(c.profundidad) << 40 | e;
        if (monton.size() < limite) {
            monton.push_back(clave);
            std::push_heap(monton.begin(), monton.end());
        } else if (clave < monton.front()) {
            std::pop_heap(monton.begin(), monton.end());
            monton.back() = clave;
            std::push_heap(monton.begin(), monton.end());
        }
        return siguiente;
    };

    // The two rarest bytes of the text pick the candidates; the rest is compared only there.
    std::size_t a = 0, b = k - 1;
    for (std::size_t i = 0; i < k; ++i)
        if (frecuencia_[static_cast<unsigned char>(q[i])] < frecuencia_[static_cast<unsigned char>(q[a])]) a = i;
    if (k > 1) {
        b = a == 0 ? 1 : 0;
        for (std::size_t i = 0; i < k; ++i)
            if (i != a && frecuencia_[static_cast<unsigned char>(q[i])] < frecuencia_[static_cast<unsigned char>(q[b])]) b = i;
    }
    std::size_t p = 1;
#if defined(__SSE2__)
    const __m128i va = _mm_set1_epi8(q[a]);
    const __m128i vb = _mm_set1_epi8(q[b]);
    const std::size_t margen = std::max(a, b) + 16;
    while (p + margen <= tam) {
        const __m128i ca = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + p + a));
        const __m128i cb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + p + b));
        auto m = static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(ca, va), _mm_cmpeq_epi8(cb, vb))));
        std::size_t saltoA = p + 16;
        while (m) {
            const std::size_t cand = p + static_cast<std::size_t>(__builtin_ctz(m));
            m &= m - 1;
            if (cand + k <= tam && std::memcmp(base + cand, q.data(), k) == 0) {
                saltoA = acierto(cand);
                break;
            }
        }
        p = std::max(saltoA, p + 1);
    }
#endif
    const std::string_view todo(base, tam);
    while (p + k <= tam) {
        const std::size_t hit = todo.find(q, p);
        if (hit == std::string_view::npos) break;
        p = acierto(hit);
    }
    std::sort_heap(monton.begin(), monton.end());
    aciertos.reserve(monton.size());
    for (std::uint64_t clave : monton) aciertos.push_back(static_cast<std::uint32_t>(clave & 0xFFFFFFFFFFULL));
    return total;
}

std::string cIndiceNombres::Serializar() const {
    // Live folders renumbered in id order (a parent always comes before its children).
    std::vector<std::uint32_t> nuevoId(carpetas_.size(), kNinguna);
    std::uint32_t n = 0;
    for (std::uint32_t id = 0; id < carpetas_.size(); ++id)
        if (carpetas_[id].viva) nuevoId[id] = n++;
    std::string cuerpo;
    cuerpo.reserve(nombres_.size() / 2 + carpetas_.size() * 16);
    PonerVar(cuerpo, raices_.size());
    for (const std::string& r : raices_) {
        PonerVar(cuerpo, r.size());
        cuerpo += r;
    }
    std::uint64_t entradas = 0;
    std::vector<std::uint32_t> orden;
    for (std::uint32_t id = 0; id < carpetas_.size(); ++id) {
        const Carpeta& c = carpetas_[id];
        if (!c.viva) continue;
        PonerVar(cuerpo, c.padre == kNinguna ? 0 : std::uint64_t{nuevoId[c.padre]} + 1);
        PonerVar(cuerpo, c.nombre.size());
        cuerpo += c.nombre;
        PonerVar(cuerpo, static_cast<std::uint64_t>(c.modificacion));
        PonerVar(cuerpo, c.dispositivo);
        cuerpo.push_back(c.ajena ? 1 : 0);
        PonerVar(cuerpo, c.fin - c.inicio);
        // Written in name order, each name as the length it shares with the one before and the
        // rest: names of one folder share their beginnings.
        orden.resize(c.fin - c.inicio);
        for (std::uint32_t e = c.inicio; e < c.fin; ++e) orden[e - c.inicio] = e;
        std::sort(orden.begin(), orden.end(), [this](std::uint32_t a, std::uint32_t b) { return Nombre(a) < Nombre(b); });
        std::string_view anterior;
        for (std::uint32_t e : orden) {
            const std::string_view nom = Nombre(e);
            std::size_t comun = 0;
            const std::size_t tope = std::min<std::size_t>({anterior.size(), nom.size(), 255});
            while (comun < tope && anterior[comun] == nom[comun]) ++comun;
            PonerVar(cuerpo, comun << 1 | (esCarpeta_[e] ? 1 : 0));
            PonerVar(cuerpo, nom.size() - comun);
            cuerpo.append(nom.substr(comun));
            anterior = nom;
        }
        entradas += c.fin - c.inicio;
    }
    std::string s(kMagia, sizeof kMagia);
    PonerU64(s, n);
    PonerU64(s, entradas);
    PonerU64(s, cuerpo.size());
    PonerU64(s, Fnv1a(cuerpo));
    s += cuerpo;
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
    const std::uint64_t suma = LeerU64(datos.data() + 32);
    const std::string_view cuerpo = datos.substr(kCabecera);
    // Every folder and entry takes at least two bytes: larger counts are lies.
    if (largo != cuerpo.size() || Fnv1a(cuerpo) != suma || nCarpetas > largo / 2 ||
        nEntradas > largo / 2 || nEntradas >= 0xFFFFFFF0u)
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
    carpetas_.reserve(nCarpetas);
    // The names take about what the body takes (folded; those that differ also as found).
    plegados_.reserve(largo + nEntradas);
    offPleg_.reserve(nEntradas + 1);
    offNom_.reserve(nEntradas + 1);
    carpetaDe_.reserve(nEntradas);
    esCarpeta_.reserve(nEntradas);
    std::string nombre;
    for (std::uint64_t id = 0; id < nCarpetas; ++id) {
        std::uint64_t padre = 0, t = 0, mod = 0, disp = 0, cuantas = 0;
        std::string_view nom, ajena;
        if (!l.Var(padre) || padre > id || !l.Var(t) || !l.Bytes(t, nom) || !l.Var(mod) ||
            !l.Var(disp) || !l.Bytes(1, ajena) || !l.Var(cuantas))
            return fallo();
        const bool esRaiz = padre == 0;
        if (esRaiz ? std::find(raices.begin(), raices.end(), nom) == raices.end() : !NombreValido(nom))
            return fallo();
        const std::uint32_t idNuevo = NuevaCarpeta(esRaiz ? kNinguna : static_cast<std::uint32_t>(padre - 1), std::string(nom));
        if (porRuta_.size() != carpetas_.size()) return fallo();  // the same folder twice
        Carpeta& c = carpetas_[idNuevo];
        c.modificacion = static_cast<std::int64_t>(mod);
        c.dispositivo = disp;
        c.ajena = ajena[0] != 0;
        c.inicio = static_cast<std::uint32_t>(carpetaDe_.size());
        nombre.clear();
        for (std::uint64_t e = 0; e < cuantas; ++e) {
            std::uint64_t pref = 0, resto = 0;
            std::string_view sufijo;
            if (!l.Var(pref) || (pref >> 1) > nombre.size() || !l.Var(resto) || !l.Bytes(resto, sufijo))
                return fallo();
            nombre.resize(pref >> 1);
            nombre += sufijo;
            if (!NombreValido(nombre) || carpetaDe_.size() >= nEntradas) return fallo();
            AgregarEntrada(nombre, pref & 1, idNuevo);
        }
        carpetas_[idNuevo].fin = static_cast<std::uint32_t>(carpetaDe_.size());
    }
    if (!l.Fin() || carpetaDe_.size() != nEntradas) return fallo();
    raices_ = std::move(raices);
    vivas_ = carpetaDe_.size();
    ContarBytes();
    return true;
}

}  // namespace quirvex
