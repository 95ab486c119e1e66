#pragma once
// Label widths in the pane's item font. Fitting a name into a cell measures the name and then a
// handful of its beginnings; shaping each of them anew was most of what a page of new rows cost.
// The measurer lays a text out once and reads the width of every beginning from that layout, for
// as long as the same text is asked about.

#include <QFont>
#include <QFontMetrics>
#include <QTextLayout>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quirvex {

class cMedidorTexto {
public:
    explicit cMedidorTexto(const QFont& fuente);
    // Another font: nothing measured in the old one is answered again.
    void SetFuente(const QFont& fuente);
    // Width of a whole text, as QFontMetrics gives it.
    int Ancho(std::string_view texto) const;
    // Width of the first `bytes` bytes of texto (ending on a character) as they lie within the
    // whole text. Texts in scripts whose shaping may reorder or join characters, and bytes that
    // are not UTF-8, are measured beginning by beginning.
    int AnchoInicio(std::string_view texto, std::size_t bytes);

private:
    // Lays texto out unless it is the one laid out last; false when it cannot be read from one.
    bool Preparar(std::string_view texto);

    QFont fuente_;
    QFontMetrics metricas_;
    std::string texto_;                      // the text laid out last
    bool simple_ = false;                    // its beginnings are read from its layout
    std::unique_ptr<QTextLayout> disposicion_;
    std::vector<int> unidades_;  // by byte count: UTF-16 units of the beginning ending there, -1 inside a character
};

}  // namespace quirvex
