#include "platform/papelera.h"

#include <cstdio>

#include "platform/archivo_bajo_nivel.h"
#include "platform/smb.h"

namespace quirvex {

Papelera& PapeleraLinux();

namespace {

Papelera* instalada = nullptr;

// A share has no trash: its items are only ever deleted for good, after the user said so.
class PapeleraConRed final : public Papelera {
public:
    bool Disponible(const std::string& ruta) override {
        return !EsRutaRed(ruta) && PapeleraLinux().Disponible(ruta);
    }
    int Mover(const std::string& ruta, ElementoPapelera& hecho) override {
        if (EsRutaRed(ruta)) return BajoNivel().Codigo(ErrorComun::NoSoportado);
        return PapeleraLinux().Mover(ruta, hecho);
    }
    int Restaurar(const ElementoPapelera& e) override {
        if (EsRutaRed(e.original) || EsRutaRed(e.archivo)) return BajoNivel().Codigo(ErrorComun::NoSoportado);
        return PapeleraLinux().Restaurar(e);
    }
};

}  // namespace

Papelera& PapeleraSistema() {
    static PapeleraConRed conRed;
    return instalada ? *instalada : conRed;
}
void SetPapelera(Papelera* papelera) { instalada = papelera; }

std::string CodificarRutaTrash(const std::string& ruta) {
    static constexpr char kLibres[] = "-_.!~*'()/";
    std::string r;
    for (const char c : ruta) {
        const auto b = static_cast<unsigned char>(c);
        const bool alfanumerico = (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9');
        bool libre = alfanumerico;
        for (const char* l = kLibres; *l && !libre; ++l) libre = c == *l;
        if (libre) {
            r.push_back(c);
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", b);
            r += hex;
        }
    }
    return r;
}

std::string TextoTrashinfo(const std::string& rutaRegistro, const std::string& fecha) {
    return "[Trash Info]\nPath=" + CodificarRutaTrash(rutaRegistro) + "\nDeletionDate=" + fecha + "\n";
}

}  // namespace quirvex
