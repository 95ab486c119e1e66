// cIndiceNombres: the whole index as one file image, and back.
//
// The image: a fixed header (magic, folder and entry counts, body length, checksum, and the
// sizes the folded and original name buffers will have), then a body of varints: the roots, then
// every live folder in id order (parent, name, time, device, flags, and its listing, each name as
// the length it shares with the one before and the rest).

#include <algorithm>
#include <cstring>
#include <exception>
#include <functional>

#include "platform/memoria.h"
#include "search/barrido_nombres.h"
#include "search/bytes_le.h"
#include "search/indice_nombres.h"

namespace quirvex {
namespace {

using barrido::EsTerminador;

// The last byte tells the version: an older image is refused, and the server builds anew.
constexpr char kMagia[8] = {'Q', 'X', 'M', 'A', 'P', 0, 0, 3};
// Magic, folders, entries, body length, checksum, folded-buffer and original-names sizes.
constexpr std::size_t kCabecera = 8 + 6 * 8;
constexpr std::size_t kPosSuma = 32;
// The flags byte of a folder in the file image.
constexpr unsigned char kBitAjena = 1, kBitReciente = 2;

struct CabeceraImagen {
    std::uint64_t carpetas = 0, largo = 0, suma = 0;
    cIndiceNombres::Cupo cupo{0, 1, 0};
};

// A running sum over a byte stream however it is cut: eight bytes a step, each step a
// bijection of the state, so any one changed word changes the sum. A byte-wise hash took a tenth
// of the load time on a large index.
class Suma {
public:
    explicit Suma(std::uint64_t semilla) : h_(semilla) {}

    void Agregar(std::string_view d) {
        while (nCola_ > 0 && nCola_ < 8 && !d.empty()) {
            cola_[nCola_++] = d.front();
            d.remove_prefix(1);
        }
        if (nCola_ == 8) {
            Paso(Palabra(cola_));
            nCola_ = 0;
        }
        for (; d.size() >= 8; d.remove_prefix(8)) Paso(Palabra(d.data()));
        for (char c : d) cola_[nCola_++] = c;
    }
    // The sum so far, its last partial word and its length closing it.
    std::uint64_t Valor() const {
        std::uint64_t resto = nCola_;
        for (std::size_t j = 0; j < nCola_; ++j)
            resto |= static_cast<std::uint64_t>(static_cast<unsigned char>(cola_[j])) << (8 * (j + 1));
        Suma s = *this;
        s.Paso(resto);
        return s.h_;
    }

private:
    static std::uint64_t Palabra(const char* p) {
        std::uint64_t w;
        std::memcpy(&w, p, 8);
        return w;
    }
    void Paso(std::uint64_t w) {
        h_ = (h_ ^ w) * 0x9E3779B97F4A7C15ULL;
        h_ ^= h_ >> 29;
    }

