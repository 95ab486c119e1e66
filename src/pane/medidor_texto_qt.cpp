#include "pane/medidor_texto_qt.h"

#include <QString>
#include <QTextLayout>
#include <QTextOption>
#include <algorithm>
#include <cmath>

namespace quirvex {

namespace {

QString Q(std::string_view t) { return QString::fromUtf8(t.data(), static_cast<int>(t.size())); }

// Scripts from Hebrew on may be written right to left or join and reorder their letters: there
// the width of a beginning is not where its last character ends in the whole text.
constexpr char16_t kPrimeroComplejo = 0x0590;

}  // namespace

cMedidorTexto::cMedidorTexto(const QFont& fuente) : fuente_(fuente), metricas_(fuente) {}

void cMedidorTexto::SetFuente(const QFont& fuente) {
    fuente_ = fuente;
    metricas_ = QFontMetrics(fuente);
    texto_.clear();
    simple_ = false;
    disposicion_.reset();
}

int cMedidorTexto::Ancho(std::string_view texto) const { return metricas_.horizontalAdvance(Q(texto)); }

bool cMedidorTexto::Preparar(std::string_view texto) {
    if (!texto_.empty() && texto == texto_) return simple_;
    texto_.assign(texto);
    disposicion_.reset();
    const QString q = Q(texto);
    // One UTF-16 unit per character of valid UTF-8 below the complex scripts (a byte that is
    // not UTF-8 becomes U+FFFD, above them): unit i is the character at the i-th boundary.
    simple_ = !q.isEmpty();
    for (QChar c : q) simple_ = simple_ && c.unicode() < kPrimeroComplejo;
    if (!simple_) return false;
    unidades_.assign(texto.size() + 1, -1);
    int unidad = 0;
    for (std::size_t pos = 0;; ++unidad) {
        unidades_[pos] = unidad;
        if (pos >= texto.size()) break;
        ++pos;
        while (pos < texto.size() && (static_cast<unsigned char>(texto[pos]) & 0xC0) == 0x80) ++pos;
    }
    if (unidad != q.size()) return simple_ = false;  // not one unit per character after all
    disposicion_ = std::make_unique<QTextLayout>(q, fuente_);
    QTextOption opcion;
    opcion.setWrapMode(QTextOption::NoWrap);
    disposicion_->setTextOption(opcion);
    disposicion_->beginLayout();
    const QTextLine linea = disposicion_->createLine();
    disposicion_->endLayout();
    if (!linea.isValid()) return simple_ = false;
    return true;
}

int cMedidorTexto::AnchoInicio(std::string_view texto, std::size_t bytes) {
    bytes = std::min(bytes, texto.size());
    if (Preparar(texto) && unidades_[bytes] >= 0)
        return static_cast<int>(std::lround(disposicion_->lineAt(0).cursorToX(unidades_[bytes])));
    return Ancho(texto.substr(0, bytes));
}

}  // namespace quirvex
