#include "pane/ajustar_texto.h"

#include <vector>

namespace quirvex {

std::size_t SiguienteCaracter(std::string_view texto, std::size_t pos) {
    ++pos;
    while (pos < texto.size() && (static_cast<unsigned char>(texto[pos]) & 0xC0) == 0x80) {
        ++pos;
    }
    return pos;
}

std::size_t ContarCaracteres(std::string_view texto) {
    std::size_t n = 0;
    for (std::size_t pos = 0; pos < texto.size(); pos = SiguienteCaracter(texto, pos)) ++n;
    return n;
}

namespace {

struct CorteLinea {
    std::size_t fin;     // bytes of the remaining text that form the line
    std::size_t saltar;  // bytes dropped from the remaining text (the line and its space)
};

// Where the line starting at resto must end for width ancho: before the first character whose
// addition makes the beginning wider than ancho. Spaces are break points only when
// recordarEspacios is set (not on the last permitted line, which is cut for "..."); the last one
// up to and including that character is taken.
//
// Widths of beginnings do not shrink as characters are added, so the character is found by
// halving rather than by measuring every beginning in turn: a handful of measurements per line
// instead of one per character, which is what fitting the labels of a page of items costs.
CorteLinea BuscarCorte(std::string_view resto, int ancho, bool recordarEspacios,
                       const FuncionMedirInicio& medir) {
    // limites[j]: bytes of the first j characters.
    std::vector<std::size_t> limites{0};
    for (std::size_t pos = 0; pos < resto.size();) {
        pos = SiguienteCaracter(resto, pos);
        limites.push_back(pos);
    }
    std::size_t corte = resto.size();
    std::size_t bajo = 1;
    std::size_t alto = limites.size() - 1;
    // The caller has measured the whole of resto wider than ancho.
    if (alto >= 1) {
        while (bajo < alto) {  // the first j whose beginning is too wide lies in bajo..alto
            const std::size_t medio = bajo + (alto - bajo) / 2;
            if (medir(resto, limites[medio]) > ancho) alto = medio;
            else bajo = medio + 1;
        }
        corte = limites[bajo - 1];
    }
    const std::size_t espacio = recordarEspacios ? resto.rfind(' ', corte) : std::string_view::npos;
    if (espacio != std::string_view::npos) return {espacio, espacio + 1};
    return {corte, corte};
}

}  // namespace

std::string AjustarTexto(std::string_view texto, int ancho, int maxLineas, int anchoPuntos,
                         const FuncionMedir& medir, const FuncionMedirInicio& inicio) {
    if (anchoPuntos < 0) anchoPuntos = medir("...");
    const FuncionMedirInicio medirInicio =
        inicio ? inicio : FuncionMedirInicio([&medir](std::string_view t, std::size_t bytes) {
            return medir(t.substr(0, bytes));
        });
    std::string resultado;
    bool primera = true;
    int quedan = maxLineas;
    std::string_view resto = texto;
    for (;;) {
        if (resto.empty() || medirInicio(resto, resto.size()) <= ancho) {
            if (!primera) resultado += '\r';
            resultado += resto;
            return resultado;
        }
        const bool ultima = maxLineas > 0 && quedan == 1;
        CorteLinea corte =
            BuscarCorte(resto, ultima ? ancho - anchoPuntos : ancho, !ultima, medirInicio);
        // A line that would take nothing would loop for ever without a limit.
        if (corte.saltar == 0 && !ultima) {
            const std::size_t uno = SiguienteCaracter(resto, 0);
            corte = {uno, uno};
        }
        if (!primera) resultado += '\r';
        resultado += resto.substr(0, corte.fin);
        primera = false;
        resto.remove_prefix(corte.saltar);
        if (resto.empty()) return resultado;  // no empty last line after a final space
        if (maxLineas > 0 && --quedan == 0) {
            resultado += "...";
            return resultado;
        }
    }
}

int ContarLineas(std::string_view etiqueta) {
    if (etiqueta.empty()) return 0;
    int lineas = 1;
    for (std::size_t pos = 0; pos < etiqueta.size(); ++pos) {
        if (etiqueta[pos] == '\r' && pos + 1 < etiqueta.size()) ++lineas;
    }
    return lineas;
}

}  // namespace quirvex