    std::uint64_t h_;
    char cola_[8] = {};
    std::size_t nCola_ = 0;
};

constexpr std::uint64_t kSemillaSuma = 0x243F6A8885A308D3ULL;

// The header of an image, its sum field left as zero.
std::string Cabecera(const CabeceraImagen& cab) {
    std::string h(kMagia, sizeof kMagia);
    for (std::uint64_t v : {cab.carpetas, cab.cupo.entradas, cab.largo, std::uint64_t{0}, cab.cupo.plegados, cab.cupo.nombres})
        PonerU64(h, v);
    return h;
}

// The sum of an image: its body, then its header with the sum's own field as zero. The body
// comes first so that a writer can sum it before the header that holds its length is known.
std::uint64_t SumaImagen(std::uint64_t sumaCuerpo, std::string_view cabecera) {
    std::string h(cabecera);
    std::memset(h.data() + kPosSuma, 0, 8);
    Suma s(sumaCuerpo);
    s.Agregar(h);
    return s.Valor();
}

std::uint64_t SumaImagen(std::string_view imagen) {
    Suma s(kSemillaSuma);
    s.Agregar(imagen.substr(kCabecera));
    return SumaImagen(s.Valor(), imagen.substr(0, kCabecera));
}

// The body handed on in pieces of about a megabyte, each as soon as it is whole.
class Trozos {
public:
    explicit Trozos(const std::function<bool(std::string_view)>& salida) : salida_(salida) {
        b_.reserve(kTrozo + kTrozo / 4);
    }
    std::string& Buffer() { return b_; }
    bool Pasar(bool todo) {
        if (ok_ && (todo || b_.size() >= kTrozo)) {
            ok_ = b_.empty() || salida_(b_);
            b_.clear();
        }
        return ok_;
    }

private:
    static constexpr std::size_t kTrozo = 1 << 20;
    const std::function<bool(std::string_view)>& salida_;
    std::string b_;
    bool ok_ = true;
};

// A header that fits the data it came with: whole, summed right, and with counts the body can
// hold (every folder and entry takes at least two bytes: larger counts are lies).
bool LeerCabecera(std::string_view datos, CabeceraImagen& cab, std::size_t maxBuffer) {
    if (datos.size() < kCabecera || std::memcmp(datos.data(), kMagia, sizeof kMagia) != 0) return false;
    LectorLE l(datos.substr(sizeof kMagia, kCabecera - sizeof kMagia));
    auto& [entradas, plegados, nombres] = cab.cupo;
    for (std::uint64_t* v : {&cab.carpetas, &entradas, &cab.largo, &cab.suma, &plegados, &nombres}) l.U64(*v);
    return cab.largo == datos.size() - kCabecera && SumaImagen(datos) == cab.suma &&
           cab.carpetas <= cab.largo / 2 && entradas <= cab.largo / 2 && plegados < maxBuffer &&
           nombres < maxBuffer && plegados >= entradas + 1;
}

bool LeerRaices(LectorLE& l, const CabeceraImagen& cab, std::vector<std::string>& raices) {
    std::uint64_t n = 0;
    if (!l.Var(n) || n > cab.carpetas) return false;
    for (std::uint64_t i = 0; i < n; ++i) {
        std::uint64_t t = 0;
        std::string_view r;
        if (!l.Var(t) || !l.Bytes(t, r) || r.empty() || r.front() != '/' || r.back() != '/') return false;
        raices.emplace_back(r);
    }
    return true;
}

bool NombreValido(std::string_view n) {
    return !n.empty() && n != "." && n != ".." && n.find('/') == std::string_view::npos &&
           n.find('\0') == std::string_view::npos;
}

}  // namespace

std::string cIndiceNombres::Serializar() const {
    std::string s;
    Escribir([&s](std::string_view trozo) {
        s.append(trozo);
        return true;
    });
    return s;
}

bool cIndiceNombres::Escribir(const std::function<bool(std::string_view)>& salida) const {
    // Twice through the body: once for its length and sum, which the header holds, then again
    // to hand it on after the header. The index is never held twice.
    CabeceraImagen cab;
    Suma suma(kSemillaSuma);
    EscribirCuerpo([&](std::string_view trozo) {
        cab.largo += trozo.size();
        suma.Agregar(trozo);
        return true;
    }, cab.carpetas, cab.cupo);
    std::string cabecera = Cabecera(cab);
    const std::uint64_t total = SumaImagen(suma.Valor(), cabecera);
    for (int i = 0; i < 8; ++i) cabecera[kPosSuma + static_cast<std::size_t>(i)] = static_cast<char>((total >> (8 * i)) & 0xFF);
    std::uint64_t carpetas = 0;
    Cupo cupo;
    return salida(cabecera) && EscribirCuerpo(salida, carpetas, cupo);
}

bool cIndiceNombres::EscribirCuerpo(const std::function<bool(std::string_view)>& salida, std::uint64_t& carpetas,
                                    Cupo& cupo) const {
    Trozos t(salida);
    std::string& s = t.Buffer();
    cupo.plegados = 1;
    PonerVar(s, raices_.size());
    for (const std::string& r : raices_) {
        PonerVar(s, r.size());
        s += r;
    }
    // Live folders renumbered in id order (a parent always comes before its children).
    std::vector<std::uint32_t> nuevoId(carpetas_.size(), kNinguna);
    for (std::uint32_t id = 0; id < carpetas_.size(); ++id) {
        if (!carpetas_[id].viva) continue;
        nuevoId[id] = static_cast<std::uint32_t>(carpetas++);
        const std::uint32_t padre = carpetas_[id].padre;
        EscribirCarpeta(s, id, padre == kNinguna ? 0 : std::uint64_t{nuevoId[padre]} + 1, cupo);
        if (!t.Pasar(false)) return false;
    }
    return t.Pasar(true);
}

void cIndiceNombres::EscribirCarpeta(std::string& s, std::uint32_t id, std::uint64_t padre, Cupo& cuenta) const {
    const Carpeta& c = carpetas_[id];
    const std::string_view nombre = NombreCarpeta(id);
    PonerVar(s, padre);
    PonerVar(s, nombre.size());
    s += nombre;
    PonerVar(s, static_cast<std::uint64_t>(c.modificacion));
    PonerVar(s, c.dispositivo);
    s.push_back(static_cast<char>((c.ajena ? kBitAjena : 0) | (c.reciente ? kBitReciente : 0)));
    const char* base = plegados_.data();
    const auto cuantas = static_cast<std::uint64_t>(std::count_if(base + c.inicio, base + c.fin, EsTerminador));
    PonerVar(s, cuantas);
    cuenta.entradas += cuantas;
    cuenta.plegados += c.fin - c.inicio;
    // In the order kept (by name), each name as the length it shares with the one before and
    // the rest: names of one folder share their beginnings.
    auto o = PrimerOriginal(c.inicio);
    std::string_view anterior;
    for (std::uint32_t e = c.inicio; e < c.fin;) {
        const std::uint32_t fin = FinDeNombre(e);
        std::string_view nom(base + e, fin - e);
        if (o != originales_.end() && o->pos == e) {
            nom = std::string_view(nombres_.data() + o->off);
            cuenta.nombres += nom.size() + 1;
            ++o;
        }
        std::size_t comun = 0;
        const std::size_t tope = std::min<std::size_t>({anterior.size(), nom.size(), 255});
        while (comun < tope && anterior[comun] == nom[comun]) ++comun;
        PonerVar(s, comun << 1 | (base[fin] == '/' ? 1 : 0));
        PonerVar(s, nom.size() - comun);
        s.append(nom.substr(comun));
        anterior = nom;
        e = fin + 1;
    }
}

bool cIndiceNombres::Cargar(std::string_view datos) {
    Vaciar();
    CabeceraImagen cab;
    std::vector<std::string> raices;
    if (!LeerCabecera(datos, cab, kMaxBuffer)) return false;
    LectorLE l(datos.substr(kCabecera));
    bool ok = LeerRaices(l, cab, raices) && Reservar(cab.carpetas, cab.cupo);
    std::string nombre;
    for (std::uint64_t id = 0; ok && id < cab.carpetas; ++id) ok = LeerCarpeta(l, id, raices, cab.cupo, nombre);
    if (!ok || !l.Fin() || vivas_ != cab.cupo.entradas || plegados_.size() != cab.cupo.plegados ||
        nombres_.size() != cab.cupo.nombres) {
        Vaciar();
        return false;
    }
    raices_ = std::move(raices);
    ContarBytes();
    return true;
}

bool cIndiceNombres::Reservar(std::uint64_t carpetas, const Cupo& cupo) {
    // Sized once from the header, so the buffers are filled in place and never moved.
    try {
        carpetas_.reserve(carpetas);
        tramos_.reserve(carpetas);
        iniciales_.reserve(cupo.entradas);
        plegados_.reserve(cupo.plegados);
        PaginasGrandes(plegados_.data(), plegados_.capacity());
        nombres_.reserve(cupo.nombres);
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

bool cIndiceNombres::LeerCarpeta(LectorLE& l, std::uint64_t id, const std::vector<std::string>& raices,
                                 const Cupo& cupo, std::string& nombre) {
    std::uint64_t padre = 0, t = 0, mod = 0, disp = 0;
    std::string_view nom;
    unsigned char banderas = 0;
    if (!l.Var(padre) || padre > id || !l.Var(t) || !l.Bytes(t, nom) || !l.Var(mod) || !l.Var(disp) ||
        !l.U8(banderas) || (banderas & ~(kBitAjena | kBitReciente)))
        return false;
    const bool esRaiz = padre == 0;
    const std::uint32_t idPadre = esRaiz ? kNinguna : static_cast<std::uint32_t>(padre - 1);
    if (esRaiz ? std::find(raices.begin(), raices.end(), nom) == raices.end() : !NombreValido(nom))
        return false;
    if (BuscarHija(idPadre, nom) != kNinguna) return false;  // the same folder twice
    const std::uint32_t idNuevo = NuevaCarpeta(idPadre, nom);
    Carpeta& c = carpetas_[idNuevo];
    c.modificacion = static_cast<std::int64_t>(mod);
    c.dispositivo = disp;
    c.ajena = banderas & kBitAjena;
    c.reciente = banderas & kBitReciente;
    return LeerListado(l, idNuevo, cupo, nombre);
}

bool cIndiceNombres::LeerListado(LectorLE& l, std::uint32_t id, const Cupo& cupo, std::string& nombre) {
    std::uint64_t cuantas = 0;
    if (!l.Var(cuantas)) return false;
    nombre.clear();
    for (std::uint64_t e = 0; e < cuantas; ++e) {
        std::uint64_t pref = 0, resto = 0;
        std::string_view sufijo;
        if (!l.Var(pref) || (pref >> 1) > nombre.size() || !l.Var(resto) || !l.Bytes(resto, sufijo))
            return false;
        nombre.resize(pref >> 1);
        nombre += sufijo;
        if (!NombreValido(nombre) || vivas_ >= cupo.entradas) return false;
        AgregarEntrada(nombre, pref & 1);
        if (plegados_.size() > cupo.plegados || nombres_.size() > cupo.nombres) return false;
    }
    CerrarListado(id);
    return true;
}

}  // namespace quirvex
